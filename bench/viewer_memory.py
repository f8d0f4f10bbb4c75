"""Prints the viewer's resident memory (VmRSS of its Wine process) while it runs untouched on
the demo scene, sampled at the given seconds after start-up.

    /usr/bin/python3 bench/viewer_memory.py --exe build/windows/viewer.exe \
        --scene assets/demo [--at 10 60 120]
"""

import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402


def viewer_rss_kib(session):
    pids = subprocess.run(["pgrep", "-f", "viewer.exe"], stdout=subprocess.PIPE,
                          check=False).stdout.split()
    for pid in pids:
        try:
            with open("/proc/%s/environ" % pid.decode(), "rb") as f:
                if ("WINEPREFIX=" + session.prefix).encode() not in f.read():
                    continue
            with open("/proc/%s/status" % pid.decode()) as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        return int(line.split()[1])
        except OSError:
            continue
    raise harness.HarnessError("no viewer.exe process of this session")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--at", type=float, nargs="+", default=[10, 60])
    args = parser.parse_args()
    harness.skip_if_unavailable()
    with harness.ViewerSession(args.exe, args.scene) as session:
        session.start()
        session.find_window()
        started = session.start_time
        for seconds in sorted(args.at):
            time.sleep(max(0.0, started + seconds - time.monotonic()))
            print("after %5.0f s: %d KiB" % (seconds, viewer_rss_kib(session)), flush=True)
        session.hold_key("Escape", 0.3)
        print("exit code %d" % session.wait_exit(20))


if __name__ == "__main__":
    sys.exit(main())
