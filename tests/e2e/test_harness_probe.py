"""Checks the harness itself against the probe window (probe/empty_window.cpp).

    /usr/bin/python3 tests/e2e/test_harness_probe.py [--exe empty_window.exe]

Without --exe the probe is compiled with x86_64-w64-mingw32-g++ first.
"""

import os
import re
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import (PROBE_CLIENT_SIZE, PROBE_FILL, PROBE_MARKER, PROBE_TITLE,  # noqa: E402
                     ViewerSession, colour_close)

_probe = {"exe": None, "dir": None}


def probe_exe():
    exe, _ = harness.scenario_args()
    if exe:
        return exe
    if _probe["exe"] is None:
        _probe["dir"] = tempfile.mkdtemp(prefix="e2e-probe-")
        _probe["exe"] = harness.build_probe(_probe["dir"])
    return _probe["exe"]


def tearDownModule():
    if _probe["dir"]:
        shutil.rmtree(_probe["dir"], ignore_errors=True)


def reported_geometry(session, timeout=10):
    """The probe's own line: window L T R B client X Y W H."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        m = re.search(r"window (-?\d+) (-?\d+) (-?\d+) (-?\d+) client (-?\d+) (-?\d+) (\d+) (\d+)",
                      session.output()[0])
        if m:
            return tuple(int(v) for v in m.groups())
        time.sleep(0.05)
    raise AssertionError("the probe reported no geometry; stdout=%r" % (session.output()[0],))


class ProbeWindow(unittest.TestCase):

    def open_session(self):
        s = ViewerSession(probe_exe(), title=PROBE_TITLE)
        s.__enter__()
        self.addCleanup(s.cleanup)
        s.start()
        elapsed = s.find_window(timeout=60)
        self.assertGreater(elapsed, 0.0)
        self.assertLess(elapsed, 30.0)
        return s

    def fail_with(self, s, message):
        self.fail(message + "\n" + s.diagnostics())

    def test_client_area_found_and_marked(self):
        s = self.open_session()
        x, y, w, h = s.client_geometry()
        self.assertEqual((w, h), PROBE_CLIENT_SIZE, s.diagnostics())

        # What Windows reports: the client origin in screen coordinates must be
        # the place the harness found, and the outer corner FRAME_OFFSET up-left.
        left, top, right, bottom, ox, oy, cw, ch = reported_geometry(s)
        self.assertEqual((cw, ch), PROBE_CLIENT_SIZE)
        self.assertEqual((ox, oy), (x, y), s.diagnostics())
        self.assertEqual((ox - left, oy - top), harness.FRAME_OFFSET)
        self.assertEqual(s.outer_origin(), (left, top))

        # What the screen shows: the markers sit exactly at the client corners
        # and the pixels just outside the client area are not the fill colour.
        time.sleep(0.3)
        shot = s.screenshot("probe.png")
        self.assertEqual(s.pixel(0, 0, shot), PROBE_MARKER, s.diagnostics())
        self.assertEqual(s.pixel(w - 1, h - 1, shot), PROBE_MARKER, s.diagnostics())
        for cx, cy in ((1, 0), (0, 1), (w // 2, h // 2), (w - 2, h - 1), (w - 1, 0), (0, h - 1)):
            self.assertTrue(colour_close(s.pixel(cx, cy, shot), PROBE_FILL, 0),
                            "client (%d, %d) is %r" % (cx, cy, s.pixel(cx, cy, shot)))
        for sx, sy in ((x - 1, y), (x, y - 1), (x + w, y + h - 1), (x + w - 1, y + h)):
            if 0 <= sx < shot.width and 0 <= sy < shot.height:
                self.assertFalse(colour_close(shot.pixel(sx, sy), PROBE_FILL, 8),
                                 "screen (%d, %d) outside the client is fill-coloured" % (sx, sy))
        client = s.client_image(shot)
        self.assertEqual((client.width, client.height), PROBE_CLIENT_SIZE)
        self.assertEqual(client.pixel(0, 0), PROBE_MARKER)

    def test_escape_held_quits_with_zero(self):
        s = self.open_session()
        s.hold_key("Escape", 0.2)
        self.assertEqual(s.wait_exit(15), 0, s.diagnostics())
        self.assertEqual(s.search_windows(), [])

    def test_alt_f4_quits_with_zero(self):
        s = self.open_session()
        s.close_window()
        self.assertEqual(s.wait_exit(15), 0, s.diagnostics())
        self.assertEqual(s.search_windows(), [])

    def test_other_keys_do_not_quit(self):
        # A key the probe ignores must leave it running: shows that the
        # quit in the tests above comes from the key that was sent.
        s = self.open_session()
        s.hold_key("space", 0.2)
        time.sleep(0.5)
        self.assertTrue(s.is_running(), s.diagnostics())
        s.hold_key("Escape", 0.2)
        self.assertEqual(s.wait_exit(15), 0, s.diagnostics())


def activations(session):
    return re.findall(r"^active ([01])", session.output()[0], re.M)


def wait_for(predicate, timeout=5):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


class ProbeForeground(unittest.TestCase):
    """focus() and unfocus() must move the Windows foreground, not only the
    X focus: the viewer ignores keys while it is not the foreground window."""

    def test_focus_and_unfocus_change_the_foreground(self):
        s = ViewerSession(probe_exe(), title=PROBE_TITLE)
        s.__enter__()
        self.addCleanup(s.cleanup)
        s.start()
        s.find_window()
        self.assertTrue(wait_for(lambda: activations(s)[-1:] == ["1"]),
                        "not foreground after start: %r" % activations(s))
        s.unfocus()
        self.assertTrue(wait_for(lambda: activations(s)[-1:] == ["0"]),
                        "still foreground after unfocus: %r\n%s" % (activations(s), s.diagnostics()))
        # Not foreground, X focus elsewhere: Escape must not reach it.
        s.key_down("Escape")
        time.sleep(0.2)
        s.key_up("Escape")
        time.sleep(0.5)
        self.assertTrue(s.is_running())
        s.focus()
        self.assertTrue(wait_for(lambda: activations(s)[-1:] == ["1"]),
                        "not foreground after focus: %r\n%s" % (activations(s), s.diagnostics()))
        s.hold_key("Escape", 0.2)
        self.assertEqual(s.wait_exit(15), 0)


class BmpReader(unittest.TestCase):
    """read_bmp against a file made by ImageMagick, not by our own code."""

    def test_bottom_up_rows_and_padding(self):
        d = tempfile.mkdtemp(prefix="e2e-bmp-")
        self.addCleanup(shutil.rmtree, d, True)
        src = os.path.join(d, "src.ppm")
        # 3x2 image, width 3 gives 9 bytes a row, padded to 12.
        pixels = [(255, 0, 0), (0, 255, 0), (0, 0, 255),
                  (10, 20, 30), (40, 50, 60), (70, 80, 90)]
        with open(src, "wb") as f:
            f.write(b"P6 3 2 255\n" + bytes(v for p in pixels for v in p))
        bmp = os.path.join(d, "out.bmp")
        harness._run(["convert", src, "-type", "TrueColor", "BMP3:" + bmp])
        headers, image = harness.read_bmp(bmp)
        self.assertEqual(headers["type"], b"BM")
        self.assertEqual((headers["width"], headers["height"]), (3, 2))
        self.assertEqual(headers["bit_count"], 24)
        self.assertEqual(headers["row_stride"], 12)
        self.assertEqual(headers["file_size"], headers["actual_file_size"])
        self.assertEqual([image.pixel(x, y) for y in range(2) for x in range(3)], pixels)


if __name__ == "__main__":
    harness.run_scenario(require_exe=False)
