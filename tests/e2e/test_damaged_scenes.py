"""Damaged scenes and a machine without a Direct3D device: the viewer draws what it can,
captures, and quits with 0; without a device it ends at start-up with 1.

    python3 tests/e2e/test_damaged_scenes.py --exe build/windows/viewer.exe --scene assets/demo
"""

import os
import unittest

import harness
from test_demo_scene import body_windows, is_brick, is_model, where
from test_plain_scene import CLEAR, close


def remove(*names):
    return lambda folder: [os.remove(os.path.join(folder, name)) for name in names]


def model_missing_filter_image_not_an_image(folder):
    os.remove(os.path.join(folder, "model.x"))
    with open(os.path.join(folder, harness.FILTER_IMAGE), "w") as f:
        f.write("not a picture\n")


def wall_cut_body_texture_and_filter_image_missing(folder):
    remove("rocket_body.bmp", harness.FILTER_IMAGE)(folder)
    with open(os.path.join(folder, "kabe.x"), "r+b") as f:
        f.truncate(os.path.getsize(f.name) // 2)


def refused_by_d3dx(folder):
    """A model with a template it does not declare, which Wine's D3DX refuses, naming its
    texture by the absolute path of another machine."""
    path = os.path.join(folder, "model.x")
    with open(path, encoding="ascii") as f:
        text = f.read()
    text = text.replace("xof 0303txt 0032\n", "xof 0303txt 0032\nAnimTicksPerSecond { 4800; }\n")
    text = text.replace('"rocket_body.bmp"', r'"C:\\Users\\someone\\rocket_body.bmp"')
    with open(path, "w", encoding="ascii") as f:
        f.write(text)


class DamagedScenes(unittest.TestCase):

    def run_viewer(self, damage, wall=True, model=True):
        """The picture of the damaged scene, after a capture and a quit with 0, with the wall
        and the model drawn or missing as said."""
        s = harness.Session(self, change=damage).start()
        picture = s.picture()
        self.assertEqual(50, s.capture()[1])
        self.assertEqual(0, s.quit())
        bricks, model_pixels = len(where(picture, is_brick, 4)), len(where(picture, is_model, 4))
        self.assertTrue(bricks > 4000 if wall else bricks < 50, "wall pixels: %d" % bricks)
        self.assertTrue(model_pixels > 100 if model else model_pixels < 5, model_pixels)
        return picture

    @harness.also_without_d3dx
    def test_missing_model_and_filter_image_not_an_image(self):
        self.run_viewer(model_missing_filter_image_not_an_image, model=False)

    @harness.also_without_d3dx
    def test_wall_cut_half_way_missing_body_texture_and_filter_image(self):
        picture = self.run_viewer(wall_cut_body_texture_and_filter_image_missing, wall=False)
        self.assertLess(len(body_windows(picture)), 5, "the body is drawn without its texture")
        self.assertGreater(len(where(picture, lambda rgb: close(rgb, CLEAR, 12), 4)), 4000)

    @harness.also_without_d3dx
    def test_model_only_our_loader_reads_with_a_texture_named_elsewhere(self):
        picture = self.run_viewer(refused_by_d3dx)
        self.assertGreater(len(body_windows(picture)), 20, "its texture found by the bare name")

    def test_without_a_direct3d_device_start_up_ends_with_1(self):
        s = harness.Session(self)
        if not s.wine:
            self.skipTest("Wine's renderer without 3D; test_native.py has the native failures")
        # Wine's renderer without 3D: the Direct3D object exists but no device can be made.
        harness.run(["wine", "reg", "add", r"HKCU\Software\Wine\Direct3D", "/v", "renderer",
                     "/t", "REG_SZ", "/d", "no3d", "/f"], s.env)
        s.proc = s.launch([s.exe])
        self.assertEqual(1, s.proc.wait(90))


if __name__ == "__main__":
    harness.main()
