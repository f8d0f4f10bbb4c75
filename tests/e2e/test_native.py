"""What the native Linux viewer (SDL2 and OpenGL) does its own way: the capture button drawn
into the picture, captures read from the presented frame (black outside the picture), keys
only while its window has the focus, the window system's close, and start-up failures with
their one line on standard error. The linux preset runs the shared scenarios against it too.

    python3 tests/e2e/test_native.py --exe build/linux/viewer --scene assets/demo
"""

import ctypes
import ctypes.util
import os
import re
import subprocess
import unittest

import harness

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


class NativeViewer(unittest.TestCase):

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

    def test_start_up_failures_end_with_exit_code_1_and_one_line_saying_why(self):
        s = harness.Session(self)
        no_fonts = os.path.join(s.root, "fonts.conf")
        with open(no_fonts, "w") as f:
            f.write('<?xml version="1.0"?>\n<fontconfig></fontconfig>\n')
        cases = [({"DISPLAY": ":1999"}, "no display"),
                 ({"FONTCONFIG_FILE": no_fonts}, "no font"),
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
