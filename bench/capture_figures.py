"""Figures of the capture under Wine: the time of one capture (median of 25, from the
capture_timing benchmark) and the viewer's memory before and after 200 captures.

    /usr/bin/python3 bench/capture_figures.py --exe viewer.exe [--scene assets/demo]
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

import wine_figures
from wine_figures import harness

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

BUTTON_CENTRE = (102 + 34, 544 + 9)
WARM_UP_CAPTURES = 10
MEASURED_CAPTURES = 200


def capture_timings():
    build = tempfile.mkdtemp(prefix="capture-bench-")
    try:
        exe = os.path.join(build, "capture_timing.exe")
        subprocess.run([os.path.join(REPO, "bench", "build_capture_bench.sh"), exe], check=True)
        with harness.Session(None, None, exe) as s:
            s.proc = s.launch([exe])
            code = wine_figures.wait_exit(s, 120)
            return code, s.output().strip()
    finally:
        shutil.rmtree(build, ignore_errors=True)


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS for process %d" % pid)


def capture_count(session):
    return len(session.captures())


def click_captures(session, count):
    expected = capture_count(session) + count
    for _ in range(count):
        session.click(*BUTTON_CENTRE)
        time.sleep(0.03)
    deadline = time.monotonic() + 30
    while capture_count(session) < expected and time.monotonic() < deadline:
        time.sleep(0.1)
    return capture_count(session)


def memory_over_captures(exe, scene):
    with harness.Session(None, scene, exe, env=wine_figures.BENCH_ENV) as s:
        s.start()
        pid = s.viewer_pid()
        click_captures(s, WARM_UP_CAPTURES)
        time.sleep(1)
        before = resident_kib(pid)
        written = click_captures(s, MEASURED_CAPTURES)
        time.sleep(1)
        after = resident_kib(pid)
        return before, after, written


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", default=os.path.join(REPO, "assets", "demo"))
    args = parser.parse_args()

    code, timings = capture_timings()
    print(timings)
    before, after, written = memory_over_captures(os.path.abspath(args.exe), args.scene)
    print("viewer memory (VmRSS): %d KiB after %d captures, %d KiB after %d more "
          "(%d files in all), change %+d KiB"
          % (before, WARM_UP_CAPTURES, after, MEASURED_CAPTURES, written, after - before))
    return code


if __name__ == "__main__":
    sys.exit(main())
