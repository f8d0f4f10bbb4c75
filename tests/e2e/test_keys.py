"""Keys read from the physical keyboard (the filter and light keys) act only while the
viewer is the foreground window: typing in another program must not resize the filter.

    /usr/bin/python3 tests/e2e/test_keys.py --exe build/windows/viewer.exe --scene assets/demo
"""

import os
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from test_capture import CAPTURE_FOLDER, start_viewer, wait_for_files  # noqa: E402


def captured_width(session, name):
    headers, _ = harness.read_bmp(session.path(CAPTURE_FOLDER, name))
    return headers["width"]


class ForegroundOnly(unittest.TestCase):

    def test_filter_keys_typed_into_another_window_do_nothing(self):
        build = tempfile.mkdtemp(prefix="e2e-keys-")
        self.addCleanup(shutil.rmtree, build, True)
        other_exe = harness.build_probe(build)
        exe, scene = harness.scenario_args()
        with harness.ViewerSession(exe, scene) as s:
            start_viewer(s)
            _, other = s.spawn(other_exe, title=harness.PROBE_TITLE)
            s.focus_window(other)
            s.key_down("e")
            time.sleep(0.5)
            s.key_up("e")

            s.focus()
            s.tap("Return", 0.3)
            self.assertEqual(["0.bmp"], wait_for_files(s, ["0.bmp"]))
            self.assertEqual(50, captured_width(s, "0.bmp"))

            s.hold_key("e", 0.3)
            s.tap("Return", 0.3)
            self.assertEqual(["0.bmp", "1.bmp"], wait_for_files(s, ["0.bmp", "1.bmp"]))
            self.assertGreater(captured_width(s, "1.bmp"), 50, "in front, the same key acts")


if __name__ == "__main__":
    harness.run_scenario()
