"""Prints the viewer's resident memory (VmRSS of its Wine process) while it runs untouched on
the demo scene, sampled at the given seconds after start-up.

    /usr/bin/python3 bench/viewer_memory.py --exe build/windows/viewer.exe \
        --scene assets/demo [--at 10 60 120]
"""

import argparse
import sys
import time

import wine_figures
from wine_figures import harness


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--at", type=float, nargs="+", default=[10, 60])
    args = parser.parse_args()
    with harness.Session(None, args.scene, args.exe, env=wine_figures.BENCH_ENV) as session:
        started = time.monotonic()
        session.start(steady=False)
        for seconds in sorted(args.at):
            time.sleep(max(0.0, started + seconds - time.monotonic()))
            print("after %5.0f s: %.0f MiB" % (seconds, wine_figures.resident_mib(session)),
                  flush=True)
        print("exit code %d" % session.quit())


if __name__ == "__main__":
    sys.exit(main())
