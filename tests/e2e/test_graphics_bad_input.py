"""Damaged demo scenes under Wine: each has one file missing or broken. The viewer starts,
draws what it can, captures, and ends with exit code 0 on Escape.

    /usr/bin/python3 tests/e2e/test_graphics_bad_input.py --exe build/windows/viewer.exe \
        --scene assets/demo
"""

import os
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from scene_pixels import (count, is_background, is_brick, is_model, scene_band,  # noqa: E402
                          wait_for_scene)

CAPTURE_FOLDER = "抜き取り画像保存フォルダ"
FILTER_IMAGE = "フィルター画像.bmp"


class DamagedScene(unittest.TestCase):

    def scene_with(self, damage):
        """A copy of the demo scene changed by damage(folder)."""
        _, demo = harness.scenario_args()
        root = tempfile.mkdtemp(prefix="viewer-scene-")
        self.addCleanup(shutil.rmtree, root, True)
        scene = os.path.join(root, "scene")
        shutil.copytree(demo, scene)
        damage(scene)
        return scene

    def run_viewer(self, scene):
        """Starts the viewer, lets it draw, captures once, quits; returns the client picture."""
        exe, _ = harness.scenario_args()
        s = harness.open_session(self, exe, scene)
        image = scene_band(wait_for_scene(s, "scene.png"))
        s.tap("Return", 0.3)
        time.sleep(0.5)
        s.hold_key("Escape", 0.5)
        self.assertEqual(0, s.wait_exit(15))
        captures = os.listdir(s.path(CAPTURE_FOLDER))
        self.assertIn("0.bmp", captures)
        return image

    def test_missing_model_leaves_the_wall(self):
        image = self.run_viewer(self.scene_with(lambda d: os.remove(os.path.join(d, "model.x"))))
        self.assertGreater(count(image, is_brick), 5000)
        self.assertLess(count(image, is_model), 5)

    def test_wall_cut_off_half_way_leaves_the_model_on_the_background(self):
        def cut(folder):
            path = os.path.join(folder, "kabe.x")
            with open(path, "rb") as f:
                data = f.read()
            with open(path, "wb") as f:
                f.write(data[:len(data) // 2])

        image = self.run_viewer(self.scene_with(cut))
        self.assertGreater(count(image, is_model), 100)
        self.assertLess(count(image, is_brick), 50)
        self.assertGreater(count(image, is_background), 5000)

    def test_missing_material_texture_draws_that_part_plain(self):
        image = self.run_viewer(
            self.scene_with(lambda d: os.remove(os.path.join(d, "rocket_body.bmp"))))
        self.assertGreater(count(image, is_brick), 5000)
        self.assertGreater(count(image, is_model), 100)

    def test_missing_filter_image(self):
        image = self.run_viewer(self.scene_with(lambda d: os.remove(os.path.join(d, FILTER_IMAGE))))
        self.assertGreater(count(image, is_model), 100)

    def test_filter_image_that_is_not_an_image(self):
        def spoil(folder):
            with open(os.path.join(folder, FILTER_IMAGE), "w") as f:
                f.write("not a picture\n")

        image = self.run_viewer(self.scene_with(spoil))
        self.assertGreater(count(image, is_model), 100)


if __name__ == "__main__":
    harness.run_scenario()
