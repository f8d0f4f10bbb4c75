"""The demo scene under Wine: the wall and the lit, textured model, and the keys that move
the light, the camera and the model.

    /usr/bin/python3 tests/e2e/test_graphics_scene.py --exe build/windows/viewer.exe \
        --scene assets/demo

The demo model is a rocket with a red nose, a white body and blue fins in front of a brick
wall; pixels are told apart by colour (the back buffer is 16-bit, so tolerances are wide).
"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from scene_pixels import (brightness, centre, is_body_white, is_brick, is_fin_blue,  # noqa: E402
                          is_model, is_nose_red, pixels_where, wait_for_scene)

def hold_until(session, key, reached, name, chunk=0.25, limit=16):
    """Holds key in short presses until reached(picture) is true; the frame rate under Xvfb
    varies too much for one fixed hold. Returns the last picture."""
    for i in range(limit):
        session.hold_key(key, chunk)
        time.sleep(0.2)
        image = session.client_image(session.screenshot("%s-%02d.png" % (name, i)))
        if reached(image):
            break
    return image


class DemoScene(unittest.TestCase):

    def open_viewer(self):
        exe, demo = harness.scenario_args()
        session = harness.open_session(self, exe, demo)
        wait_for_scene(session, "first.png")
        return session

    def picture(self, session, name):
        return session.client_image(session.screenshot(name))

    def test_wall_fills_the_background_and_the_model_is_lit_and_textured(self):
        s = self.open_viewer()
        image = self.picture(s, "demo.png")
        bricks = pixels_where(image, is_brick, step=4)
        self.assertGreater(len(bricks), 0.4 * (image.width // 4) * (image.height // 4),
                           "the brick wall should cover most of the picture")
        nose = pixels_where(image, is_nose_red)
        fins = pixels_where(image, is_fin_blue)
        body = pixels_where(image, is_body_white)
        self.assertGreater(len(nose), 200, "red nose cone")
        self.assertGreater(len(fins), 100, "blue fins")
        self.assertGreater(len(body), 200, "white body")
        # The model stands in the middle of the picture.
        x, y = centre(nose + fins + body)
        self.assertLess(abs(x - image.width / 2), 60)
        # Lit: the curved nose shows a range of shades, with a highlight.
        shades = sorted(brightness(image.pixel(*p)) for p in nose)
        self.assertGreater(shades[-1] - shades[0], 30)
        # Textured: the body texture puts red bands and dark blue windows on the white body.
        left, right = min(p[0] for p in body), max(p[0] for p in body)
        top, bottom = min(p[1] for p in body), max(p[1] for p in body)
        body_area = image.crop(left, top, right - left + 1, bottom - top + 1)
        windows = pixels_where(body_area, lambda c: c[2] > c[0] + 40 and brightness(c) < 140, 1)
        self.assertGreater(len(windows), 20, "windows of the body texture")

    def test_lowering_the_ambient_light_darkens_the_model(self):
        s = self.open_viewer()
        before = self.picture(s, "ambient-before.png")
        body = pixels_where(before, is_body_white)
        s.focus()
        for key in ("8", "9", "0"):
            s.key_down(key)
        time.sleep(3.0)
        for key in ("8", "9", "0"):
            s.key_up(key)
        after = self.picture(s, "ambient-after.png")
        darker = [brightness(before.pixel(*p)) - brightness(after.pixel(*p)) for p in body]
        self.assertGreater(sum(darker) / len(darker), 40)

    def test_right_arrow_turns_the_view_to_the_right(self):
        s = self.open_viewer()
        x_before, _ = centre(pixels_where(self.picture(s, "turn-before.png"), is_model))

        def moved_left(image):
            model = pixels_where(image, is_model)
            return not model or centre(model)[0] < x_before - 30

        hold_until(s, "Right", moved_left, "turn")
        model = pixels_where(self.picture(s, "turn-after.png"), is_model)
        self.assertTrue(not model or centre(model)[0] < x_before - 30,
                        "the model should move left in the picture")

    def test_numpad_8_moves_the_camera_toward_the_model(self):
        s = self.open_viewer()
        size_before = len(pixels_where(self.picture(s, "forward-before.png"), is_model))
        image = hold_until(s, "KP_8",
                           lambda i: len(pixels_where(i, is_model)) > 1.3 * size_before,
                           "forward", chunk=0.1)
        self.assertGreater(len(pixels_where(image, is_model)), 1.3 * size_before)

    def test_spin_key_turns_the_model_about_the_view_axis(self):
        s = self.open_viewer()

        # Upright, the nose is straight above the fins; turned about z it leans sideways.
        def lean(image):
            nose = pixels_where(image, is_nose_red)
            fins = pixels_where(image, is_fin_blue)
            return abs(centre(nose)[0] - centre(fins)[0]) if nose and fins else 0

        self.assertLess(lean(self.picture(s, "spin-before.png")), 10)
        image = hold_until(s, "Shift_L", lambda i: lean(i) > 30, "spin", chunk=0.15)
        self.assertGreater(lean(image), 30)


if __name__ == "__main__":
    harness.run_scenario()
