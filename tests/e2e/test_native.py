"""What the native Linux viewer (SDL2 and OpenGL) does its own way: the capture button drawn
into the picture, captures read from the presented frame (black outside the picture), keys
only while its window has the focus and letters by the keyboard layout, the window system's
close, start-up failures with their one line on standard error, the font when only a Mincho
face is installed, images larger than the renderer's largest texture, files that are not
regular files, and dropped texts. The linux preset runs the shared scenarios against it too.

    python3 tests/e2e/test_native.py --exe build/linux/viewer --scene assets/demo
"""

import ctypes
import ctypes.util
import errno
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest

import harness
from test_demo_scene import body_windows
from test_plain_scene import CLEAR, close, plain_scene
from xdnd_source import XdndSource

BUTTON = (102, 544, 68, 18)
BUTTON_FACE = (240, 240, 240)


def send_delete_window(display_name, window):
    """Sends the window the WM_DELETE_WINDOW message a window manager sends for its close box
    (through Xlib: xdotool can only destroy a window or kill its client)."""
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
                    ("padding", ctypes.c_long * 24)]  # an XEvent is 24 longs or more

    display = x11.XOpenDisplay(display_name.encode())
    event = ClientMessage(type=33, window=window, format=32)  # 33: ClientMessage
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def dark(rgb):
    return sum(rgb) < 150


def font_config(test, folder):
    """A fontconfig configuration that knows only the fonts in folder."""
    root = tempfile.mkdtemp(prefix="viewer-fonts-")
    test.addCleanup(shutil.rmtree, root, True)
    path = os.path.join(root, "fonts.conf")
    with open(path, "w") as f:
        f.write('<?xml version="1.0"?>\n<fontconfig><dir>%s</dir><cachedir>%s</cachedir>'
                '</fontconfig>\n' % (folder, os.path.join(root, "cache")))
    return path


def ink(image, background):
    """How many pixels of the area text has drawn on, over a background of one colour."""
    return sum(1 for y in range(image.height) for x in range(image.width)
               if not close(image.pixel(x, y), background, 24))


def write_bmp(path, width, height, row):
    """A 24-bit BMP whose row(y) gives the RGB bytes of row y, top row first."""
    padding = b"\0" * (-width * 3 % 4)
    rows = []
    for y in reversed(range(height)):
        rgb = row(y)
        bgr = bytearray(rgb)
        bgr[0::3], bgr[2::3] = rgb[2::3], rgb[0::3]
        rows.append(bytes(bgr) + padding)
    pixels = b"".join(rows)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0,
                            0))
        f.write(pixels)


def gradient(width):
    """Rows of a filter image whose colour changes smoothly across and down it."""
    across = [(255 * x // (width - 1), 255 - 255 * x // (width - 1)) for x in range(width)]

    def row(y):
        return bytes(v for r, g in across for v in (r, g, 4 * y))
    return row


def stretched(image, width):
    """Rows of the image stretched to the width, each texel repeated in place."""
    counts = [0] * image.width
    for x in range(width):
        counts[x * image.width // width] += 1

    def row(y):
        return b"".join(bytes(image.pixel(x, y)) * counts[x] for x in range(image.width))
    return row


def differing(a, b, tolerance=24):
    """How many pixels of two pictures of the same size differ by more than the tolerance."""
    return sum(1 for i in range(0, len(a.rgb), 3)
               if max(abs(p - q) for p, q in zip(a.rgb[i:i + 3], b.rgb[i:i + 3])) > tolerance)


def process_figures(pid):
    """(bytes read so far, peak resident KiB) of a process."""
    with open("/proc/%d/io" % pid) as f:
        read = int(re.search(r"rchar:\s*(\d+)", f.read()).group(1))
    with open("/proc/%d/status" % pid) as f:
        peak = int(re.search(r"VmHWM:\s*(\d+) kB", f.read()).group(1))
    return read, peak


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"VmRSS:\s*(\d+) kB", f.read()).group(1))


def set_layout(session, layout):
    subprocess.run(["setxkbmap", "-display", session.display, layout], env=session.env,
                   check=True)


class NativeViewer(unittest.TestCase):

    def test_letter_keys_follow_the_layout_switched_while_running(self):
        """The key that types the letter acts, wherever the layout puts it: on Xvfb, as on
        any X server with evdev key codes, keys are numbered by their place whatever the
        layout, so a mapping by place would act with the letter of the US keyboard."""
        s = harness.Session(self).start()
        self.assertEqual((50, 50), s.capture()[1:3])
        # French: "q" is typed by the key in the US A's place, which would move the filter.
        set_layout(s, "fr")
        s.hold_until("q", lambda: s.capture()[1] < 50)
        width, height = s.capture()[1:3]
        self.assertEqual(50, height, "only the width changed")
        # German: "z" is typed by the key in the US Y's place, which does nothing.
        set_layout(s, "de")
        s.hold_until("z", lambda: s.capture()[2] < 50)
        self.assertEqual(width, s.capture()[1], "only the height changed")

    def test_button_is_drawn_raised_with_its_caption(self):
        s = harness.Session(self).start()
        button = s.picture(*BUTTON)
        self.assertEqual(BUTTON_FACE, button.pixel(3, 3))
        self.assertEqual((255, 255, 255), button.pixel(0, 0), "raised: light top-left edge")
        caption = [button.pixel(x, y) for y in range(3, 15) for x in range(3, 65)]
        self.assertGreater(sum(map(dark, caption)), 20, "the caption's dark strokes")
        self.assertNotEqual(BUTTON_FACE, s.picture().pixel(BUTTON[0] - 1, BUTTON[1] + 9))

    def test_captures_equal_the_frame_and_are_black_outside_the_picture(self):
        s = harness.Session(self).start()
        s.hold("d s")
        s.wait_for_steady_picture()
        _, _, _, moved = s.capture()
        picture = s.picture()
        # The filter moves in steps of 3: exactly one such place shows the capture.
        places = [(x, y) for y in range(20, 200, 3) for x in range(20, 200, 3)
                  if picture.crop(x, y, 50, 50).rgb == moved.rgb]
        self.assertEqual(1, len(places), "one place shows the capture pixel for pixel")
        x, y = places[0]
        self.assertNotEqual((20, 20), (x, y))

        # Past the picture's left edge the capture is black, and the rest is the picture.
        def black_columns(capture):
            return [x for x in range(50) if capture.pixel(x, 25) == (0, 0, 0)]
        s.reach(lambda: len(black_columns(s.capture()[3])), 25, 10, "a", "d")
        _, _, _, edge = s.capture()
        black = black_columns(edge)
        inside = 50 - len(black)
        self.assertGreater(inside, 0, "part of the filter is still in the picture")
        self.assertEqual(list(range(len(black))), black, "black from the left edge on")
        self.assertEqual(edge.crop(len(black), 0, inside, 50).rgb,
                         s.picture(0, y, inside, 50).rgb)

        # Wider and taller than the picture and above its top: black above, right of and
        # below the picture too. The capture fits the frame at one height only.
        s.reach(lambda: s.capture()[1], 660, 30, "e", "q")
        s.reach(lambda: s.capture()[2], 640, 30, "c", "z")

        def black_rows(capture):
            return next(y for y in range(capture.height) if capture.pixel(300, y) != (0, 0, 0))
        s.reach(lambda: black_rows(s.capture()[3]), 15, 10, "w", "s")
        _, width, height, large = s.capture()
        picture = s.picture()
        places = [y for y in range(-40, 1)
                  if picture.crop(-len(black), y, width, height).rgb == large.rgb]
        self.assertEqual([-black_rows(large)], places, "the frame, with black all round it")

    def test_keys_typed_while_another_window_has_the_focus_do_nothing(self):
        s = harness.Session(self).start()
        root = int(re.search(r"Window id: (0x[0-9a-f]+)", subprocess.run(
            ["xwininfo", "-root"], env=s.env, capture_output=True, text=True).stdout).group(1), 16)
        s.xdo("windowfocus", root)
        before = s.picture()
        s.hold("e Return", focus=False)
        self.assertEqual(before.rgb, s.picture().rgb)
        self.assertEqual([], s.captures())

    def test_closing_the_window_and_escape_both_end_with_exit_code_0(self):
        s = harness.Session(self).start()
        send_delete_window(s.display, s.window)
        self.assertEqual(0, s.wait_exit())
        s = harness.Session(self).start()
        self.assertEqual(0, s.quit())

    def test_texts_are_drawn_in_a_mincho_face_when_it_is_the_only_japanese_font(self):
        mincho = "/usr/share/fonts/opentype/ipafont-mincho"
        self.assertTrue(os.path.isdir(mincho), "fonts-ipafont-mincho is not installed")
        scene = harness.scene_copy(self, plain_scene)
        gothic = harness.Session(self, scene).start()
        s = harness.Session(self, scene, env={"FONTCONFIG_FILE": font_config(self, mincho)})
        s.start()
        with open("/proc/%d/maps" % s.viewer_pid()) as f:
            faces = set(re.findall(r"/(ipa\w*\.ttf)", f.read()))
        self.assertTrue(faces and all(face.startswith("ipam") for face in faces), faces)
        help_area = (49, 431, 292, 113), CLEAR
        caption_area = (BUTTON[0] + 3, BUTTON[1] + 3, 62, 12), BUTTON_FACE
        for area, background in help_area, caption_area:
            drawn, in_gothic = s.picture(*area), gothic.picture(*area)
            self.assertNotEqual(in_gothic.rgb, drawn.rgb, "not the Gothic face's glyphs")
            self.assertGreater(ink(drawn, background), ink(in_gothic, background) / 2,
                               "about as much drawn as in the Gothic face")

    def test_images_wider_than_the_largest_texture_are_drawn_scaled_down(self):
        """20,000 texels are more than the renderer's largest texture (16,384 with Mesa's,
        8,192 or 4,096 on many GPUs): each image is drawn as the same image of a size the
        renderer takes is, never black."""
        def filter_image(width):
            return lambda folder: (plain_scene(folder), write_bmp(
                os.path.join(folder, harness.FILTER_IMAGE), width, 64, gradient(width)))
        area = (20, 20, 50, 50)
        small = harness.Session(self, harness.scene_copy(self, filter_image(2000))).start()
        wide = harness.Session(self, harness.scene_copy(self, filter_image(20000))).start()
        self.assertLess(differing(small.picture(*area), wide.picture(*area), 12), 50)

        body = harness.read_bmp(os.path.join(harness.options.scene, "rocket_body.bmp"))[3]

        def wide_texture(folder):
            write_bmp(os.path.join(folder, "rocket_body.bmp"), 20000, body.height,
                      stretched(body, 20000))
        small = harness.Session(self).start().picture()
        wide = harness.Session(self, harness.scene_copy(self, wide_texture)).start().picture()
        self.assertGreater(len(body_windows(wide)), 20, "the body's texture is drawn")
        # A black body alone differs in about 7,000 pixels.
        self.assertLess(differing(small, wide), 2000)

    def test_images_that_are_not_regular_files_count_as_missing(self):
        """A FIFO would block the reader that opens it until some writer comes, and a device
        could act on being opened: neither is opened, and the folder is not read either."""
        names = ("rocket_body.bmp", harness.FILTER_IMAGE, "kabe_texture.bmp")

        s = harness.Session(self)
        for name in names:
            os.remove(s.path(name))
        os.mkfifo(s.path(names[0]))
        os.mkfifo(s.path(names[1]))
        os.mkdir(s.path(names[2]))
        s.start()
        for fifo in names[:2]:
            with self.assertRaises(OSError, msg="no reader holds %s open" % fifo) as opened:
                os.close(os.open(s.path(fifo), os.O_WRONLY | os.O_NONBLOCK))
            self.assertEqual(errno.ENXIO, opened.exception.errno)
        missing = harness.Session(self, harness.scene_copy(self, lambda folder: [
            os.remove(os.path.join(folder, name)) for name in names])).start()
        self.assertEqual(missing.picture().rgb, s.picture().rgb)
        self.assertEqual(0, s.quit())

    def without_model(self):
        return harness.Session(self, harness.scene_copy(self, lambda folder: os.remove(
            os.path.join(folder, "model.x")))).start()

    def test_a_model_that_is_a_fifo_is_never_opened(self):
        """Opening it would hold start-up until some writer came."""
        s = harness.Session(self)
        os.remove(s.path("model.x"))
        os.mkfifo(s.path("model.x"))
        s.start()
        with self.assertRaises(OSError, msg="no reader holds model.x open") as opened:
            os.close(os.open(s.path("model.x"), os.O_WRONLY | os.O_NONBLOCK))
        self.assertEqual(errno.ENXIO, opened.exception.errno)
        self.assertEqual(self.without_model().picture().rgb, s.picture().rgb)
        self.assertEqual(0, s.quit())

    def test_a_huge_model_that_is_not_a_x_file_is_refused_after_its_first_bytes(self):
        s = harness.Session(self)
        with open(s.path("model.x"), "wb") as f:
            f.write(b"not a model at all\n")
            f.truncate(1 << 30)  # sparse: nothing to write, a gigabyte to read
        s.start()
        without = self.without_model()
        self.assertEqual(without.picture().rgb, s.picture().rgb)
        (read, peak), (read_without, peak_without) = (
            process_figures(session.viewer_pid()) for session in (s, without))
        self.assertLess(read - read_without, 16 << 20, "bytes read beyond the scene's own")
        self.assertLess(peak - peak_without, 64 << 10, "KiB more resident at the peak")

    def test_dropped_texts_are_refused_and_leave_no_memory_behind(self):
        """Only files can be dropped, as on Windows. Each dropped text of 200 KiB once stayed
        in memory, 49 MiB over 250 drops."""
        s = harness.Session(self).start()
        text = b"dropped text " * 16 * 1024
        with XdndSource(s.display) as source:
            for _ in range(10):  # the allocator's first pools
                source.drop(s.window, "text/plain", text)
            before = resident_kib(s.viewer_pid())
            for _ in range(250):
                source.drop(s.window, "text/plain", text)
            grown = resident_kib(s.viewer_pid()) - before
        self.assertLess(grown, 4 * 1024, "KiB more in memory after 250 drops")
        self.assertEqual(0, s.quit())

    def test_start_up_failures_end_with_exit_code_1_and_one_line_saying_why(self):
        s = harness.Session(self)
        # Latin faces only: the nearest match would draw every Japanese character as a box.
        latin_fonts = font_config(self, "/usr/share/fonts/truetype/dejavu")
        cases = [({"DISPLAY": ":1999"}, "no display"),
                 ({"FONTCONFIG_FILE": latin_fonts}, "install fonts-ipafont-gothic"),
                 ({"MESA_GL_VERSION_OVERRIDE": "2.1"}, "no OpenGL")]  # no 3.3 context then
        for change, reason in cases:
            with self.subTest(reason):
                env = dict(s.env, **change)
                env.pop("WAYLAND_DISPLAY", None)
                run = subprocess.run([s.exe], cwd=s.workdir, env=env, capture_output=True,
                                     timeout=60)
                lines = run.stderr.decode("utf-8", "replace").splitlines()
                self.assertEqual(1, run.returncode)
                self.assertEqual(1, len(lines), lines)
                self.assertIn(reason, lines[0])


if __name__ == "__main__":
    harness.main()
