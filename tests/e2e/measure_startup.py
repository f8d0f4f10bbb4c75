"""Time from process start to the window's appearance, median of N runs.

    /usr/bin/python3 tests/e2e/measure_startup.py --exe viewer.exe [--scene DIR]
        [--title TITLE] [--runs 5] [--baseline]

Each run is a fresh session (own display, own copy of the booted prefix), so
every run pays Wine's per-prefix start (wineserver, explorer) like a first
start on a clean machine would. --baseline also builds probe/empty_window.cpp
and measures it the same way, as the figure to compare against.
"""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


def measure(exe, scene, title, runs):
    times = []
    for i in range(runs):
        with harness.ViewerSession(exe, scene, title=title) as s:
            s.start()
            elapsed = s.find_window(timeout=120)
            times.append(elapsed)
            print("  run %d: %.3f s" % (i + 1, elapsed), flush=True)
            s.close_window()
            try:
                s.wait_exit(15)
            except harness.HarnessError:
                pass   # cleanup kills it; the timing is what matters here
    return times


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe")
    parser.add_argument("--scene")
    parser.add_argument("--title", default=harness.DEFAULT_TITLE)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--baseline", action="store_true",
                        help="also build and measure the empty probe window")
    args = parser.parse_args()
    if not args.exe and not args.baseline:
        parser.error("give --exe, --baseline or both")
    harness.skip_if_unavailable()

    results = {}
    if args.baseline:
        build_dir = tempfile.mkdtemp(prefix="e2e-probe-")
        try:
            probe = harness.build_probe(build_dir)
            # Boot the shared prefix outside the timed runs.
            with harness.ViewerSession(probe, title=harness.PROBE_TITLE):
                pass
            print("baseline %s:" % os.path.basename(probe))
            results["baseline"] = measure(probe, None, harness.PROBE_TITLE, args.runs)
        finally:
            shutil.rmtree(build_dir, ignore_errors=True)
    if args.exe:
        with harness.ViewerSession(args.exe, args.scene, title=args.title):
            pass
        print("%s:" % os.path.basename(args.exe))
        results["exe"] = measure(args.exe, args.scene, args.title, args.runs)

    for name, times in results.items():
        print("%s: median %.3f s of %d runs (min %.3f, max %.3f)"
              % (name, harness.median(times), len(times), min(times), max(times)))
    if "baseline" in results and "exe" in results:
        print("exe minus baseline: %+.3f s"
              % (harness.median(results["exe"]) - harness.median(results["baseline"])))


if __name__ == "__main__":
    t0 = time.monotonic()
    main()
    print("total %.1f s" % (time.monotonic() - t0))
