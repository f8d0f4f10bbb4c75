"""The filter overlay and the on-screen text under Wine, on a plain scene: no meshes, so the
picture is the clear colour, and a one-colour filter image, so every covered pixel can be
worked out from the filter's colour and opacity.

    /usr/bin/python3 tests/e2e/test_filter_and_text.py --exe build/windows/viewer.exe \
        --scene assets/demo
"""

import os
import shutil
import struct
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from test_capture import CAPTURE_FOLDER, wait_for_files  # noqa: E402

FILTER_IMAGE = "フィルター画像.bmp"
TEXEL = (240, 160, 80)
CLEAR_COLOUR = (60, 163, 185)
START_COLOUR = (250, 250, 250)
START_ALPHA = 200
START_RECT = (20, 20, 50, 50)
# The back buffer has 16 bits per pixel: red and blue come in steps of 8 levels, green of 4.
TOLERANCE = 10


def one_colour_bmp(path, rgb, size=8):
    row = bytes((rgb[2], rgb[1], rgb[0])) * size  # 24 bytes: no padding needed
    pixels = row * size
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def blended(texel, colour, alpha, background):
    """A covered pixel: texel times filter colour, over the background at alpha/255."""
    a = alpha / 255.0
    return tuple(t * c / 255.0 * a + b * (1.0 - a) for t, c, b in zip(texel, colour, background))


def close(rgb, expected, tolerance=TOLERANCE):
    return all(abs(c - e) <= tolerance for c, e in zip(rgb, expected))


def bounding_box(image, test):
    """(x, y, width, height) of the pixels that pass the test, or None."""
    xs, ys = [], []
    for y in range(image.height):
        for x in range(image.width):
            if test(image.pixel(x, y)):
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def is_text(rgb):
    """Glyphs are thin and smoothed, so few pixels reach the text's grey: anything off the
    plain background counts."""
    return not close(rgb, CLEAR_COLOUR, 24)


class PlainScene(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        _, demo = harness.scenario_args()
        cls.folder = tempfile.mkdtemp(prefix="e2e-plain-scene-")
        cls.scene = os.path.join(cls.folder, "scene")
        shutil.copytree(demo, cls.scene)
        for mesh in ("model.x", "kabe.x"):
            os.unlink(os.path.join(cls.scene, mesh))
        one_colour_bmp(os.path.join(cls.scene, FILTER_IMAGE), TEXEL)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def open_viewer(self):
        exe, _ = harness.scenario_args()
        session = harness.open_session(self, exe, self.scene)
        session.wait_for_picture()
        return session

    def filter_box(self, session, colour=START_COLOUR, alpha=START_ALPHA):
        """(x, y, width, height) of the filter on the screen; it must be in sight."""
        expected = blended(TEXEL, colour, alpha, CLEAR_COLOUR)
        image = session.client_image()
        box = bounding_box(image, lambda rgb: close(rgb, expected))
        self.assertIsNotNone(box, "the filter is not in sight")
        return box

    def hold_until(self, session, key, reached, stretch=0.4, limit=60.0):
        """Hold the key in short stretches until reached() is true: the frame rate, and so the
        distance one stretch covers, differs from run to run and between the builds (Wine on
        a virtual display draws unpaced, the native viewer at 60 frames per second)."""
        deadline = time.monotonic() + limit
        while not reached():
            self.assertLess(time.monotonic(), deadline, "holding %s never got there" % key)
            session.hold_key(key, stretch)
            time.sleep(0.2)

    def capture_size(self, session, name):
        session.tap("Return", 0.3)
        folder = session.path(CAPTURE_FOLDER)
        deadline = time.monotonic() + 10
        while not os.path.exists(os.path.join(folder, name)) and time.monotonic() < deadline:
            time.sleep(0.05)
        headers, _ = harness.read_bmp(os.path.join(folder, name))
        return headers["width"], headers["height"]

    def test_covered_pixels_blend_texel_and_colour_over_the_picture(self):
        s = self.open_viewer()
        shot = s.screenshot("start.png")
        expected = blended(TEXEL, START_COLOUR, START_ALPHA, CLEAR_COLOUR)
        for x, y in [(22, 45), (45, 60), (68, 68)]:
            self.assertTrue(close(s.pixel(x, y, shot), expected),
                            "(%d, %d): %s, expected %s" % (x, y, s.pixel(x, y, shot), expected))
        for x, y in [(19, 60), (70, 60), (45, 70), (300, 300)]:
            self.assertTrue(close(s.pixel(x, y, shot), CLEAR_COLOUR), (x, y))
        self.assertEqual(START_RECT, self.filter_box(s))

    def test_red_down_to_1_and_opacity_down_to_8_show_in_the_pixels(self):
        s = self.open_viewer()
        dark_red = blended(TEXEL, (1, 250, 250), START_ALPHA, CLEAR_COLOUR)
        self.hold_until(s, "1", lambda: close(s.pixel(45, 60), dark_red, 4))
        s.hold_key("1", 0.5)  # already at its clamp: nothing changes
        self.assertTrue(close(s.pixel(45, 60), dark_red, 4), s.pixel(45, 60))

        faint = blended(TEXEL, (1, 250, 250), 8, CLEAR_COLOUR)
        self.hold_until(s, "7", lambda: close(s.pixel(45, 60), faint, 4))
        s.hold_key("7", 0.5)
        self.assertTrue(close(s.pixel(45, 60), faint, 4), s.pixel(45, 60))
        self.assertFalse(close(faint, dark_red, 4))

    def test_letter_keys_move_and_resize_the_filter(self):
        s = self.open_viewer()
        x0, y0, w0, h0 = START_RECT
        self.hold_until(s, "d", lambda: self.filter_box(s)[0] >= 200, stretch=0.05)
        self.hold_until(s, "s", lambda: self.filter_box(s)[1] >= 150, stretch=0.05)
        x, y, w, h = self.filter_box(s)
        self.assertEqual((w0, h0), (w, h), "moving keeps the size")
        self.assertEqual(0, (x - x0) % 3, "steps of 3 pixels")
        self.assertEqual(0, (y - y0) % 3)

        self.hold_until(s, "a", lambda: self.filter_box(s)[0] < x, stretch=0.05)
        self.hold_until(s, "w", lambda: self.filter_box(s)[1] < y, stretch=0.05)

        self.hold_until(s, "q", lambda: self.filter_box(s)[2] == 3)
        self.hold_until(s, "z", lambda: self.filter_box(s)[3] == 3)
        self.assertEqual((3, 3), self.capture_size(s, "0.bmp"))

        self.hold_until(s, "e", lambda: self.filter_box(s)[2] > 3, stretch=0.05)
        self.hold_until(s, "c", lambda: self.filter_box(s)[3] > 3, stretch=0.05)
        _, _, w, h = self.filter_box(s)
        self.assertEqual((w, h), self.capture_size(s, "1.bmp"))

    def test_texts_stand_at_the_top_and_from_50_432(self):
        s = self.open_viewer()
        image = s.client_image(s.screenshot("texts.png"))
        # Bands clear of the filter (20..69 x 20..69) and of the button (y 544 on).
        legend = bounding_box(image.crop(0, 0, 592, 20), is_text)
        value = bounding_box(image.crop(70, 20, 522, 20), is_text)
        help_text = bounding_box(image.crop(0, 420, 100, 124), is_text)
        middle = bounding_box(image.crop(0, 100, 592, 300), is_text)
        self.assertIsNotNone(legend)
        self.assertIsNotNone(value)
        self.assertIsNotNone(help_text)
        self.assertIsNone(middle, "no text between the value line and the help")
        self.assertAlmostEqual(20, legend[0], delta=3)
        self.assertAlmostEqual(6, legend[1], delta=4)
        self.assertAlmostEqual(24, 20 + value[1], delta=4)
        self.assertAlmostEqual(50, help_text[0], delta=3)
        self.assertAlmostEqual(432, 420 + help_text[1], delta=4)
        self.assertGreater(help_text[3], 7 * 12, "lines one under the other")

if __name__ == "__main__":
    harness.run_scenario()
