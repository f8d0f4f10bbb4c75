"""Drive a Windows program under Wine, or a native Linux program, on a private Xvfb display.

Scenarios import this module, open a ViewerSession and use its steps:

    with ViewerSession(exe, scene_dir) as s:
        s.start()
        s.find_window()              # seconds from process start to the window
        s.hold_key("Right", 0.5)
        shot = s.screenshot("after.png")
        r, g, b = s.pixel(10, 10, shot)
        s.close_window()
        code = s.wait_exit(10)

How the client area is found (Wine 8, no window manager on the display):
Wine treats a WS_CAPTION window as "managed" and leaves the frame and caption
to a window manager. With none running, nothing draws them and the X window
that carries the title is exactly the Win32 client area: its absolute
position is the client origin and its size the client size. The Win32 outer
rectangle lies FRAME_OFFSET = (4, 23) up-left of it (4-pixel sizing border,
19-pixel caption) and is not an X window at all. If Wine ever puts the client
into a child X window (as it may for OpenGL drawing), the child that matches
the expected client size is used instead. test_harness_probe.py checks this
against the program's own ClientToScreen and against marker pixels.

Each session gets its own display, its own copy of a freshly booted Wine
prefix and its own working folder; all of them are removed afterwards (set
E2E_KEEP=1 to keep the working folder and screenshots). The booted prefix is
made once and cached in the temp folder (per user and Wine version); it is
never run after boot, only copied, so every session starts from the same
clean state. Set E2E_FRESH_PREFIX=1 to boot a new one in this process.
"""

import atexit
import os
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time

SKIP_EXIT_CODE = 77
DEFAULT_TITLE = "ビューア"
FRAME_OFFSET = (4, 23)
SCREEN_SIZE = (1024, 768)
DISPLAY_RANGE = range(90, 191)
X_TOOLS = ("Xvfb", "xdotool", "xwininfo", "xdpyinfo", "import", "convert")
WINE_TOOLS = ("wine", "wineserver")


class HarnessError(Exception):
    """A step of a session did not complete; the message says which."""


def is_native(exe):
    """A program that is not a .exe runs directly, without Wine."""
    return not exe.lower().endswith(".exe")


def missing_tools(native=False):
    required = X_TOOLS if native else X_TOOLS + WINE_TOOLS
    return [t for t in required if shutil.which(t) is None]


def skip_if_unavailable(native=False):
    """Exit with SKIP_EXIT_CODE when Wine (unless native) or the X tools are not installed."""
    missing = missing_tools(native)
    if missing:
        print("SKIP: end-to-end tools not installed: " + ", ".join(missing),
              file=sys.stderr)
        sys.exit(SKIP_EXIT_CODE)


def _run(args, timeout=20, env=None, check=True, input_bytes=None):
    try:
        proc = subprocess.run(args, env=env, input=input_bytes,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=timeout)
    except subprocess.TimeoutExpired:
        raise HarnessError("timed out after %ss: %s" % (timeout, " ".join(args)))
    if check and proc.returncode != 0:
        raise HarnessError("%s failed (%d): %s" % (
            " ".join(args), proc.returncode,
            proc.stderr.decode("utf-8", "replace").strip()))
    return proc


def _quiet(args, env, timeout=20):
    """Run a clean-up command; never raise."""
    try:
        subprocess.run(args, env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=timeout)
    except (OSError, subprocess.TimeoutExpired):
        pass


# --------------------------------------------------------------------------
# Xvfb

class XDisplay:
    """A private Xvfb server on the first free display number."""

    def __init__(self, size=SCREEN_SIZE, depth=24):
        self.size = size
        self.depth = depth
        self.number = None
        self.proc = None
        self.log_path = None

    @property
    def name(self):
        return ":%d" % self.number

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        return env

    @staticmethod
    def _free(n):
        return not (os.path.exists("/tmp/.X11-unix/X%d" % n)
                    or os.path.exists("/tmp/.X%d-lock" % n))

    def start(self, timeout=15):
        log_fd, self.log_path = tempfile.mkstemp(prefix="e2e-xvfb-", suffix=".log")
        os.close(log_fd)
        for n in DISPLAY_RANGE:
            if not self._free(n):
                continue
            with open(self.log_path, "wb") as log:
                proc = subprocess.Popen(
                    ["Xvfb", ":%d" % n, "-screen", "0",
                     "%dx%dx%d" % (self.size[0], self.size[1], self.depth),
                     "-nolisten", "tcp", "-noreset"],
                    stdout=log, stderr=subprocess.STDOUT,
                    start_new_session=True)
            self.number, self.proc = n, proc
            if self._wait_ready(timeout):
                return self
            # Lost a race for this number or the server failed: try the next.
            self.stop()
        raise HarnessError("no Xvfb display could be started (log: %s)" % self.log_path)

    def _wait_ready(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                return False
            probe = subprocess.run(["xdpyinfo", "-display", self.name],
                                   stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
            if probe.returncode == 0:
                return True
            time.sleep(0.1)
        return False

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(5)
        self.proc = None


# --------------------------------------------------------------------------
# Wine prefix

def wine_env(prefix, display_name):
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": prefix,
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree=;mshtml=",
        "LANG": "ja_JP.UTF-8",
        "LC_ALL": "ja_JP.UTF-8",
        "DISPLAY": display_name,
    })
    env.pop("WINELOADER", None)
    return env


def _wine_version():
    try:
        out = _run(["wine", "--version"], timeout=20).stdout.decode().strip()
    except HarnessError:
        out = "unknown"
    return re.sub(r"[^A-Za-z0-9.]+", "_", out)


def _boot_prefix(path, display_name, timeout=180):
    env = wine_env(path, display_name)
    _run(["wine", "wineboot", "-i"], timeout=timeout, env=env, check=False)
    # Without a window manager nobody sends WM_TAKE_FOCUS, so with Wine's
    # default (UseTakeFocus=Y) an X FocusIn never makes a window the Windows
    # foreground window; only a click would. With N, X focus and Windows
    # activation follow each other, as they do under a desktop.
    _run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v",
          "UseTakeFocus", "/t", "REG_SZ", "/d", "N", "/f"],
         timeout=timeout, env=env, check=False)
    # With Wine's Direct3D command thread on, a frame's buffer swap runs on that thread and
    # can deadlock with the capture's read of the desktop (seen under Wine 8 with Mesa's
    # software renderer on Xvfb: the viewer's thread stuck in XGetImage inside BitBlt, the
    # command thread in wglSwapBuffers). Off, both run on the viewer's one thread.
    _run(["wine", "reg", "add", r"HKCU\Software\Wine\Direct3D", "/v", "csmt",
          "/t", "REG_DWORD", "/d", "0", "/f"], timeout=timeout, env=env, check=False)
    _run(["wineserver", "-w"], timeout=timeout, env=env, check=False)
    if not os.path.isfile(os.path.join(path, "system.reg")):
        raise HarnessError("wineboot did not create a prefix in " + path)


_template_prefix = None
PREFIX_LAYOUT = "v3"   # bump when _boot_prefix changes, so old caches are not used


def template_prefix(display_name):
    """The path of a booted, never-run Wine prefix, made on first use."""
    global _template_prefix
    if _template_prefix and os.path.isfile(os.path.join(_template_prefix, ".ready")):
        return _template_prefix
    base = tempfile.gettempdir()
    fresh = os.environ.get("E2E_FRESH_PREFIX") == "1"
    cached = os.path.join(base, "viewer-e2e-prefix-%s-%d-%s" % (
        PREFIX_LAYOUT, os.getuid(), _wine_version()))
    if not fresh and os.path.isfile(os.path.join(cached, ".ready")):
        _template_prefix = cached
        return cached
    building = tempfile.mkdtemp(prefix="viewer-e2e-boot-", dir=base)
    prefix = os.path.join(building, "prefix")
    _boot_prefix(prefix, display_name)
    with open(os.path.join(prefix, ".ready"), "w") as f:
        f.write("booted %s\n" % time.ctime())
    if fresh:
        atexit.register(shutil.rmtree, building, True)
        _template_prefix = prefix
        return prefix
    try:
        os.rename(prefix, cached)          # atomic; loses quietly to a parallel run
    except OSError:
        pass
    shutil.rmtree(building, ignore_errors=True)
    if not os.path.isfile(os.path.join(cached, ".ready")):
        raise HarnessError("could not set up the cached Wine prefix " + cached)
    _template_prefix = cached
    return cached


# --------------------------------------------------------------------------
# Images

class Image:
    """Packed 8-bit RGB pixels, top row first."""

    def __init__(self, width, height, rgb, path=None):
        if len(rgb) != width * height * 3:
            raise HarnessError("image data is %d bytes, expected %d"
                               % (len(rgb), width * height * 3))
        self.width = width
        self.height = height
        self.rgb = rgb
        self.path = path

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError("pixel (%d, %d) outside %dx%d" % (x, y, self.width, self.height))
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, x, y, w, h):
        rows = []
        for row in range(y, y + h):
            i = (row * self.width + x) * 3
            rows.append(self.rgb[i:i + w * 3])
        return Image(w, h, b"".join(rows))


def load_png(path):
    """Decode a PNG (or any ImageMagick-readable file) into an Image."""
    size = _run(["convert", path, "-format", "%w %h", "info:"]).stdout.split()
    w, h = int(size[0]), int(size[1])
    rgb = _run(["convert", path, "-alpha", "off", "-depth", "8", "rgb:-"],
               timeout=30).stdout
    return Image(w, h, rgb, path)


def colour_close(a, b, tolerance):
    return all(abs(int(x) - int(y)) <= tolerance for x, y in zip(a, b))


def read_bmp(path):
    """Parse an uncompressed 24- or 32-bit BMP without help from other tools.

    Returns (headers, image): headers is a dict with the file header fields
    (type, file_size, reserved1, reserved2, offset) and the info header fields
    (header_size, width, height, planes, bit_count, compression, image_size,
    x_ppm, y_ppm, colors_used, colors_important) plus row_stride and
    actual_file_size; image is an Image with the rows in top-down order.
    """
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 54:
        raise HarnessError("%s: %d bytes, too short for a BMP" % (path, len(data)))
    ftype, file_size, res1, res2, offset = struct.unpack_from("<2sIHHI", data, 0)
    (header_size, width, height, planes, bit_count, compression, image_size,
     x_ppm, y_ppm, colors_used, colors_important) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    headers = {
        "type": ftype, "file_size": file_size, "reserved1": res1,
        "reserved2": res2, "offset": offset, "header_size": header_size,
        "width": width, "height": height, "planes": planes,
        "bit_count": bit_count, "compression": compression,
        "image_size": image_size, "x_ppm": x_ppm, "y_ppm": y_ppm,
        "colors_used": colors_used, "colors_important": colors_important,
        "actual_file_size": len(data),
    }
    if ftype != b"BM":
        raise HarnessError("%s: not a BMP (type %r)" % (path, ftype))
    if compression != 0 or bit_count not in (24, 32):
        raise HarnessError("%s: unsupported BMP (bits %d, compression %d)"
                           % (path, bit_count, compression))
    bpp = bit_count // 8
    stride = (width * bpp + 3) & ~3
    headers["row_stride"] = stride
    rows = abs(height)
    if offset + stride * rows > len(data):
        raise HarnessError("%s: pixel data truncated (%d bytes, need %d)"
                           % (path, len(data), offset + stride * rows))
    out = bytearray(width * rows * 3)
    for r in range(rows):
        src_row = rows - 1 - r if height > 0 else r     # positive height: bottom-up
        src = offset + src_row * stride
        dst = r * width * 3
        for x in range(width):
            b, g, rr = data[src + x * bpp:src + x * bpp + 3]
            out[dst + x * 3:dst + x * 3 + 3] = bytes((rr, g, b))
    return headers, Image(width, rows, bytes(out), path)


# --------------------------------------------------------------------------
# Session

class ViewerSession:
    """One run of a Windows program under Wine on its own Xvfb display.

    exe:    path of the .exe (copied into the working folder unless
            copy_exe=False, in which case it is run from where it is)
    scene:  a folder whose contents are copied into the working folder,
            which becomes the program's current directory (or None)
    title:  the exact window title to look for
    args:   extra command-line arguments for the program
    """

    def __init__(self, exe, scene=None, title=DEFAULT_TITLE, args=(),
                 copy_exe=True, keep=None):
        self.exe = os.path.abspath(exe)
        self.scene = os.path.abspath(scene) if scene else None
        self.title = title
        self.args = list(args)
        self.copy_exe = copy_exe
        self.native = is_native(self.exe)
        self.keep = os.environ.get("E2E_KEEP") == "1" if keep is None else keep
        self.display = None
        self.root = None
        self.prefix = None
        self.workdir = None
        self.proc = None
        self.start_time = None
        self.window = None
        self.exit_code = None
        self.last_screenshot = None
        self._shots = 0
        self._stdout_path = None
        self._stderr_path = None
        self._spawned = []
        self.timings = {}

    # -- set-up and tear-down ---------------------------------------------

    def __enter__(self):
        try:
            self.setup()
        except BaseException:
            self.cleanup()
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None:
            print(self.diagnostics(), file=sys.stderr)
        self.cleanup()
        return False

    def setup(self):
        t0 = time.monotonic()
        self.display = XDisplay().start()
        self.timings["display"] = time.monotonic() - t0
        self.root = tempfile.mkdtemp(prefix="viewer-e2e-")
        if not self.native:
            t0 = time.monotonic()
            template = template_prefix(self.display.name)
            self.prefix = os.path.join(self.root, "prefix")
            shutil.copytree(template, self.prefix, symlinks=True)
            self.timings["prefix"] = time.monotonic() - t0
        self.workdir = os.path.join(self.root, "work")
        if self.scene:
            if not os.path.isdir(self.scene):
                raise HarnessError("scene folder not found: " + self.scene)
            shutil.copytree(self.scene, self.workdir, symlinks=False)
        else:
            os.makedirs(self.workdir)
        self.shots_dir = os.path.join(self.root, "shots")
        os.makedirs(self.shots_dir)
        if not os.path.isfile(self.exe):
            raise HarnessError("program not found: " + self.exe)
        if self.copy_exe:
            shutil.copy2(self.exe, os.path.join(self.workdir, os.path.basename(self.exe)))
        return self

    def env(self):
        if self.native:
            return self.display.env()
        return wine_env(self.prefix, self.display.name)

    def cleanup(self):
        if self.prefix and os.path.isdir(self.prefix):
            _quiet(["wineserver", "-k"], self.env())
        for proc in [self.proc] + self._spawned:
            if proc is None or proc.poll() is not None:
                continue
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except OSError:
                pass
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                pass
        if self.prefix and os.path.isdir(self.prefix):
            # wineserver -k can return before the server itself has gone.
            _quiet(["wineserver", "-w"], self.env())
        if self.display is not None:
            self.display.stop()
            if self.display.log_path and os.path.exists(self.display.log_path):
                os.unlink(self.display.log_path)
        if self.root and os.path.isdir(self.root):
            if self.keep:
                if self.prefix:
                    shutil.rmtree(self.prefix, ignore_errors=True)
                print("kept working folder: " + self.root, file=sys.stderr)
            else:
                shutil.rmtree(self.root, ignore_errors=True)

    # -- the program --------------------------------------------------------

    def start(self):
        """Start the program with the working folder as its current folder."""
        if self.copy_exe:
            exe_arg = os.path.join(".", os.path.basename(self.exe))
        else:
            exe_arg = self.exe
        command = [exe_arg] if self.native else ["wine", exe_arg]
        self._stdout_path = os.path.join(self.root, "stdout.txt")
        self._stderr_path = os.path.join(self.root, "stderr.txt")
        out = open(self._stdout_path, "wb")
        err = open(self._stderr_path, "wb")
        self.start_time = time.monotonic()
        self.proc = subprocess.Popen(command + self.args,
                                     cwd=self.workdir, env=self.env(),
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                     start_new_session=True)
        out.close()
        err.close()
        return self.proc

    def spawn(self, exe, args=(), title=None, timeout=60):
        """Start another Windows program on the same display and prefix (so
        the same wineserver: for foreground and key-state checks). Returns
        (process, X window id or None when no title is given)."""
        log = open(os.path.join(self.root, "spawn-%d.txt" % (len(self._spawned) + 1)), "wb")
        proc = subprocess.Popen(["wine", os.path.abspath(exe)] + list(args),
                                cwd=self.workdir, env=self.env(),
                                stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT, start_new_session=True)
        log.close()
        self._spawned.append(proc)
        if title is None:
            return proc, None
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.search_windows(title)
            if found:
                return proc, found[0]
            if proc.poll() is not None:
                raise HarnessError("%s exited with %d before showing %r"
                                   % (exe, proc.returncode, title))
            time.sleep(0.05)
        raise HarnessError("no window titled %r within %ss" % (title, timeout))

    def is_running(self):
        return self.proc is not None and self.proc.poll() is None

    def output(self):
        """(stdout, stderr) of the program so far, decoded leniently."""
        texts = []
        for p in (self._stdout_path, self._stderr_path):
            if p and os.path.exists(p):
                with open(p, "rb") as f:
                    texts.append(f.read().decode("utf-8", "replace"))
            else:
                texts.append("")
        return tuple(texts)

    def wait_exit(self, timeout=15):
        """Wait for the program to end and return its exit code."""
        if self.proc is None:
            raise HarnessError("the program was never started")
        try:
            self.exit_code = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("the program did not exit within %ss" % timeout)
        self.window = None
        return self.exit_code

    def path(self, *parts):
        """A path inside the working folder (the program's current folder)."""
        return os.path.join(self.workdir, *parts)

    # -- the window ---------------------------------------------------------

    def _xdo(self, *args, timeout=10, check=True):
        return _run(["xdotool"] + [str(a) for a in args], timeout=timeout,
                    env=self.display.env(), check=check)

    def search_windows(self, title=None):
        pattern = "^%s$" % re.escape(title or self.title)
        proc = self._xdo("search", "--onlyvisible", "--name", pattern, check=False)
        return [int(w) for w in proc.stdout.split()]

    def find_window(self, timeout=60):
        """Wait for a visible window with the title; return seconds since start."""
        deadline = time.monotonic() + timeout
        while True:
            found = self.search_windows()
            now = time.monotonic()
            if found:
                self.window = found[0]
                elapsed = now - self.start_time
                self.timings["window"] = elapsed
                return elapsed
            if self.proc is not None and self.proc.poll() is not None:
                raise HarnessError("the program exited with code %d before its window "
                                   "appeared" % self.proc.returncode)
            if now > deadline:
                raise HarnessError("no window titled %r within %ss" % (self.title, timeout))
            time.sleep(0.05)

    def _require_window(self):
        if self.window is None:
            self.find_window()
        return self.window

    def _window_info(self, wid):
        out = _run(["xwininfo", "-id", str(wid)], env=self.display.env()).stdout.decode(
            "utf-8", "replace")
        def field(name):
            m = re.search(r"^\s*%s:\s*(-?\d+)" % re.escape(name), out, re.M)
            if not m:
                raise HarnessError("xwininfo gave no %r for window %#x" % (name, wid))
            return int(m.group(1))
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"),
                field("Width"), field("Height"), "IsViewable" in out)

    def _children(self, wid):
        out = _run(["xwininfo", "-children", "-id", str(wid)],
                   env=self.display.env()).stdout.decode("utf-8", "replace")
        return [int(m, 16) for m in re.findall(r"^\s+(0x[0-9a-fA-F]+)", out, re.M)]

    def client_geometry(self, expected_size=None):
        """(x, y, width, height) of the client area in screen coordinates.

        Without a window manager the titled X window is the client area itself.
        When it has a viewable child of expected_size (or, with no size given,
        a child covering most of it) that child is taken as the client area.
        """
        wid = self._require_window()
        x, y, w, h, _ = self._window_info(wid)
        for child in self._children(wid):
            cx, cy, cw, ch, viewable = self._window_info(child)
            if not viewable:
                continue
            if expected_size is not None:
                if (cw, ch) == tuple(expected_size) and (w, h) != tuple(expected_size):
                    return cx, cy, cw, ch
            elif cw * ch * 2 > w * h and (cw, ch) != (w, h):
                return cx, cy, cw, ch
        return x, y, w, h

    def outer_origin(self):
        """Screen position of the Win32 outer window corner (client minus frame)."""
        x, y, _, _ = self.client_geometry()
        return x - FRAME_OFFSET[0], y - FRAME_OFFSET[1]

    # -- input --------------------------------------------------------------

    def focus(self):
        """Give the window the X input focus (and so make it Wine's foreground).

        There is no window manager, so _NET_ACTIVE_WINDOW (windowactivate) does
        not work; XSetInputFocus does, and the pointer is parked inside the
        client area as well so PointerRoot focus would also land there.
        """
        wid = self._require_window()
        x, y, w, h = self.client_geometry()
        self.move_pointer(x + w // 2, y + h // 2)
        self._xdo("windowfocus", "--sync", wid, timeout=10)
        time.sleep(0.1)

    def move_pointer(self, x, y, timeout=5):
        """Move the pointer to screen (x, y) and wait until it is there.

        (xdotool mousemove --sync waits for motion and hangs when the
        pointer is already at the target, so the position is polled.)
        """
        self._xdo("mousemove", x, y)
        deadline = time.monotonic() + timeout
        while True:
            out = self._xdo("getmouselocation", "--shell").stdout.decode()
            pos = dict(l.split("=", 1) for l in out.split() if "=" in l)
            if (int(pos.get("X", -1)), int(pos.get("Y", -1))) == (x, y):
                return
            if time.monotonic() > deadline:
                raise HarnessError("pointer did not reach (%d, %d): %s" % (x, y, out.strip()))
            time.sleep(0.02)

    def focus_window(self, wid):
        """Give the X input focus to another window (e.g. one from spawn())."""
        self._xdo("windowfocus", "--sync", wid, timeout=10)
        time.sleep(0.1)

    def unfocus(self):
        """Take the X focus away from every Wine window (focus to the root).

        Wine then deactivates the program: GetForegroundWindow() no longer
        returns its window. Keys typed now reach no Wine window at all.
        A new Wine window is the Windows foreground window without holding
        the X focus (that stays PointerRoot), so moving the focus away from
        it would produce no FocusOut: the window is focused first.
        """
        self.focus()
        root = _run(["xwininfo", "-root"], env=self.display.env()).stdout.decode()
        wid = int(re.search(r"Window id: (0x[0-9a-fA-F]+)", root).group(1), 16)
        self._xdo("windowfocus", wid, timeout=10)
        time.sleep(0.2)

    def key_down(self, keysym):
        self._xdo("keydown", keysym)

    def key_up(self, keysym):
        self._xdo("keyup", keysym)

    def hold_key(self, keysym, seconds):
        """Press keysym (e.g. "Right", "Escape", "shift+Up"), keep it down, release."""
        self.focus()
        self.key_down(keysym)
        try:
            time.sleep(seconds)
        finally:
            self.key_up(keysym)

    def tap(self, keysym, hold=0.15):
        """A short press; long enough for a program polling once per frame."""
        self.hold_key(keysym, hold)

    def click_client(self, x, y, button=1):
        cx, cy, _, _ = self.client_geometry()
        self.move_pointer(cx + x, cy + y)
        self._xdo("click", button)

    def close_window(self):
        """Alt+F4 to the window (system close: WM_CLOSE through DefWindowProc); a native
        window, with no window manager to read Alt+F4, is asked as a window manager asks."""
        if self.native:
            send_delete_window(self.display.name, self._require_window())
            return
        self.focus()
        self._xdo("key", "--clearmodifiers", "alt+F4")

    # -- screen ---------------------------------------------------------------

    def screenshot(self, path=None):
        """Grab the whole screen to a PNG; return it as an Image."""
        self._shots += 1
        if path is None:
            path = os.path.join(self.shots_dir, "shot-%03d.png" % self._shots)
        elif not os.path.isabs(path):
            path = os.path.join(self.shots_dir, path)
        _run(["import", "-display", self.display.name, "-window", "root", path],
             timeout=30, env=self.display.env())
        self.last_screenshot = path
        return load_png(path)

    def client_image(self, shot=None):
        """The client area cut out of a screenshot (a new one if none given)."""
        shot = shot or self.screenshot()
        x, y, w, h = self.client_geometry()
        return shot.crop(x, y, w, h)

    def pixel(self, x, y, shot=None):
        """RGB at client point (x, y), from shot or from a new screenshot."""
        shot = shot or self.screenshot()
        cx, cy, _, _ = self.client_geometry()
        return shot.pixel(cx + x, cy + y)

    def wait_for_picture(self, timeout=60):
        """Wait until the client area shows a drawn picture (not one flat colour, as it is
        while the program starts up) that stays the same from one screenshot to the next:
        from then on its main loop runs and polls the keys."""
        deadline = time.monotonic() + timeout
        previous = None
        while time.monotonic() < deadline:
            picture = self.client_image().rgb
            flat = picture == picture[:3] * (len(picture) // 3)
            if not flat and picture == previous:
                return
            previous = picture
            time.sleep(0.3)
        raise HarnessError("the program drew no steady picture within %ss" % timeout)

    # -- diagnostics ---------------------------------------------------------

    def diagnostics(self):
        lines = ["--- e2e session diagnostics ---"]
        if self.display is not None and self.display.number is not None:
            lines.append("display: %s" % self.display.name)
        lines.append("working folder: %s" % self.workdir)
        if self.proc is not None:
            lines.append("process: pid %d, exit code %s"
                         % (self.proc.pid, self.proc.poll()))
        if self.display is not None and self.display.proc is not None:
            try:
                tree = _run(["xwininfo", "-root", "-tree"], env=self.display.env(),
                            check=False).stdout.decode("utf-8", "replace")
                named = [l.strip() for l in tree.splitlines() if '"' in l]
                lines.append("named X windows:\n  " + "\n  ".join(named or ["(none)"]))
            except HarnessError as e:
                lines.append("xwininfo failed: %s" % e)
            try:
                self.screenshot("failure.png")
            except HarnessError:
                pass
        if self.last_screenshot:
            lines.append("last screenshot: %s" % self.last_screenshot)
            if not self.keep:
                lines.append("(set E2E_KEEP=1 to keep it)")
        out, err = self.output()
        lines.append("stdout:\n" + (out.strip()[-4000:] or "(empty)"))
        lines.append("stderr:\n" + (err.strip()[-4000:] or "(empty)"))
        lines.append("timings: %s" % {k: round(v, 3) for k, v in self.timings.items()})
        return "\n".join(lines)


def open_session(test, exe, scene=None, title=DEFAULT_TITLE):
    """Start the program for a unittest case and find its window; the session is cleaned up
    when the case ends, passed or not."""
    session = ViewerSession(exe, scene, title=title)
    session.__enter__()
    test.addCleanup(session.cleanup)
    session.start()
    session.find_window(timeout=60)
    return session


# --------------------------------------------------------------------------
# Scenario entry point

_cli = {"exe": None, "scene": None}


def scenario_args():
    """The --exe and --scene given on the command line of the running scenario."""
    return _cli["exe"], _cli["scene"]


def run_scenario(argv=None, require_exe=True):
    """Main for a test_<name>.py file: parse --exe/--scene, run its unittest
    cases, exit 0 (pass), 1 (fail) or 77 (tools missing)."""
    import argparse
    import unittest
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=require_exe)
    parser.add_argument("--scene")
    args, rest = parser.parse_known_args(argv)
    skip_if_unavailable(native=bool(args.exe) and is_native(args.exe))
    _cli["exe"] = os.path.abspath(args.exe) if args.exe else None
    _cli["scene"] = os.path.abspath(args.scene) if args.scene else None
    main = sys.modules["__main__"]
    program = unittest.main(module=main, argv=[sys.argv[0]] + rest, exit=False,
                            verbosity=2)
    result = program.result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.testsRun == 0:
        print("no test ran", file=sys.stderr)
        sys.exit(1)
    if len(result.skipped) == result.testsRun:
        sys.exit(SKIP_EXIT_CODE)
    sys.exit(0)


def send_delete_window(display_name, wid):
    """Send the window the WM_DELETE_WINDOW message a window manager sends for its close box
    (through Xlib with ctypes: xdotool can only destroy a window or kill its client)."""
    import ctypes
    import ctypes.util
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                    ("padding", ctypes.c_long * 24)]   # an XEvent is 24 longs or more

    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise HarnessError("cannot open display " + display_name)
    event = ClientMessage(type=33, window=wid, format=32)   # 33: ClientMessage
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, wid, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def median(values):
    return statistics.median(values)


PROBE_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                            "probe", "empty_window.cpp")
PROBE_TITLE = "空のウィンドウ"
PROBE_CLIENT_SIZE = (592, 576)
PROBE_FILL = (10, 200, 30)
PROBE_MARKER = (250, 20, 240)


def build_probe(out_dir, compiler="x86_64-w64-mingw32-g++"):
    """Compile probe/empty_window.cpp into out_dir; return the .exe path."""
    if shutil.which(compiler) is None:
        raise HarnessError(compiler + " is not installed")
    exe = os.path.join(out_dir, "empty_window.exe")
    _run([compiler, "-O2", "-static", "-mwindows", "-fexec-charset=CP932",
          "-o", exe, PROBE_SOURCE], timeout=120)
    return exe
