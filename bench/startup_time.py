"""Times the viewer's start under Wine on a virtual display: from process start to its window,
and to its first steady picture (the window appears before the device exists). Median of the
runs, with min and max.

    python3 bench/startup_time.py --exe build/windows/viewer.exe --scene assets/demo --runs 5
"""

import argparse
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
    return 0


if __name__ == "__main__":
    sys.exit(main())
