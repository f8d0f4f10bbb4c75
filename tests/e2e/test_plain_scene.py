"""A plain scene: no meshes, so the picture is the clear colour, and a 2 × 2 filter image of
four colours, so every covered pixel can be worked out and a turned or mirrored image shows.
The filter's blend, its colour keys, the texts' places and a capture off the screen.

    python3 tests/e2e/test_plain_scene.py --exe build/windows/viewer.exe --scene assets/demo
"""

import os
import shutil
import unittest

import harness

CLEAR = (60, 163, 185)
# Texels as the image shows them: top left, top right, bottom left, bottom right.
TEXELS = [(240, 160, 80), (80, 240, 160), (160, 80, 240), (250, 250, 250)]
# The back buffer has 16 bits a pixel: red and blue come in steps of 8 levels, green of 4.
TOLERANCE = 10
# Ink boxes (x, y, width, height) of the legend, the value line and the help text at the start,
# as the Windows build draws them under Wine with IPAGothic, its glyphs sampled point for point.
TEXT_BOXES = [(20, 5, 537, 12), (90, 23, 502, 12), (49, 431, 292, 113)]
# Without D3DX the Windows build rasterises the same font with GDI: the same layout, but GDI's
# glyph images are not D3DX's, so the ink starts up to two pixels later (the legend's first
# glyph) and ends up to three pixels shorter (the help's last line).
GDI_OFFSET, GDI_SIZE = 2, 3
# Columns of the value line's red, green and blue numbers at the start (three digits each), as
# the ink boxes above place them.
VALUE_DIGITS = [(118, 139), (188, 209), (258, 279)]


def plain_scene(folder):
    for name in ("model.x", "kabe.x"):
        os.remove(os.path.join(folder, name))
    shutil.rmtree(os.path.join(folder, harness.CAPTURE_FOLDER))
    harness.write_bmp(os.path.join(folder, harness.FILTER_IMAGE), 2, 2, lambda y: b"".join(
        bytes((b, g, r)) for r, g, b in TEXELS[2 * y:2 * y + 2]))


def blend(texel, colour=(250, 250, 250), alpha=200):
    a = alpha / 255
    return tuple(t * c / 255 * a + b * (1 - a) for t, c, b in zip(texel, colour, CLEAR))


def close(rgb, expected, tolerance=TOLERANCE):
    return all(abs(c - e) <= tolerance for c, e in zip(rgb, expected))


def box(image, test):
    points = [(x, y) for y in range(image.height) for x in range(image.width)
              if test(image.pixel(x, y))]
    if not points:
        return None
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


class PlainScene(unittest.TestCase):

    def setUp(self):
        self.s = harness.Session(self, change=plain_scene).start()

    def filter_x(self, width):
        """The left edge in client pixels of a filter of the given width, from its bottom
        right quadrant (clear of the texts), which stays in sight while the left part goes
        past the client's edge; None when the quadrant is out of sight too."""
        right = box(self.s.picture(0, 45, 592, 25), lambda rgb: close(rgb, blend(TEXELS[3])))
        return right and right[0] + right[2] - width

    @harness.also_without_d3dx
    def test_blend_texts_places_then_colour_and_opacity_keys_each_its_number_and_channel(self):
        picture = self.s.picture()
        for (x, y), texel in zip([(32, 40), (57, 40), (32, 62), (57, 62)], TEXELS):
            self.assertTrue(close(picture.pixel(x, y), blend(texel)), (x, y, picture.pixel(x, y)))
        for x, y in [(19, 50), (70, 50), (45, 70), (300, 300)]:
            self.assertTrue(close(picture.pixel(x, y), CLEAR), (x, y))

        def ink_box(x, y, w, h):  # the box around the ink in the area, in client pixels
            found = box(picture.crop(x, y, w, h), lambda rgb: not close(rgb, CLEAR, 24))
            return found and (found[0] + x, found[1] + y) + found[2:]
        # The legend above the filter, the value line right of it, the help above the button.
        boxes = [ink_box(0, 0, 592, 20), ink_box(70, 20, 522, 20), ink_box(0, 420, 592, 124)]
        # How far each box's place and size may be from the expected ones (found - expected).
        if self.s.wine and self.s.d3dx:
            place, size = (0, 0), (0, 0)
        elif self.s.wine:
            place, size = (0, GDI_OFFSET), (-GDI_SIZE, 0)
        else:  # its own FreeType glyphs: the same places within a pixel or two
            place, size = (-2, 2), (-2, 2)
        for found, expected in zip(boxes, TEXT_BOXES):
            self.assertIsNotNone(found, expected)
            for f, e, (low, high) in zip(found, expected, (place, place, size, size)):
                self.assertTrue(low <= f - e <= high, (found, expected))
        self.assertIsNone(ink_box(0, 100, 592, 300), "nothing in between")
        # The help's last line runs under the button; its start shows left of it.
        self.assertIsNotNone(ink_box(0, 544, 102, 20), "the help's last line")

        s = self.s
        # A few frames of each key leave every number three digits wide, so only the digits
        # of its own number change in the value line (right of the filter).
        for key, (first, last) in zip("135", VALUE_DIGITS):
            before = s.picture(75, 20, 517, 20)
            s.hold(key)
            s.wait_frames(2)
            after = s.picture(75, 20, 517, 20)
            changed = {x + 75 for y in range(20) for x in range(517)
                       if before.pixel(x, y) != after.pixel(x, y)}
            self.assertTrue(changed, key)
            self.assertLessEqual(first - 3, min(changed), key)
            self.assertLessEqual(max(changed), last + 3, key)

        # Each key lowers its own channel all the way while the others stay high.
        def lowest(channels):
            low, high = blend(TEXELS[3], (1, 1, 1)), blend(TEXELS[3], (128, 128, 128))
            return lambda: all(abs(c - low[i]) <= 4 if i in channels else c > high[i]
                               for i, c in enumerate(s.picture().pixel(57, 62)))
        for key, channels in [("1", {0}), ("3", {0, 1}), ("5", {0, 1, 2})]:
            s.hold_until(key, lowest(channels))

        def shows(colour, alpha):
            return lambda: close(s.picture().pixel(57, 62), blend(TEXELS[3], colour, alpha), 4)
        s.hold_until("7", shows((1, 1, 1), 8))
        # And up again, each key its own channel, over black at full opacity.
        for key, colour in [("u", (1, 1, 1)), ("2", (255, 1, 1)), ("4", (255, 255, 1)),
                            ("6", (255, 255, 255))]:
            s.hold_until(key, shows(colour, 255))

    def test_capture_left_of_the_client_area_and_off_the_screen_equals_the_screen(self):
        s = self.s
        if not s.wine:
            self.skipTest("the native capture reads its own frame: black outside (test_native)")
        s.xdo("windowmove", "--sync", s.window, 20, 100)
        # A wide filter, half past the client's left edge, its own left part off the screen:
        # with nothing to draw a frame takes a few milliseconds, and a hold of the time a
        # screenshot takes would move the filter hundreds of pixels.
        width = s.reach(lambda: s.capture()[1], 210, 12, "e", "q")
        s.reach(lambda: self.filter_x(width), -width // 2, width // 4, "d", "a")
        x = self.filter_x(width)
        self.assertGreater(x, -width, "part of the filter is still in the picture")
        _, _, _, image = s.capture()
        self.assertEqual(image.rgb, s.picture(x, 20, width, 50).rgb, "black off the screen")


if __name__ == "__main__":
    harness.main()
