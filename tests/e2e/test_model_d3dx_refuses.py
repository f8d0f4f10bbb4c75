"""A model that Wine's D3DX refuses (it uses a template it does not declare) and that names its
texture by another machine's absolute path: the viewer draws it all the same, through its own
.x loader, in front of the wall.

    /usr/bin/python3 tests/e2e/test_model_d3dx_refuses.py --exe build/windows/viewer.exe \
        --scene assets/demo
"""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from scene_pixels import count, is_brick, is_model, scene_band, wait_for_scene  # noqa: E402


def refused_by_d3dx(folder):
    path = os.path.join(folder, "model.x")
    with open(path, encoding="ascii") as f:
        text = f.read()
    text = text.replace("xof 0303txt 0032\n", "xof 0303txt 0032\nAnimTicksPerSecond { 4800; }\n")
    text = text.replace('"rocket_body.bmp"', '"C:\\\\Users\\\\someone\\\\rocket_body.bmp"')
    with open(path, "w", encoding="ascii") as f:
        f.write(text)


class ModelD3dxRefuses(unittest.TestCase):

    def test_model_is_drawn_by_the_fallback_loader(self):
        exe, demo = harness.scenario_args()
        root = tempfile.mkdtemp(prefix="viewer-scene-")
        self.addCleanup(shutil.rmtree, root, True)
        scene = os.path.join(root, "scene")
        shutil.copytree(demo, scene)
        refused_by_d3dx(scene)
        s = harness.open_session(self, exe, scene)
        image = scene_band(wait_for_scene(s, "scene.png"))
        s.hold_key("Escape", 0.5)
        self.assertEqual(0, s.wait_exit(15))
        self.assertGreater(count(image, is_model), 100)
        self.assertGreater(count(image, is_brick), 5000)


if __name__ == "__main__":
    harness.run_scenario()
