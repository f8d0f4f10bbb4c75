"""Times the viewer's start under Wine on a virtual display: from process start to its window,
and to its first steady picture (the window appears before the device exists). Median of the
runs, with min and max. Then one more start, traced by Wine, splits it into phases: the time
from the executable's load to the Direct3D object, the device, the scene loaded (the first
BeginScene) and the first Present, and the longest waits inside the first frame.

    python3 bench/startup_time.py --exe build/windows/viewer.exe --scene assets/demo --runs 5
"""

import argparse
import re
import statistics
import sys
import time

import wine_figures
from wine_figures import harness


def one_start(exe, scene):
    with harness.Session(None, scene, exe, env=wine_figures.BENCH_ENV) as session:
        started = time.monotonic()
        session.start(steady=False)
        window = time.monotonic() - started
        session.wait_for_steady_picture()
        return window, time.monotonic() - started


PHASES = (("executable loaded", r"loaddll:build_module Loaded .*\.exe"),
          ("Direct3D object made", r"Direct3DCreate9 Created"),
          ("device made", r"d3d9_CreateDevice Created"),
          ("scene loaded", r"d3d9_device_BeginScene"),
          ("first frame presented", r"d3d9_device_Present"))


def traced_phases(exe, scene):
    """Prints each phase's moment after the executable's load, and the three longest pauses
    between two traced calls of the first frame with the call that waited."""
    env = dict(wine_figures.BENCH_ENV, WINEDEBUG="+timestamp,+loaddll,+d3d9,+d3dx")
    with harness.Session(None, scene, exe, env=env) as session:
        session.start(steady=False)
        session.wait_for_steady_picture()
        lines = session.output().splitlines()
    stamped = [(float(m.group(1)), line) for line in lines
               for m in [re.match(r"(\d+\.\d+):", line)] if m]
    moments = []
    for name, pattern in PHASES:
        at = next(i for i, (_, line) in enumerate(stamped) if re.search(pattern, line))
        moments.append((name, at))
    start = stamped[moments[0][1]][0]
    for name, at in moments:
        print("%-22s %.3f s" % (name, stamped[at][0] - start))
    first, last = moments[-2][1], moments[-1][1]
    pauses = sorted(((stamped[i + 1][0] - stamped[i][0], stamped[i][1].split(":", 3)[-1][:90])
                     for i in range(first, last)), reverse=True)[:3]
    for seconds, call in pauses:
        print("  first frame waits %.3f s after %s" % (seconds, call))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    times = [one_start(args.exe, args.scene) for _ in range(args.runs)]
    for name, values in (("window", [t[0] for t in times]), ("steady picture", [t[1] for t in times])):
        print("%-15s median %.3f s (min %.3f, max %.3f, %d runs)"
              % (name, statistics.median(values), min(values), max(values), len(values)))
    traced_phases(args.exe, args.scene)
    return 0


if __name__ == "__main__":
    sys.exit(main())
