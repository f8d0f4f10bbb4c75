"""What the native Linux viewer (SDL2 and OpenGL) does its own way: the capture button drawn
into the picture, captures read from the presented frame, keys only while its window has the
focus, the window system's close, and start-up failures with their one line on standard error.
The shared scenarios (scene, capture, filter and text, damaged scenes) run against it too.

    /usr/bin/python3 tests/e2e/test_native.py --exe build/linux/viewer --scene assets/demo
"""

import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from test_capture import CAPTURE_FOLDER, capture_files, wait_for_files  # noqa: E402

BUTTON_LEFT, BUTTON_TOP, BUTTON_WIDTH, BUTTON_HEIGHT = 102, 544, 68, 18
BUTTON_FACE = (240, 240, 240)


def dark(rgb):
    return sum(rgb) < 150


class NativeViewer(unittest.TestCase):

    def open_viewer(self):
        exe, scene = harness.scenario_args()
        s = harness.open_session(self, exe, scene)
        s.wait_for_picture()
        return s

    def test_button_is_drawn_with_its_caption_and_a_click_on_it_captures(self):
        s = self.open_viewer()
        button = s.client_image().crop(BUTTON_LEFT, BUTTON_TOP, BUTTON_WIDTH, BUTTON_HEIGHT)
        self.assertEqual(BUTTON_FACE, button.pixel(3, 3))
        self.assertEqual((255, 255, 255), button.pixel(0, 0), "raised: light top-left edge")
        caption = [button.pixel(x, y) for y in range(3, 15) for x in range(3, 65)]
        self.assertGreater(sum(map(dark, caption)), 20, "the caption's dark strokes")
        self.assertNotEqual(BUTTON_FACE, s.pixel(BUTTON_LEFT - 1, BUTTON_TOP + 9))

        s.click_client(BUTTON_LEFT - 2, BUTTON_TOP + 9)
        s.click_client(BUTTON_LEFT + 1, BUTTON_TOP + 1)
        self.assertEqual(["0.bmp"], wait_for_files(s, ["0.bmp"]))

    def test_keys_move_the_filter_and_enter_captures_exactly_what_is_shown_there(self):
        s = self.open_viewer()
        start = s.client_image()
        s.hold_key("d", 0.3)
        s.hold_key("s", 0.3)
        s.wait_for_picture()
        s.hold_key("Return", 0.3)
        self.assertEqual(["0.bmp"], wait_for_files(s, ["0.bmp"]))
        headers, captured = harness.read_bmp(s.path(CAPTURE_FOLDER, "0.bmp"))
        self.assertEqual((50, 50), (headers["width"], headers["height"]))

        # The filter moved in steps of 3; find it where the capture matches the screen.
        shot = s.client_image()
        self.assertNotEqual(start.rgb, shot.rgb)
        places = [(x, y) for y in range(20, 200, 3) for x in range(20, 200, 3)
                  if shot.crop(x, y, 50, 50).rgb == captured.rgb]
        self.assertEqual(1, len(places), "exactly one place shows the capture pixel for pixel")
        self.assertNotEqual((20, 20), places[0])

    def test_keys_typed_while_another_window_has_the_focus_do_nothing(self):
        s = self.open_viewer()
        s.unfocus()
        before = s.client_image()
        s.key_down("d")
        s.key_down("Return")
        try:
            s.wait_for_picture()
        finally:
            s.key_up("Return")
            s.key_up("d")
        self.assertEqual(before.rgb, s.client_image().rgb)
        self.assertEqual([], capture_files(s))

    def test_closing_the_window_and_escape_both_end_with_exit_code_0(self):
        s = self.open_viewer()
        s.close_window()
        self.assertEqual(0, s.wait_exit(15))
        s = self.open_viewer()
        s.hold_key("Escape", 0.3)
        self.assertEqual(0, s.wait_exit(15))

    def test_start_up_failures_end_with_exit_code_1_and_one_line_saying_why(self):
        exe, scene = harness.scenario_args()
        folder = tempfile.mkdtemp(prefix="e2e-native-")
        no_fonts = os.path.join(folder, "fonts.conf")
        with open(no_fonts, "w") as f:
            f.write('<?xml version="1.0"?>\n<fontconfig></fontconfig>\n')
        display = harness.XDisplay().start()
        self.addCleanup(display.stop)
        cases = [
            ({"DISPLAY": ":1999"}, "no display"),
            ({"DISPLAY": display.name, "FONTCONFIG_FILE": no_fonts}, "no font"),
            # Mesa then offers no OpenGL 3.3 context.
            ({"DISPLAY": display.name, "MESA_GL_VERSION_OVERRIDE": "2.1"}, "no OpenGL"),
        ]
        for change, reason in cases:
            with self.subTest(reason):
                env = dict(os.environ, **change)
                env.pop("WAYLAND_DISPLAY", None)
                run = subprocess.run([exe], cwd=scene, env=env, capture_output=True, timeout=60)
                lines = run.stderr.decode("utf-8", "replace").splitlines()
                self.assertEqual(1, run.returncode)
                self.assertEqual(1, len(lines), lines)
                self.assertIn(reason, lines[0])


if __name__ == "__main__":
    harness.run_scenario()
