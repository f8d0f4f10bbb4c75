"""Prints the viewer's frames per second under Wine on a virtual display (where nothing waits
for a retrace), from Wine's own frame counter, for a scene folder.

    /usr/bin/python3 bench/frame_rate.py --exe build/windows/viewer.exe --scene assets/demo \
        [--seconds 20]

A heavy model for comparison: python3 tools/make_demo_scene.py --out /tmp/heavy --triangles 200000
"""

import argparse
import os
import re
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--seconds", type=float, default=20)
    args = parser.parse_args()
    # Wine reports the frame rate of each presented second.
    with harness.Session(None, args.scene, args.exe, env={"WINEDEBUG": "-all,+fps"}) as session:
        session.start()
        time.sleep(args.seconds)
        session.hold("Escape")
        session.wait_exit(30)
        rates = [float(r) for r in re.findall(r"approx ([0-9.]+)fps", session.output())]
    if not rates:
        print("Wine reported no frame rate")
        return 1
    print("%d one-second samples: median %.1f fps (min %.1f, max %.1f)"
          % (len(rates), statistics.median(rates), min(rates), max(rates)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
