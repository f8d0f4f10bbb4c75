"""The Windows build's picture with Wine's D3DX and without it (our own mesh, texture and text
code), compared pixel by pixel outside the texts; prints the largest and the mean difference
per channel.

Tolerances (the same rasteriser draws both, so only the meshes' triangle order and the
texture's decoding could differ):
- the scene band (rows 70 to 419: no text, no filter, no button) of the demo scene: mean
  difference at most 0.5 levels per channel, at most 0.1 % of the pixels more than 24 levels
  apart in some channel;
- a capture under the demo filter (its image has a colour key): at most 3 levels per channel
  at every pixel.

The demo model written as parts under nested frames, which Wine's D3DX merges into a mesh
whose indices point past its vertices, is read by our own loader in both runs: the same
tolerances for the scene band, every part drawn, and a quit with 0.

    python3 tests/e2e/test_d3dx_parity.py --exe build/windows/viewer.exe --scene assets/demo
"""

import os
import sys
import unittest

import harness
from test_demo_scene import is_body_white, is_fin_blue, is_nose_red, where
from test_parity import CAPTURE_TOLERANCE, assert_band_close, differences, picture_and_capture

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import make_demo_scene  # noqa: E402

EDGE_SHARE = 0.001  # the same rasteriser draws both pictures


def rocket_in_frames(folder):
    with open(os.path.join(folder, "model.x"), "w", encoding="ascii") as f:
        f.write(make_demo_scene.rocket_in_frames_text())


class WithAndWithoutD3dx(unittest.TestCase):

    def test_demo_scene_outside_the_texts(self):
        with_d3dx, with_capture = picture_and_capture(self, d3dx=True)
        without, without_capture = picture_and_capture(self, d3dx=False)
        assert_band_close(self, "demo scene band", with_d3dx, without, EDGE_SHARE)
        largest, _, _ = differences("demo filter capture", with_capture, without_capture)
        self.assertLessEqual(max(largest), CAPTURE_TOLERANCE)

    def test_parts_under_nested_frames_that_d3dx_merges_past_its_vertices(self):
        scene = harness.scene_copy(self, rocket_in_frames)
        pictures = []
        for d3dx in (True, False):
            s = harness.Session(self, scene, d3dx=d3dx).start()
            pictures.append(s.picture())
            self.assertEqual(0, s.quit())
        for part in (is_body_white, is_nose_red, is_fin_blue):
            self.assertGreater(len(where(pictures[0], part, 2)), 20, part.__name__)
        assert_band_close(self, "parts under nested frames", *pictures, EDGE_SHARE)


if __name__ == "__main__":
    harness.main()
