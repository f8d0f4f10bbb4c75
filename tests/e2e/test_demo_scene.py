"""The demo scene: the picture, the keys that move the camera and the model, the captures by
key and by button, keys only while the viewer has the focus, and quitting.

    python3 tests/e2e/test_demo_scene.py --exe build/windows/viewer.exe --scene assets/demo
"""

import os
import re
import subprocess
import unittest

import harness

BUTTON = (102, 544, 68, 18)


def is_brick(rgb):
    r, g, b = rgb
    return r > 100 and 1.6 * g < r < 3 * g and b < g


def is_nose_red(rgb):
    r, g, b = rgb
    return r > 140 and r > 3 * g and r > 3 * b


def is_fin_blue(rgb):
    r, g, b = rgb
    return b > 150 and b > r + 60 and b > g + 60  # not the clear colour (60, 163, 185)


def is_body_white(rgb):
    return min(rgb) > 200


def is_model(rgb):
    return is_nose_red(rgb) or is_fin_blue(rgb) or is_body_white(rgb)


def where(image, test, step=2):
    """Pixels passing the test in the band between the filter and the help text."""
    return [(x, y) for y in range(70, 420, step) for x in range(0, image.width, step)
            if test(image.pixel(x, y))]


def body_windows(picture):
    """Greyish blue pixels (not the fins' deep blue) between the left and right of the white
    body: the windows of its texture."""
    body = [x for x, _ in where(picture, is_body_white)]
    return [p for p in where(picture, lambda c: c[0] + 40 < c[2] < 180 and 2 * c[1] > c[2], 1)
            if body and min(body) < p[0] < max(body)]


def centre_x(points):
    return sum(p[0] for p in points) / len(points) if points else None


# What each key of the camera and the model moves: "camera" keys move the whole picture,
# "model" keys the model alone, so the wall beside it stays as it was. Then the measures of
# the model in the picture that the key changes: 1 or -1 which way, 0 by less than the
# threshold (in pixels; size in pixels of the model). Each key's own effect is one that no
# other key of the list has, so a key read as another one fails here.
KEY_PAIRS = [  # (a key, its opposite, what they move, the measure, which way the first moves it)
    ("KP_8", "KP_2", "camera", "size", 1), ("KP_4", "KP_6", "camera", "x", 1),
    ("Left", "Right", "camera", "x", 1), ("Prior", "Next", "camera", "y", 1),
    ("Up", "Down", "camera", "y", 1), ("KP_7", "KP_3", "model", "x", 1),
    ("KP_9", "KP_1", "model", "size", -1), ("KP_Add", "KP_Subtract", "model", "y", -1),
    ("Shift_L", "Shift_R", "model", "lean", -1),
    ("Control_L", "Control_R", "model", "height", -1),
    ("KP_Divide", "KP_Multiply", "model", "windows", 1)]
# Height and the windows change with the lean unchanged, so that a turn read as them fails.
STILL = {"height": {"lean": 0}, "windows": {"lean": 0}}
KEY_EFFECTS = [(key, moves, {name: way * sign, **STILL.get(name, {})})
               for first, second, moves, name, way in KEY_PAIRS
               for key, sign in ((first, 1), (second, -1))]
THRESHOLDS = {"x": 5, "y": 5, "size": 150, "height": 3, "lean": 4, "windows": 5}
# A lean held still may drift this far: the fins' centre moves as the model turns about Y or X
# (about 4 pixels in 10 frames, 7 in 20, and a loaded machine fits a few more frames into a
# hold), while Shift leans it by about 37 pixels in 10 frames.
STILL_LEAN = 12
WALL_BESIDE = (0, 100, 150, 300)  # left of the model wherever these keys take it


def measure(picture, name):
    """The model's centre (x, y), size, height, lean (the nose's centre right of the fins')
    or the centre of its body's windows, in pixels."""
    if name == "lean":
        return centre_x(where(picture, is_nose_red)) - centre_x(where(picture, is_fin_blue))
    if name == "windows":
        return centre_x(body_windows(picture))
    model = where(picture, is_model)
    ys = [y for _, y in model]
    return {"x": lambda: centre_x(model), "y": lambda: sum(ys) / len(ys),
            "size": lambda: len(model), "height": lambda: max(ys) - min(ys)}[name]()


class DemoScene(unittest.TestCase):

    @harness.also_without_d3dx
    def test_picture_captures_and_escape(self):
        s = harness.Session(self).start()
        self.assertEqual((592, 576), s.client()[2:])
        picture = s.picture()
        self.assertGreater(len(where(picture, is_brick, 4)), 4000, "the wall fills the back")
        nose, fins, body = (where(picture, t) for t in (is_nose_red, is_fin_blue, is_body_white))
        self.assertGreater(min(len(nose), len(fins), len(body)), 100, "nose, fins and body")
        self.assertLess(abs(centre_x(nose + fins + body) - 296), 60)
        self.assertLess(abs(measure(picture, "lean")), 10, "the model faces the camera")
        shades = sorted(sum(picture.pixel(*p)) for p in nose)
        self.assertGreater(shades[-1] - shades[0], 90, "lit: the nose has shades")
        self.assertGreater(len(body_windows(picture)), 20, "the body texture's windows")

        image = s.capture()[3]  # read_bmp checks its header against the file
        self.assertEqual(image.rgb, s.picture(20, 20, 50, 50).rgb, "the screen under the filter")

        with open(s.path(harness.CAPTURE_FOLDER, "1.bmp"), "wb") as f:
            f.write(b"earlier")
        x, y, w, h = BUTTON
        s.click(x - 2, y + h // 2)
        s.capture(lambda s: s.click(x + 1, y + 1))
        self.assertEqual(["0.bmp", "1.bmp", "2.bmp"], s.captures(), "a click beside is none")
        with open(s.path(harness.CAPTURE_FOLDER, "1.bmp"), "rb") as f:
            self.assertEqual(b"earlier", f.read(), "a file there is kept, its number skipped")

        def brightness():  # of the body, which nothing has moved
            picture = s.picture()
            return sum(sum(picture.pixel(*p)) for p in body) / len(body)
        s.hold_until("8 9 0", lambda: brightness() < 0.6 * 765)  # the ambient stops at its floor
        self.assertEqual(0, s.quit())

    def test_each_camera_and_model_key_moves_its_own_thing_its_own_way_then_close_ends_it(self):
        s = harness.Session(self).start()
        for key, moves, changes in KEY_EFFECTS:
            before = s.picture()
            s.hold(key, 10)
            s.wait_frames(2)  # a frame that polled the key before its release is shown too
            after = s.picture()
            self.assertEqual(moves == "model", before.crop(*WALL_BESIDE).rgb ==
                             after.crop(*WALL_BESIDE).rgb, key + ": the wall moved or not")
            for name, way in changes.items():
                moved = measure(after, name) - measure(before, name)
                if way:
                    self.assertGreater(way * moved, THRESHOLDS[name], (key, name, moved))
                else:
                    self.assertLess(abs(moved), STILL_LEAN, (key, name, moved))
        s.x.close_window(s.window)  # what a window manager sends for the close box or Alt+F4
        self.assertEqual(0, s.proc.wait(30))

    def test_keys_typed_into_another_window_do_nothing_and_released_there_stop_acting(self):
        s = harness.Session(self).start()
        if s.wine:  # Wine's notepad takes the keys
            other = s.launch(["notepad"])
            self.addCleanup(other.kill)
            window = s.wait(lambda: s.find(["--class", "notepad"]), 60, "no other window")
            s.xdo("windowmove", "--sync", window, 620, 0)  # beside the viewer
        else:  # the root window has the focus: X gives the keys to the viewer under the pointer
            window = int(re.search(r"Window id: (0x[0-9a-f]+)", harness.run(
                ["xwininfo", "-root"], s.env).decode()).group(1), 16)
        s.focus(window)
        s.hold("e Return", focus=False)
        self.assertEqual([], s.captures())
        self.assertEqual(50, s.capture()[1], "the filter keeps its width")
        s.hold_until("e", lambda: s.capture()[1] > 50)  # in front, the same key acts
        before = s.picture()
        s.focus()
        s.key_down("Left")
        s.wait(lambda: s.picture().rgb != before.rgb, 30, "Left never turned the view")
        s.focus(window)
        s.key_up("Left")
        s.wait_for_steady_picture()  # would time out while the view kept turning
        turned = s.picture()
        s.focus()
        s.wait_for_steady_picture()
        self.assertEqual(turned.rgb, s.picture().rgb, "back in front, the key stays released")

    @harness.also_without_d3dx
    def test_model_of_200000_triangles_is_drawn_whole(self):
        def heavy_model(folder):
            subprocess.run(["python3", os.path.join(os.path.dirname(__file__), "..", "..",
                                                    "tools", "make_demo_scene.py"),
                            "--out", folder, "--triangles", "200000"], check=True,
                           stdout=subprocess.DEVNULL)
        s = harness.Session(self, change=heavy_model).start()
        picture = s.picture()
        nose, fins = where(picture, is_nose_red), where(picture, is_fin_blue)
        self.assertGreater(min(len(nose), len(fins)), 100, "past vertex 65,535: nose and fins")
        self.assertLess(min(y for _, y in nose), min(y for _, y in fins), "the nose on top")


if __name__ == "__main__":
    harness.main()
