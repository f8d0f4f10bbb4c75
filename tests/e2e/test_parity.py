"""The Windows build with Wine's D3DX and without it, our own mesh, texture and text code,
compared pixel by pixel outside the texts; each comparison prints the largest and the mean
difference per channel. The same rasteriser draws both, so only the
meshes' triangle order and the texture's decoding could differ:
- the scene band of the demo scene: the same mean, at most 0.1 % of the pixels more than 24
  levels apart in some channel;
- a capture under the demo filter (its image has a colour key): at most 3 levels per channel
  at every pixel.
- The demo model written as parts under nested frames, which Wine's D3DX merges into a mesh
  whose indices point past its vertices, is read by our own loader in both runs: the same
  tolerances for the scene band, every part drawn, and a quit with 0.

    python3 tests/e2e/test_parity.py --exe build/windows/viewer.exe --scene assets/demo
"""

import os
import sys
import unittest

import harness
from test_demo_scene import is_body_white, is_fin_blue, is_nose_red, where

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import make_demo_scene  # noqa: E402

MEAN_TOLERANCE = 0.5
EDGE_LEVELS = 24
CAPTURE_TOLERANCE = 3


def differences(name, a, b):
    """Prints and returns per channel the largest and the mean difference, and the share of
    pixels that differ by more than EDGE_LEVELS in some channel."""
    diffs = [abs(x - y) for x, y in zip(a.rgb, b.rgb)]
    pixels = len(diffs) // 3
    largest = [max(diffs[c::3]) for c in range(3)]
    mean = [sum(diffs[c::3]) / pixels for c in range(3)]
    share = sum(1 for i in range(0, len(diffs), 3) if max(diffs[i:i + 3]) > EDGE_LEVELS) / pixels
    print("%s: largest difference (r, g, b) %s, mean (%.2f, %.2f, %.2f), %.2f %% of pixels over "
          "%d levels" % (name, tuple(largest), *mean, 100 * share, EDGE_LEVELS), flush=True)
    return largest, mean, share


def assert_band_close(test, what, a, b, edge_share):
    """The scene band (rows 70 to 419: no text, no filter, no button) of a and b within the
    mean and edge tolerances."""
    band = (0, 70, 592, 350)
    _, mean, share = differences(what, a.crop(*band), b.crop(*band))
    test.assertLessEqual(max(mean), MEAN_TOLERANCE)
    test.assertLessEqual(share, edge_share)


def assert_captures_close(test, what, a, b):
    test.assertLessEqual(max(differences(what, a, b)[0]), CAPTURE_TOLERANCE)


def picture_and_capture(test, exe=None, d3dx=None, change=None):
    s = harness.Session(test, exe=exe, d3dx=d3dx, change=change).start()
    return s.picture(), s.capture()[3]


def rocket_in_frames(folder):
    with open(os.path.join(folder, "model.x"), "w", encoding="ascii") as f:
        f.write(make_demo_scene.rocket_in_frames_text())


class WithAndWithoutD3dx(unittest.TestCase):

    def test_demo_scene_outside_the_texts(self):
        with_d3dx, with_capture = picture_and_capture(self, d3dx=True)
        without, without_capture = picture_and_capture(self, d3dx=False)
        assert_band_close(self, "demo scene band", with_d3dx, without, 0.001)
        assert_captures_close(self, "demo filter capture", with_capture, without_capture)

    def test_parts_under_nested_frames_that_d3dx_merges_past_its_vertices(self):
        pictures = []
        for d3dx in (True, False):
            s = harness.Session(self, d3dx=d3dx, change=rocket_in_frames).start()
            pictures.append(s.picture())
            self.assertEqual(0, s.quit())
        for part in (is_body_white, is_fin_blue, is_nose_red):
            self.assertGreater(len(where(pictures[0], part, 2)), 20, part.__name__)
        assert_band_close(self, "parts under nested frames", *pictures, 0.001)


if __name__ == "__main__":
    harness.main()
