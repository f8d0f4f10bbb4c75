"""Runs the viewer (native, or the .exe under Wine) once on a virtual display, for machines
without one: opens the demo scene,
takes one capture with Enter and one screenshot of the window's picture, quits with Escape,
and says where both are.

    python3 scripts/headless_run.py --exe build/windows/viewer.exe --scene assets/demo \
        --out build/first-run
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)

    with harness.Session(None, args.scene, args.exe) as session:
        started = time.monotonic()
        session.start()
        print("The viewer drew its first steady picture %.1f s after start."
              % (time.monotonic() - started))
        session.capture()
        picture = session.picture()
        raw = os.path.join(session.root, "picture.rgb")
        with open(raw, "wb") as f:
            f.write(picture.rgb)
        screenshot = os.path.join(out, "screenshot.png")
        subprocess.run(["convert", "-size", "%dx%d" % (picture.width, picture.height),
                        "-depth", "8", "rgb:" + raw, screenshot], check=True)
        code = session.quit()
        print("Screenshot: " + screenshot)
        for name in session.captures():
            shutil.copy2(session.path(harness.CAPTURE_FOLDER, name), out)
            print("Capture:    " + os.path.join(out, name))
        print("The viewer ended with exit code %d." % code)
        return 0 if code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
