"""Prints the viewer's CPU use (all threads of its Wine process, in % of one core) on the demo
scene while it draws, while it is minimised, and after it is restored. The window is minimised
from another process (bench/show_window.c), as the taskbar would: the virtual display has
no window manager.

    /usr/bin/python3 bench/minimised_cpu.py --exe build/windows/viewer.exe \
        --scene assets/demo [--seconds 10]
"""

import argparse
import os
import subprocess
import sys
import time

from wine_figures import harness

HERE = os.path.dirname(os.path.abspath(__file__))


def cpu_percent(session, seconds):
    def used():
        with open("/proc/%d/stat" % session.viewer_pid()) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    before, started = used(), time.monotonic()
    time.sleep(seconds)
    return 100 * (used() - before) / (time.monotonic() - started)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--seconds", type=float, default=10)
    args = parser.parse_args()
    with harness.Session(None, args.scene, args.exe) as session:
        tool = session.path("show_window.exe")
        subprocess.run(["x86_64-w64-mingw32-gcc", "-O2", "-o", tool,
                        os.path.join(HERE, "show_window.c")], check=True)
        session.start()
        print("drawing:   %5.1f %% of one core" % cpu_percent(session, args.seconds), flush=True)
        assert session.launch([tool, "minimize"]).wait(60) == 0, "not minimised"
        print("minimised: %5.1f %% of one core" % cpu_percent(session, args.seconds), flush=True)
        assert session.launch([tool, "restore"]).wait(60) == 0, "not restored"
        print("restored:  %5.1f %% of one core" % cpu_percent(session, args.seconds))


if __name__ == "__main__":
    sys.exit(main())
