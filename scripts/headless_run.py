"""Runs the viewer (native, or the .exe under Wine) once on a virtual display, for machines
without one: opens the demo scene, takes one capture with Enter and one screenshot of the
window's picture, quits with Escape, and says where both are.

    /usr/bin/python3 scripts/headless_run.py --exe build/linux/viewer \
        --scene assets/demo --out build/first-run
"""

import argparse
import glob
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402

CAPTURE_FOLDER = "抜き取り画像保存フォルダ"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    harness.skip_if_unavailable(native=harness.is_native(args.exe))
    os.makedirs(args.out, exist_ok=True)

    with harness.ViewerSession(args.exe, args.scene) as session:
        session.start()
        elapsed = session.find_window(timeout=90)
        print("The window \"ビューア\" appeared %.1f s after start." % elapsed)
        session.wait_for_picture()
        session.tap("Return", hold=0.3)
        time.sleep(0.5)
        screenshot = os.path.join(os.path.abspath(args.out), "screenshot.png")
        session.screenshot(screenshot)
        x, y, width, height = session.client_geometry()
        subprocess.run(["convert", screenshot, "-crop", "%dx%d+%d+%d" % (width, height, x, y),
                        "+repage", screenshot], check=True)
        session.hold_key("Escape", 0.3)
        code = session.wait_exit(20)
        captures = sorted(glob.glob(session.path(CAPTURE_FOLDER, "*.bmp")))
        for capture in captures:
            shutil.copy2(capture, args.out)
        print("Screenshot: %s" % screenshot)
        if captures:
            for capture in captures:
                print("Capture:    %s" % os.path.join(os.path.abspath(args.out),
                                                      os.path.basename(capture)))
        else:
            print("No capture file was written.")
        print("The viewer ended with exit code %d." % code)
        return 0 if code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
