"""The main window under Wine: title, client size, capture button, and the two ways out.

    /usr/bin/python3 tests/e2e/test_window.py --exe build/windows/viewer.exe --scene assets/demo
"""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from test_capture import capture_files, wait_for_files  # noqa: E402

CLIENT_SIZE = (592, 576)
BUTTON_LEFT, BUTTON_TOP, BUTTON_WIDTH, BUTTON_HEIGHT = 102, 544, 68, 18


def brightness(rgb):
    return sum(rgb) / 3


class MainWindow(unittest.TestCase):

    def open_viewer(self):
        exe, scene = harness.scenario_args()
        return harness.open_session(self, exe, scene)

    def test_window_has_the_title_and_an_exact_client_area(self):
        s = self.open_viewer()
        self.assertEqual(1, len(s.search_windows("ビューア")))
        x, y, w, h = s.client_geometry()
        self.assertEqual(CLIENT_SIZE, (w, h))

    def test_capture_button_sits_at_102_544(self):
        s = self.open_viewer()
        s.wait_for_picture()
        shot = s.screenshot("button.png")
        right = BUTTON_LEFT + BUTTON_WIDTH - 1
        bottom = BUTTON_TOP + BUTTON_HEIGHT - 1
        middle_x = BUTTON_LEFT + BUTTON_WIDTH // 2
        middle_y = BUTTON_TOP + BUTTON_HEIGHT // 2
        # Wine leaves the child button's area out of the Direct3D picture (on Xvfb it shows
        # black), so the button's rectangle is where the picture stops.
        for x, y in [(BUTTON_LEFT, BUTTON_TOP), (right, bottom), (middle_x, middle_y)]:
            self.assertLess(brightness(s.pixel(x, y, shot)), 10, (x, y))
        for x, y in [(BUTTON_LEFT - 1, middle_y), (right + 1, middle_y),
                     (middle_x, BUTTON_TOP - 1), (middle_x, bottom + 1)]:
            self.assertGreater(brightness(s.pixel(x, y, shot)), 30, (x, y))

        # A click just outside does nothing; one inside captures.
        s.click_client(BUTTON_LEFT - 2, middle_y)
        time.sleep(1.0)
        self.assertEqual([], capture_files(s))
        s.click_client(BUTTON_LEFT + 1, BUTTON_TOP + 1)
        self.assertEqual(["0.bmp"], wait_for_files(s, ["0.bmp"]))

    def test_holding_escape_quits_with_exit_code_0(self):
        s = self.open_viewer()
        s.hold_key("Escape", 0.5)
        self.assertEqual(0, s.wait_exit(15))

    def test_closing_the_window_quits_with_exit_code_0(self):
        s = self.open_viewer()
        s.close_window()
        self.assertEqual(0, s.wait_exit(15))

    def test_without_a_direct3d_device_start_up_ends_with_exit_code_1(self):
        exe, scene = harness.scenario_args()
        with harness.ViewerSession(exe, scene) as s:
            # Wine's renderer without 3D: the Direct3D object exists but no device can be made.
            subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Direct3D", "/v",
                            "renderer", "/t", "REG_SZ", "/d", "no3d", "/f"], env=s.env(),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
            s.start()
            self.assertEqual(1, s.wait_exit(60))


if __name__ == "__main__":
    harness.run_scenario()
