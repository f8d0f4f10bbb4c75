"""What the native Linux viewer (SDL2 and OpenGL) does its own way: the capture button drawn
into the picture, captures read from the presented frame (black outside the picture), letters
by the keyboard layout, its command line and start-up failures with their one line on standard
error, the font when only a Mincho face is installed, images larger than the renderer's largest
texture, files that are not regular files. The linux preset runs the shared scenarios against
it too.

    python3 tests/e2e/test_native.py --exe build/linux/viewer --scene assets/demo
"""

import errno
import os
import re
import shutil
import subprocess
import tempfile
import unittest

import harness
from test_damaged_scenes import remove
from test_demo_scene import BUTTON
from test_plain_scene import CLEAR, close, plain_scene

BUTTON_FACE = (240, 240, 240)


def font_config(test, folder):
    """A fontconfig configuration that knows only the fonts in folder."""
    root = tempfile.mkdtemp(prefix="viewer-fonts-")
    test.addCleanup(shutil.rmtree, root, True)
    path = os.path.join(root, "fonts.conf")
    with open(path, "w") as f:
        f.write('<?xml version="1.0"?>\n<fontconfig><dir>%s</dir><cachedir>%s</cachedir>'
                '</fontconfig>\n' % (folder, os.path.join(root, "cache")))
    return path


def differing(image, expected, tolerance=24):
    """How many pixels of the image differ by more than the tolerance from expected(x, y)."""
    return sum(1 for y in range(image.height) for x in range(image.width)
               if not close(image.pixel(x, y), expected(x, y), tolerance))


class NativeViewer(unittest.TestCase):

    def test_letter_keys_follow_the_keymap_loaded_and_the_group_locked_while_running(self):
        """The key that types the letter acts, wherever the layout puts it: on Xvfb, as on
        any X server with evdev key codes, keys are numbered by their place whatever the
        layout, so a mapping by place would act with the letter of the US keyboard. A keymap
        (de,fr) loaded while running: "z" (shorter) is typed by the key in the US Y's place,
        which does nothing. Then the French group locked, as desktops switch layouts, with no
        new keymap: the harness names keys by the first group, so "q" is the key that types
        "a" there, which moves the filter; a viewer that kept the German group would narrow it."""
        s = harness.Session(self).start()
        before = s.capture()
        self.assertEqual((50, 50), before[1:3])
        subprocess.run(["setxkbmap", "-display", s.display, "-layout", "de,fr"], env=s.env,
                       check=True)
        s.hold_until("z", lambda: s.capture()[2] < 50)
        before = s.capture()
        self.assertEqual(50, before[1], "only the height changed")
        # q goes down at once (the viewer has the focus): the poll that sees the new group
        # must read letters by it.
        s.x.lock_group(1)
        s.hold_until("q", lambda: s.capture()[3].rgb != before[3].rgb, focus=False)
        self.assertEqual(before[1:3], s.capture()[1:3], "moved, not resized")

    def test_button_is_drawn_raised_and_captures_equal_the_frame_black_outside_it(self):
        """The button drawn into the picture, raised, with its caption. Then a filter past
        the picture's left edge, wider and taller than the picture and above its top: the
        capture is the frame pixel for pixel, black all round it. It fits the frame at one
        place only."""
        s = harness.Session(self).start()
        button = s.picture(*BUTTON)
        self.assertEqual(BUTTON_FACE, button.pixel(3, 3))
        self.assertEqual((255, 255, 255), button.pixel(0, 0), "raised: light top-left edge")
        dark = [sum(button.pixel(x, y)) < 150 for y in range(3, 15) for x in range(3, 65)]
        self.assertGreater(sum(dark), 20, "the caption's dark strokes")
        self.assertNotEqual(BUTTON_FACE, s.picture().pixel(BUTTON[0] - 1, BUTTON[1] + 9))

        def black_columns(capture):  # at its left, while the filter is 50 pixels wide
            return [x for x in range(50) if capture.pixel(x, 25) == (0, 0, 0)]
        left = s.reach(lambda: len(black_columns(s.capture()[3])), 25, 10, "a", "d")
        s.reach(lambda: s.capture()[1], 660, 30, "e", "q")
        s.reach(lambda: s.capture()[2], 640, 30, "c", "z")

        def black_rows(capture):
            return next(y for y in range(capture.height) if capture.pixel(300, y) != (0, 0, 0))
        s.reach(lambda: black_rows(s.capture()[3]), 15, 10, "w", "s")
        _, width, height, large = s.capture()
        picture = s.picture()
        places = [y for y in range(-40, 1)
                  if picture.crop(-left, y, width, height).rgb == large.rgb]
        self.assertEqual([-black_rows(large)], places, "the frame, with black all round it")

    def test_texts_are_drawn_in_a_mincho_face_when_it_is_the_only_japanese_font(self):
        mincho = "/usr/share/fonts/opentype/ipafont-mincho"
        self.assertTrue(os.path.isdir(mincho), "fonts-ipafont-mincho is not installed")
        gothic = harness.Session(self, change=plain_scene).start()
        s = harness.Session(self, change=plain_scene,
                            env={"FONTCONFIG_FILE": font_config(self, mincho)}).start()
        faces = set(re.findall(rb"/(ipa\w*\.ttf)", s.maps()))
        self.assertTrue(faces and all(face.startswith(b"ipam") for face in faces), faces)
        help_area = (49, 431, 292, 113), CLEAR
        caption_area = (BUTTON[0] + 3, BUTTON[1] + 3, 62, 12), BUTTON_FACE
        for area, background in help_area, caption_area:
            drawn, in_gothic = s.picture(*area), gothic.picture(*area)
            ink, gothic_ink = (differing(image, lambda *_: background)
                               for image in (drawn, in_gothic))
            self.assertGreater(ink, gothic_ink / 2, "about as much drawn as in the Gothic face")

    def test_images_wider_than_the_largest_texture_are_drawn_scaled_down(self):
        """20,000 texels are more than the renderer's largest texture (16,384 with Mesa's,
        8,192 or 4,096 on many GPUs): the image is drawn as the same image of a size the
        renderer takes is, never black. Mesh textures and the filter image are made alike."""
        def filter_image(width):  # its colour changes smoothly across and down it
            across = [(255 * x // (width - 1), 255 - 255 * x // (width - 1)) for x in range(width)]

            def row(y):
                return bytes(v for r, g in across for v in (4 * y, g, r))
            return lambda folder: (plain_scene(folder), harness.write_bmp(
                os.path.join(folder, harness.FILTER_IMAGE), width, 64, row))
        area = (20, 20, 50, 50)
        small = harness.Session(self, change=filter_image(2000)).start()
        wide = harness.Session(self, change=filter_image(20000)).start()
        self.assertLess(differing(wide.picture(*area), small.picture(*area).pixel, 12), 50)

    def test_files_that_are_not_regular_files_count_as_missing(self):
        """A FIFO would block the reader that opens it until some writer comes, and a device
        could act on being opened: neither is opened, and a folder is not read either."""
        fifos, folder = ("model.x", harness.FILTER_IMAGE), "kabe_texture.bmp"
        names = fifos + (folder, "rocket_body.bmp")  # the body's texture goes with the model
        s = harness.Session(self)
        remove(*names)(s.path())
        for fifo in fifos:
            os.mkfifo(s.path(fifo))
        os.mkdir(s.path(folder))
        s.start()
        for fifo in fifos:
            with self.assertRaises(OSError, msg="no reader holds %s open" % fifo) as opened:
                os.close(os.open(s.path(fifo), os.O_WRONLY | os.O_NONBLOCK))
            self.assertEqual(errno.ENXIO, opened.exception.errno)
        missing = harness.Session(self, change=remove(*names)).start()
        self.assertEqual(missing.picture().rgb, s.picture().rgb)
        self.assertEqual(0, s.quit())

    def test_command_line_and_start_up_failures_answer_in_one_line(self):
        """--help and --version answer without opening the display (:1999 has none: a viewer
        that started would end with 1); arguments are refused with 2; a start-up failure ends
        with 1 and one line saying why. Started as the menu entry starts it (--menu), the
        failure's line is also shown in a message window, and the viewer ends with 1 once
        that is closed; from the menu with no display no message window can open either."""
        s = harness.Session(self)
        # Latin faces only: the nearest match would draw every Japanese character as a box.
        latin_fonts = {"FONTCONFIG_FILE": font_config(self, "/usr/share/fonts/truetype/dejavu")}
        none = {"DISPLAY": ":1999"}
        fails = "^viewer: cannot start: .*%s.*\n$"  # exactly one line, saying why
        cases = [(["--help"], none, 0, r"man viewer"),
                 (["--version"], none, 0, r"^viewer \d+\.\d+\.\d+\n$"),
                 (["model.x"], none, 2, r"^viewer: takes no arguments.*folder it is started in\n$"),
                 (["--menu", "--help"], none, 2, r"takes no arguments"),
                 ([], none, 1, fails % "no display"), (["--menu"], none, 1, fails % "no display"),
                 ([], latin_fonts, 1, fails % "install fonts-ipafont-gothic"),
                 ([], {"MESA_GL_VERSION_OVERRIDE": "2.1"}, 1, fails % "no OpenGL")]  # not 3.3
        for args, change, code, said in cases:
            with self.subTest(args=args, env=change):
                env = dict(s.env, **change)
                env.pop("WAYLAND_DISPLAY", None)
                run = subprocess.run([s.exe] + args, cwd=s.workdir, env=env, capture_output=True,
                                     encoding="utf-8", errors="replace", timeout=60)
                self.assertEqual(code, run.returncode, run.stderr)
                self.assertRegex(run.stdout if code == 0 else run.stderr, said)

        s.env.update(latin_fonts)
        s.proc = s.launch([s.exe, "--menu"])

        def message_window():
            """The top-level window titled as the viewer with no class: SDL's message window
            names itself in a form that xdotool's search does not read, and the viewer's own
            window (class "viewer") may show for a moment before the failure."""
            tree = harness.run(["xwininfo", "-root", "-children"], s.env).decode()
            found = re.search(r'(0x[0-9a-f]+) "%s": \(\)' % harness.TITLE, tree)
            return found and int(found.group(1), 16)
        message = s.wait(message_window, 60, "no message window")
        self.assertIsNone(s.proc.poll(), "waits for the message window to be closed")
        s.x.close_window(message)
        self.assertEqual(1, s.proc.wait(30))
        lines = s.output().splitlines()
        self.assertEqual(1, len(lines), lines)
        self.assertIn("install fonts-ipafont-gothic", lines[0])


if __name__ == "__main__":
    harness.main()
