"""Prints the viewer's resident memory (VmRSS of its Wine process) while it runs untouched on
the demo scene, sampled at the given seconds after start-up.

    /usr/bin/python3 bench/viewer_memory.py --exe build/windows/viewer.exe \
        --scene assets/demo [--at 10 60 120]
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def viewer_rss_kib(session):
    with open("/proc/%d/status" % session.viewer_pid()) as f:
        return int(next(line for line in f if line.startswith("VmRSS:")).split()[1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--at", type=float, nargs="+", default=[10, 60])
    args = parser.parse_args()
    with harness.Session(None, args.scene, args.exe) as session:
        started = time.monotonic()
        session.start(steady=False)
        for seconds in sorted(args.at):
            time.sleep(max(0.0, started + seconds - time.monotonic()))
            print("after %5.0f s: %d KiB" % (seconds, viewer_rss_kib(session)), flush=True)
        session.hold("Escape")
        print("exit code %d" % session.wait_exit(20))


if __name__ == "__main__":
    sys.exit(main())
