"""The viewer on a desktop that does not hold still: a lost device, a system locale other than
Japanese.

    python3 tests/e2e/test_desktop.py --exe build/windows/viewer.exe --scene assets/demo

Wine never loses a windowed device, so the lost-device case runs a copy of the .exe whose
import of d3d9.dll is pointed at lost_device/lost_d3d9.c, built here with MinGW-w64.
"""

import os
import re
import subprocess
import unittest

import harness
from test_plain_scene import TEXELS, blend, close, plain_scene

HERE = os.path.dirname(os.path.abspath(__file__))
FILTER = (20, 20, 50, 50)  # the filter's place and size at the start, client pixels


def read(path):
    with open(path) as f:
        return f.read()


def with_lost_device_copy(folder):
    """The scene with a copy of the viewer whose d3d9.dll is the stand-in lost.dll."""
    with open(harness.options.exe, "rb") as f:
        exe = f.read()
    assert exe.count(b"d3d9.dll\0") == 1
    with open(os.path.join(folder, "viewer_lost.exe"), "wb") as f:
        f.write(exe.replace(b"d3d9.dll\0", b"lost.dll\0"))
    subprocess.run(["x86_64-w64-mingw32-gcc", "-O2", "-shared", "-o",
                    os.path.join(folder, "lost.dll"),
                    os.path.join(HERE, "lost_device", "lost_d3d9.c")], check=True)


def capture_equals_screen(test, s):
    test.assertEqual(s.picture(*FILTER).rgb, s.capture()[3].rgb, "the capture shows the screen")


class Desktop(unittest.TestCase):

    @harness.also_without_d3dx
    def test_lost_device_is_reset_nothing_moves_while_lost_and_escape_ends_it(self):
        s = harness.Session(self, change=with_lost_device_copy)
        s.exe = s.path("viewer_lost.exe")
        s.start()
        log = s.path("lost-device.log")

        def logged(text):
            return os.path.exists(log) and text in read(log)
        before = s.picture()
        open(s.path("lose-device"), "w").close()
        s.wait(lambda: logged("lost"), 30, "the device was never lost")
        # No frame is presented while the device is lost: the checks of its state count the
        # passes of the viewer's loop that the keys are held through.
        checks = read(log).count("check\n")
        s.focus()
        s.key_down("Left d")
        s.wait(lambda: read(log).count("check\n") > checks + harness.HOLD_FRAMES, 30,
               "the lost device was never checked")
        s.key_up("Left d")
        capture_equals_screen(self, s)
        os.remove(s.path("lose-device"))
        s.wait(lambda: logged("calls while lost"), 30, "the device was never reset")
        text = read(log)
        self.assertIn("reset 0\n", text, "Reset refuses while a default-pool object lives")
        presents, tests, ms = map(int, re.search(r"present (\d+), test (\d+), ms (\d+)", text)
                                  .groups())
        self.assertEqual(1, presents, "no drawing after the present that found it lost")
        self.assertLess(tests * 1000 / ms, 100, "checks per second: a lost device does not spin")
        s.wait_for_steady_picture()
        self.assertEqual(before.rgb, s.picture().rgb, "picture, filter and texts are back, "
                         "and the keys held while lost moved nothing")
        s.hold_until("Left", lambda: s.picture().rgb != before.rgb)
        # Lost once more, Escape still ends the viewer.
        open(s.path("lose-device"), "w").close()
        s.wait(lambda: read(log).splitlines().count("lost") == 2, 30, "never lost again")
        self.assertEqual(0, s.quit())

    @harness.also_without_d3dx
    def test_any_locale_finds_files_and_draws_japanese(self):
        # Wine names files on disk in the locale's character set, so the locale must be able
        # to hold Japanese: C.UTF-8 is installed everywhere and its code page is 1252.
        s = harness.Session(self, change=plain_scene, env={"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
        # Wine also gives X the title in the locale's own encoding (WM_NAME), where Japanese
        # may not be written; its UTF-8 form must be the title itself, which a title read as
        # code page 1252 is not.
        s.start(search=["--class", "viewer"])
        title = harness.run(["xprop", "-id", str(s.window), "_NET_WM_NAME"], s.env)
        self.assertIn('"%s"' % harness.TITLE, title.decode())
        _, _, _, image = s.capture()  # into the folder of the right name on disk
        for (x, y), texel in zip([(12, 20), (37, 20), (12, 42), (37, 42)], TEXELS):
            self.assertTrue(close(image.pixel(x, y), blend(texel)), "filter texels")


if __name__ == "__main__":
    harness.main()
