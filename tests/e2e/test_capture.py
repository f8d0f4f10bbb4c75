"""Captures of the real viewer under Wine: Enter and the capture button write the screen under
the filter into numbered BMP files in 抜き取り画像保存フォルダ, never replacing a file.

    /usr/bin/python3 tests/e2e/test_capture.py --exe viewer.exe [--scene assets/demo]

The last case builds bench/capture_timing.cpp with MinGW-w64 and runs it: it paints a known
pattern and checks captures of it pixel by pixel, corners and row order included.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import ViewerSession  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CAPTURE_FOLDER = "抜き取り画像保存フォルダ"
FILTER_AREA = (20, 20, 50, 50)          # initial filterX, filterY, filterWidth, filterHeight
BUTTON_CENTRE = (102 + 34, 544 + 9)
SCREEN_TOLERANCE = 3                    # levels per channel between capture and screenshot
HOLD = 1.0                              # seconds: many frames at any frame rate
PRESS = 0.5                             # seconds: a press that several frames see


def viewer_session():
    exe, scene = harness.scenario_args()
    return ViewerSession(exe, scene or os.path.join(REPO, "assets", "demo"))


def capture_files(session):
    """The BMP files in the capture folder, by name."""
    folder = session.path(CAPTURE_FOLDER)
    if not os.path.isdir(folder):
        return []
    return sorted(name for name in os.listdir(folder) if name.endswith(".bmp"))


def wait_for_files(session, names, timeout=10):
    """Wait until the capture folder holds exactly these names (and a moment more, so that a
    second, unwanted capture would show too)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if capture_files(session) == sorted(names):
            time.sleep(0.3)
            break
        time.sleep(0.05)
    return capture_files(session)


def prepare_capture_folder(session, old_files=()):
    folder = session.path(CAPTURE_FOLDER)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, content in old_files:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(content)


def start_viewer(session):
    session.start()
    session.find_window()
    session.wait_for_picture()
    session.focus()


def largest_channel_difference(a, b):
    return max(abs(x - y) for x, y in zip(a.rgb, b.rgb))


class EnterAndButton(unittest.TestCase):

    def test_one_file_per_press_and_per_click_in_number_order(self):
        with viewer_session() as s:
            prepare_capture_folder(s)
            start_viewer(s)

            s.hold_key("Return", HOLD)
            self.assertEqual(wait_for_files(s, ["0.bmp"]), ["0.bmp"], s.diagnostics())
            headers, _ = harness.read_bmp(s.path(CAPTURE_FOLDER, "0.bmp"))
            self.assertEqual(headers, {
                "type": b"BM", "file_size": 7654, "reserved1": 0, "reserved2": 0,
                "offset": 54, "header_size": 40, "width": 50, "height": 50, "planes": 1,
                "bit_count": 24, "compression": 0, "image_size": 7600, "x_ppm": 0,
                "y_ppm": 0, "colors_used": 0, "colors_important": 0,
                "actual_file_size": 7654, "row_stride": 152})

            s.hold_key("Return", PRESS)
            self.assertEqual(wait_for_files(s, ["0.bmp", "1.bmp"]), ["0.bmp", "1.bmp"])

            s.click_client(*BUTTON_CENTRE)
            self.assertEqual(wait_for_files(s, ["0.bmp", "1.bmp", "2.bmp"]),
                             ["0.bmp", "1.bmp", "2.bmp"])
            self.assertEqual(os.path.getsize(s.path(CAPTURE_FOLDER, "2.bmp")), 7654)

            s.hold_key("Escape", PRESS)
            self.assertEqual(s.wait_exit(15), 0)

    def test_capture_equals_the_screen_under_the_filter(self):
        with viewer_session() as s:
            prepare_capture_folder(s)
            start_viewer(s)

            s.hold_key("Return", PRESS)
            self.assertEqual(wait_for_files(s, ["0.bmp"]), ["0.bmp"])
            shot = s.screenshot("after-capture.png")

            _, captured = harness.read_bmp(s.path(CAPTURE_FOLDER, "0.bmp"))
            cx, cy, _, _ = s.client_geometry()
            x, y, w, h = FILTER_AREA
            on_screen = shot.crop(cx + x, cy + y, w, h)
            self.assertLessEqual(largest_channel_difference(captured, on_screen),
                                 SCREEN_TOLERANCE, s.diagnostics())
            # One pixel off in any direction would not match a picture with any detail.
            shifted = shot.crop(cx + x, cy + y + 1, w, h)
            if largest_channel_difference(on_screen, shifted) > SCREEN_TOLERANCE:
                self.assertGreater(largest_channel_difference(captured, shifted),
                                   SCREEN_TOLERANCE)

    def test_smallest_filter_gives_ninety_bytes(self):
        with viewer_session() as s:
            prepare_capture_folder(s)
            start_viewer(s)

            s.focus()
            s.key_down("q")
            s.key_down("z")
            time.sleep(2 * HOLD)
            s.key_up("z")
            s.key_up("q")
            s.hold_key("Return", PRESS)

            self.assertEqual(wait_for_files(s, ["0.bmp"]), ["0.bmp"], s.diagnostics())
            headers, _ = harness.read_bmp(s.path(CAPTURE_FOLDER, "0.bmp"))
            self.assertEqual((headers["width"], headers["height"]), (3, 3))
            self.assertEqual((headers["image_size"], headers["file_size"]), (36, 90))
            self.assertEqual(headers["actual_file_size"], 90)


class CaptureFolder(unittest.TestCase):

    def test_existing_files_are_kept_and_skipped(self):
        old = [("0.bmp", b"first run's capture 0"), ("1.bmp", b"first run's capture 1")]
        with viewer_session() as s:
            prepare_capture_folder(s, old)
            start_viewer(s)

            s.hold_key("Return", PRESS)
            files = wait_for_files(s, ["0.bmp", "1.bmp", "2.bmp"])
            self.assertEqual(files, ["0.bmp", "1.bmp", "2.bmp"], s.diagnostics())
            self.assertEqual(os.path.getsize(s.path(CAPTURE_FOLDER, "2.bmp")), 7654)
            for name, content in old:
                with open(s.path(CAPTURE_FOLDER, name), "rb") as f:
                    self.assertEqual(f.read(), content)

    def test_missing_folder_is_created(self):
        with viewer_session() as s:
            shutil.rmtree(s.path(CAPTURE_FOLDER), ignore_errors=True)
            start_viewer(s)

            s.hold_key("Return", PRESS)
            self.assertEqual(wait_for_files(s, ["0.bmp"]), ["0.bmp"], s.diagnostics())
            self.assertEqual(os.path.getsize(s.path(CAPTURE_FOLDER, "0.bmp")), 7654)


class GrabOfAKnownPattern(unittest.TestCase):

    def test_captures_of_a_painted_pattern_match_it(self):
        if harness.is_native(harness.scenario_args()[0]):
            self.skipTest("checks the Windows screen grab; the native one reads its own frame")
        if shutil.which("x86_64-w64-mingw32-g++") is None:
            self.skipTest("MinGW-w64 is not installed")
        build = tempfile.mkdtemp(prefix="e2e-capture-bench-")
        self.addCleanup(shutil.rmtree, build, True)
        exe = os.path.join(build, "capture_timing.exe")
        subprocess.run([os.path.join(REPO, "bench", "build_capture_bench.sh"), exe], check=True)
        with ViewerSession(exe, None, title="capture bench") as s:
            s.start()
            code = s.wait_exit(120)
            out = s.output()[0]
            self.assertIn("grab check: captures equal the pattern", out, s.diagnostics())
            self.assertEqual(code, 0)


if __name__ == "__main__":
    harness.run_scenario()
