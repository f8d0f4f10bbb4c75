"""Drives the viewer on a private Xvfb display: the Windows .exe under Wine, or a native
binary as it is. A scenario opens a Session per case:

    s = harness.Session(self, scene_dir)   # cleaned up when the case ends
    s.start()                              # waits for the window and a steady picture
    s.hold("d s", frames=5)                # keys seen down by at least 5 frames
    s.hold_until("Right", lambda: ...)     # keys are held until a condition holds
    s.reach(measure, target, tolerance, "Right", "Left")  # a position, by feedback
    picture = s.picture()                  # the client area as an Image
    size, width, height, image = s.capture()  # Enter, then the new BMP's fields and Image

Time is counted in the frames the viewer presents (xframes.py counts them from the X server),
never in seconds: load changes how long a case takes, not what the viewer sees.

Without a window manager Wine leaves a window's frame undrawn and the X window carrying the
title is exactly the Win32 client area, so its position is the client origin.
Exit code 77 (skip) when Wine or the X tools are missing.
"""

import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

import xframes

SKIP = 77
TITLE = "ビューア"
CAPTURE_FOLDER = "抜き取り画像保存フォルダ"
FILTER_IMAGE = "フィルター画像.bmp"
SCREEN = (1024, 768)
TOOLS = ("Xvfb", "xdotool", "xwininfo", "import")
# A hold of this many frames is "several frames" for a program that polls its keys once a frame.
HOLD_FRAMES = 3
# The frames a program may have polled its keys for and not yet presented: Direct3D 9 lets
# three frames queue behind Present (Wine draws them on a thread of its own), and one more
# may have polled before a key changed and present after. Under load the queue is full, so
# that many frames presented after a key went down may not have seen it.
PRESENT_LAG = 3 + 1
# The frames a released key stays up before it goes down again, so that a poll between the
# two presses sees it up.
RELEASE_FRAMES = PRESENT_LAG + 1
WINE_SESSION_ATTEMPTS = 3
PREFIX_LAYOUT = "v5"  # change when boot_prefix changes, so an old cached prefix is not used

options = argparse.Namespace(exe=None, scene=None)
# E2E_NO_D3DX=1: the Windows build runs with Wine's D3DX disabled, as on a stock Windows, and
# only the cases marked also_without_d3dx run.
NO_D3DX = os.environ.get("E2E_NO_D3DX") == "1"


def also_without_d3dx(case):
    """Marks a case that also runs without D3DX: one whose picture or files come from code
    that stands in for D3DX there (meshes, textures, texts). The other cases take the same
    paths either way."""
    case.also_without_d3dx = True
    return case


class CaseLoader(unittest.TestLoader):
    """Without D3DX, only the cases marked also_without_d3dx."""

    def getTestCaseNames(self, case_class):
        names = super().getTestCaseNames(case_class)
        if not NO_D3DX:
            return names
        return [n for n in names if getattr(getattr(case_class, n), "also_without_d3dx", False)]


class Image:
    """8-bit RGB pixels, top row first."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, x, y, w, h):
        """The w × h area at (x, y); parts outside the image are black."""
        out = bytearray(w * h * 3)
        for row in range(max(0, -y), min(h, self.height - y)):
            left, right = max(0, -x), min(w, self.width - x)
            if left < right:
                src = ((y + row) * self.width + x + left) * 3
                out[(row * w + left) * 3:(row * w + right) * 3] = \
                    self.rgb[src:src + (right - left) * 3]
        return Image(w, h, out)


def whole_bmp(path):
    with open(path, "rb") as f:
        head = f.read(6)
    return len(head) == 6 and struct.unpack_from("<I", head, 2)[0] == os.path.getsize(path)


def read_bmp(path):
    """(file size field, width, height, Image) of a 24-bit BMP, its pixels read by ImageMagick."""
    with open(path, "rb") as f:
        magic, size, width, height, _, bits = struct.unpack("<2sI12xiiHH", f.read(30))
    assert magic == b"BM" and bits == 24 and size == os.path.getsize(path), path
    rgb = subprocess.run(["convert", "bmp:" + path, "-depth", "8", "rgb:-"], check=True,
                         stdout=subprocess.PIPE).stdout
    return size, width, height, Image(width, height, rgb)


def write_bmp(path, width, height, row):
    """A 24-bit BMP whose row(y) gives the bytes of row y, top row first, blue green red."""
    padding = b"\0" * (-width * 3 % 4)
    pixels = b"".join(row(y) + padding for y in reversed(range(height)))
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0,
                            0))
        f.write(pixels)


def proc_file(pid, name):
    """The bytes of /proc/PID/NAME, or none when the process has gone or is not ours."""
    try:
        with open("/proc/%d/%s" % (pid, name), "rb") as f:
            return f.read()
    except OSError:
        return b""


def run(args, env, timeout=30):
    return subprocess.run(args, env=env, timeout=timeout, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout


def wine_env(prefix, display, d3dx=True):
    overrides = "mscoree=;mshtml=" + ("" if d3dx else ";d3dx9_43=d")
    return dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", DISPLAY=display,
                WINEDLLOVERRIDES=overrides, LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")


def cached(name, make):
    """The file or folder of that name in the temp folder, made once by make(path) under a
    name of this process's and renamed into place, so that parallel runs never use half of it."""
    path = os.path.join(tempfile.gettempdir(), "viewer-e2e-%d-%s" % (
        os.getuid(), re.sub(r"[^\w.]+", "_", name)))
    if not os.path.exists(path):
        building = "%s.%d" % (path, os.getpid())
        make(building)
        try:
            os.rename(building, path)
        except OSError:  # a parallel run made it first
            shutil.rmtree(building, ignore_errors=True)
    return path


def boot_prefix(display):
    """A booted Wine prefix, made once per Wine version and copied for each session."""
    def boot(building):
        env = wine_env(building, display)
        run(["wine", "wineboot", "-i"], env, timeout=300)
        # With no window manager nobody sends WM_TAKE_FOCUS: with UseTakeFocus off, X focus and
        # Windows activation follow each other as they do under a desktop.
        run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "UseTakeFocus",
             "/t", "REG_SZ", "/d", "N", "/f"], env)
        run(["wineserver", "-w"], env, timeout=120)
    version = run(["wine", "--version"], os.environ).decode()
    return cached("prefix-%s-%s" % (PREFIX_LAYOUT, version), boot)


def probe_exe():
    """The Direct3D 9 probe of session_probe/, built with MinGW-w64 once per version of its
    source."""
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "session_probe",
                          "d3d9_probe.c")
    with open(source, "rb") as f:
        version = hashlib.sha256(f.read()).hexdigest()[:12]
    return cached("probe-%s.exe" % version, lambda building: subprocess.run(
        ["x86_64-w64-mingw32-gcc", "-O2", "-o", building, source, "-ld3d9"], check=True))


class Session:
    """One viewer on its own display, in a copy of a scene folder, with its own Wine prefix."""

    def __init__(self, test, scene=None, exe=None, env=None, d3dx=None, change=None):
        """test: the unittest case whose end closes the session (None: the session is used as a
        context manager, as the benchmarks do). change(folder) changes the
        copy of the scene. env: variables to add to the program's environment. d3dx: whether
        Wine offers its D3DX (by default unless E2E_NO_D3DX=1)."""
        self.exe = os.path.abspath(exe or options.exe)
        self.wine = self.exe.lower().endswith(".exe")
        self.root = tempfile.mkdtemp(prefix="viewer-e2e-")
        self.proc = self.window = self.x = self.xvfb = None  # what close() may find made
        if test is not None:
            test.addCleanup(self.close)
        self.workdir = os.path.join(self.root, "work")
        shutil.copytree(scene or options.scene or tempfile.mkdtemp(dir=self.root), self.workdir)
        if change:
            change(self.workdir)
        self.released_at = {}  # key: the frame count when it went up
        self.output_path = os.path.join(self.root, "output.txt")
        self.display = self._start_display()
        self.env = dict(os.environ, DISPLAY=self.display, **(env or {}))
        if self.wine:
            self.prefix = os.path.join(self.root, "prefix")
            self.d3dx = not NO_D3DX if d3dx is None else d3dx
            self._set_up_wine_session(env or {})

    def _start_display(self):
        """A new Xvfb server on a display number it chooses itself, so that parallel runs
        never share one. -noreset: by default the server resets whenever its last client
        leaves and drops any client still connecting, so a program starting while one of our
        xdotool calls ends could fail to open the display (Wine then has no desktop). The
        harness's own connection (frame counts and keys) opens with it."""
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % SCREEN,
             "-nolisten", "tcp", "-noreset"], pass_fds=[write], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as answer:
            number = answer.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.x = xframes.Connection(":" + number)
        return ":" + number

    def _set_up_wine_session(self, env):
        """A copy of the booted prefix and a Wine session on this display that is up before
        the viewer starts: a session can fail on its own (a desktop with no display driver,
        shared memory that cannot be mapped), and that is no fault of the viewer's. A failed
        session is set up anew, on a new display, and the output says so; the viewer itself
        is only ever started once."""
        for attempt in range(1, WINE_SESSION_ATTEMPTS + 1):
            shutil.copytree(boot_prefix(self.display), self.prefix, symlinks=True)
            self.env = dict(wine_env(self.prefix, self.display, self.d3dx), **env)
            try:
                return self._check_wine_session()
            except (AssertionError, subprocess.TimeoutExpired) as problem:
                    print("harness: the Wine session on display %s did not come up in attempt %d "
                      "of %d: %s" % (self.display, attempt, WINE_SESSION_ATTEMPTS, problem),
                      file=sys.stderr, flush=True)
            subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.x.close()
            self.xvfb.kill()
            self.xvfb.wait()
            self.display = self._start_display()
        raise RuntimeError("no Wine session came up in %d attempts" % WINE_SESSION_ATTEMPTS)

    def _check_wine_session(self):
        """Fails unless the session's Wine is up: the server kept running (so that what is
        checked here is what the viewer gets), a Direct3D 9 object made by a probe, the
        start-up done and the desktop process running."""
        subprocess.run(["wineserver", "-p"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        log = os.path.join(self.root, "session-check.txt")
        # Into a file, not a pipe: the server and the desktop process it starts keep their
        # output open for as long as they run.
        with open(log, "ab") as output:
            code = subprocess.run(["wine", probe_exe()], cwd=self.root, env=self.env,
                                  stdin=subprocess.DEVNULL, stdout=output, stderr=output,
                                  timeout=120).returncode
        with open(log, errors="replace") as f:
            assert code == 0, "the Direct3D 9 probe ended with %d: %s" % (code, f.read()[-200:])
        self.wait(lambda: not self.processes("wineboot.exe"), 60, "wineboot still running")
        assert self.processes("explorer.exe"), "no explorer.exe, the desktop process"

    def processes(self, name):
        """The processes on this session's display (no other session has it) that run the
        program name, its path written with / or \\."""
        display = ("DISPLAY=" + self.display).encode()
        pids = [int(pid) for pid in os.listdir("/proc") if pid.isdigit()]
        return [pid for pid in pids if display in proc_file(pid, "environ").split(b"\0") and
                proc_file(pid, "cmdline").split(b"\0")[0].replace(b"\\", b"/").lower()
                .endswith(b"/" + name.encode())]

    def path(self, *parts):
        return os.path.join(self.workdir, *parts)

    def launch(self, args):
        """Starts a program on this display (and Wine prefix) in the working folder."""
        command = (["wine"] if self.wine else []) + args
        with open(self.output_path, "ab") as output:
            return subprocess.Popen(command, cwd=self.workdir, env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=output, stderr=output,
                                    start_new_session=True)

    def output(self):
        """What the programs of this session wrote to standard output and error."""
        with open(self.output_path, errors="replace") as f:
            return f.read()

    def viewer_pid(self):
        """The process its window names: under Wine, the one running the .exe, not the wine
        launcher."""
        return int(run(["xdotool", "getwindowpid", str(self.window)], self.env))

    def maps(self):
        """The viewer's memory map."""
        return proc_file(self.viewer_pid(), "maps")

    def start(self, search=None, steady=True, args=()):
        """Starts the viewer and waits for its window, found by search (xdotool's arguments)
        or else by its title, and (unless a benchmark times it itself) a steady picture; under
        Wine, checks that the viewer mapped D3DX (which it loads at start-up when it can)
        exactly when Wine offers it."""
        self.proc = self.launch([self.exe, *args])
        self.window = self.wait(lambda: self.find(search or ["--name", "^%s$" % TITLE]), 90,
                                "no window")
        # Wine draws the picture into a child window; its drawing damages the titled one too.
        self.x.watch(self.window)
        if not steady:
            return self
        self.wait_for_steady_picture()
        loaded = self.wine and b"d3dx9_43.dll" in self.maps().lower()
        if self.wine and loaded != self.d3dx:
            raise AssertionError("d3dx9_43.dll is %sloaded" % ("not " if self.d3dx else ""))
        return self

    def find(self, search):
        """The first visible X window that xdotool's search finds, or None."""
        found = run(["xdotool", "search", "--onlyvisible"] + search, self.env).split()
        return int(found[0]) if found else None

    def wait(self, condition, timeout, what, pause=lambda: time.sleep(0.1)):
        """Checks the condition until it holds and returns its result; fails when the viewer
        has ended first or timeout seconds have passed."""
        deadline = time.monotonic() + timeout
        while True:
            result = condition()
            if result:
                return result
            if self.proc is not None and self.proc.poll() is not None:
                raise AssertionError("the viewer ended with %d; its output ends:\n%s" % (
                    self.proc.returncode, self.output()[-2000:]))
            if time.monotonic() > deadline:
                raise AssertionError("%s within %d s" % (what, timeout))
            pause()

    def wait_for_steady_picture(self):
        """Waits until the top band, where the filter and the texts are always drawn, is not
        one colour, and the whole picture has stayed the same in three screenshots or more
        while more than PRESENT_LAG frames were presented (a stalled viewer's picture is
        steady too, and a heavy scene may present a frame a second). Before the first frame
        the window shows its background brush and the button's black area for a second or
        more: not one colour, but not yet a picture either."""
        same = []  # (frame count, picture) of the screenshots equal to the last one

        def steady():
            frames, picture = self.x.count(), self.picture().rgb
            if same and same[-1][1] != picture:
                same.clear()
            same.append((frames, picture))
            band = picture[:592 * 100 * 3]
            return len(same) >= 3 and frames - same[0][0] > PRESENT_LAG and \
                band != band[:3] * (len(band) // 3)
        self.wait(steady, 90, "no steady picture")

    def client(self):
        """(x, y, width, height) of the client area on the screen."""
        info = run(["xwininfo", "-id", str(self.window)], self.env).decode()
        return tuple(int(re.search(r"%s:\s*(-?\d+)" % name, info).group(1)) for name in
                     ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def picture(self, x=0, y=0, w=None, h=None):
        """An area of the client area (the whole of it by default), as the screen shows it;
        parts off the screen are black."""
        cx, cy, cw, ch = self.client()
        screen = run(["import", "-display", self.display, "-window", "root", "-depth", "8",
                      "rgb:-"], self.env)
        return Image(*SCREEN, screen).crop(cx + x, cy + y, w or cw, h or ch)

    def focus(self, window=None):
        self.xdo("windowfocus", "--sync", window or self.window)

    def xdo(self, *args):
        run(["xdotool"] + [str(a) for a in args], self.env)

    def wait_frames(self, count):
        """Waits until count more frames have been presented (a minute at most)."""
        target = self.x.count() + count
        self.wait(lambda: self.x.count() >= target, 60, "not %d frames presented" % count,
                  lambda: self.x.wait_for_events(0.5))

    def key_down(self, keys):
        """Presses keys (blank-separated X key names), each only after RELEASE_FRAMES frames
        have been presented since it was last released."""
        for key in keys.split():
            if key in self.released_at:
                behind = self.released_at[key] + RELEASE_FRAMES - self.x.count()
                if behind > 0:
                    self.wait_frames(behind)
            self.x.key(key, True)

    def key_up(self, keys):
        for key in keys.split():
            self.x.key(key, False)
        self.released_at.update(dict.fromkeys(keys.split(), self.x.count()))

    def hold(self, keys, frames=HOLD_FRAMES, focus=True):
        """Holds keys down until at least frames frames have polled them down, whatever the
        load, then releases them. focus=False leaves the keys to whichever window has the
        focus, while the viewer's frames are still counted."""
        if focus:
            self.focus()
        self.press(keys, frames + PRESENT_LAG)

    def press(self, keys, presented):
        """Holds keys down until presented more frames have been presented: without load
        the viewer polls them down that many frames, give or take one; with its frame queue
        full, fewer or none (hold() counts on none)."""
        self.key_down(keys)
        try:
            self.wait_frames(presented)
        finally:
            self.key_up(keys)

    def hold_until(self, keys, condition, timeout=30, focus=True):
        """Holds the keys down until the condition holds, and returns its result: for a
        change that may go on past the condition (a value that stops at its limit, a file
        written), since the keys stay down while the condition is checked. A place between
        two limits is found by reach(). focus=False presses them at once, as hold() does."""
        if focus:
            self.focus()
        self.key_down(keys)
        try:
            return self.wait(condition, timeout, "holding %s never got there" % keys)
        finally:
            self.key_up(keys)

    def reach(self, measure, target, tolerance, increase, decrease):
        """Brings measure() to within tolerance of target by feedback, and returns it: holds
        increase (keys that raise the measure) or decrease (keys that lower it), for about
        half the frames the remaining distance needs at the rate seen so far, so it steps
        back after an overshoot and ends in taps of one frame. A measure read from the
        picture is noisy, so a key fails the case only when its holds have moved the measure
        the wrong way by more than the tolerance in all. The tolerance should span a few
        frames' change; a minute at most."""
        deadline = time.monotonic() + 60
        value, per_frame, frames = measure(), None, 1
        moved_by = {increase: 0, decrease: 0}  # by each key, counted its own way
        while abs(target - value) > tolerance:
            if time.monotonic() > deadline:
                raise AssertionError("%s and %s never brought %s to %s within 60 s" % (
                    increase, decrease, value, target))
            keys = increase if target > value else decrease
            if per_frame:  # at most four times the last hold: a rate read from noise misleads
                frames = max(1, min(4 * frames, int(abs(target - value) / per_frame / 2)))
            self.focus()
            self.press(keys, frames + 1)  # the first may have polled before the press
            new = measure()
            moved = (new - value) * (1 if keys == increase else -1)
            value = new
            moved_by[keys] += moved
            if moved_by[keys] < -tolerance:
                raise AssertionError("%s moved the measure the wrong way, to %s" % (keys, value))
            if moved > 0:
                per_frame = moved / (frames + 1)
            else:  # not yet in sight, or held too briefly to show: longer next time
                per_frame, frames = None, min(2 * frames, 64)
        return value

    def click(self, x, y):
        cx, cy, _, _ = self.client()
        self.xdo("mousemove", cx + x, cy + y)
        self.xdo("click", 1)

    def captures(self):
        folder = self.path(CAPTURE_FOLDER)
        if not os.path.isdir(folder):
            return []
        return sorted((n for n in os.listdir(folder) if n.endswith(".bmp")),
                      key=lambda n: int(n[:-4]))

    def capture(self, press=None):
        """Holds Enter until a new capture is written (or does press and waits for it), and
        returns the one new capture's BMP fields."""
        before = set(self.captures())

        def written():  # new files as long as their headers say: the viewer may be writing
            return {n for n in set(self.captures()) - before
                    if whole_bmp(self.path(CAPTURE_FOLDER, n))}
        if press:
            press(self)
            new = self.wait(written, 20, "no capture written")
        else:
            new = self.hold_until("Return", written, 20)
        assert len(new) == 1, new
        return read_bmp(self.path(CAPTURE_FOLDER, new.pop()))

    def quit(self):
        """Holds Escape until the program has ended; returns its exit code."""
        self.hold_until("Escape", lambda: self.proc.poll() is not None)
        return self.proc.returncode

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def close(self):
        if self.x is not None:
            self.x.close()
        if self.proc is not None and self.proc.poll() is None:
            os.killpg(self.proc.pid, 9)
        if self.wine and self.xvfb is not None:
            subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        if self.xvfb is not None:
            self.xvfb.kill()
            self.xvfb.wait()
        if os.environ.get("E2E_KEEP") != "1":
            shutil.rmtree(self.root, ignore_errors=True)


def run_cases(tools, argv):
    """Runs the calling program's cases, given unittest's arguments: exit 0 passed, 1 failed,
    77 when the harness's tools, the given ones or the X libraries are missing, or when the
    cases skipped themselves as a whole."""
    missing = [t for t in TOOLS + tools if shutil.which(t) is None]
    try:
        xframes.xlib()
    except OSError as error:
        missing.append(str(error))
    if missing:
        print("skipped: missing " + " ".join(missing), file=sys.stderr)
        sys.exit(SKIP)
    result = unittest.main(module="__main__", argv=[sys.argv[0]] + argv, exit=False,
                           testLoader=CaseLoader(), verbosity=2).result
    if result.testsRun == 0 and result.skipped:  # skipped as a whole, e.g. no build to compare
        sys.exit(SKIP)
    sys.exit(0 if result.wasSuccessful() and result.testsRun > 0 else 1)


def main():
    """Runs the calling scenario's cases against --exe in copies of --scene."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    _, rest = parser.parse_known_args(namespace=options)
    wine = options.exe.endswith(".exe")
    run_cases(("wine", "x86_64-w64-mingw32-gcc") if wine else (), rest)
