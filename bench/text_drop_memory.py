"""Drops text on the native viewer, as an editor's drag does, and prints how much its resident
memory grew over the drops. Only files can be dropped; each dropped text of 200 KiB once stayed
in memory (49 MiB over 250 drops), so the floor is no growth at all.

    python3 bench/text_drop_memory.py --exe build/linux/viewer --scene assets/demo [--drops 250]
"""

import argparse
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402
from xdnd_source import XdndSource  # noqa: E402

TEXT = b"dropped text " * 16 * 1024


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"VmRSS:\s*(\d+)", f.read()).group(1))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--drops", type=int, default=250)
    args = parser.parse_args()
    with harness.Session(None, args.scene, args.exe) as session:
        session.start()
        with XdndSource(session.display) as source:
            for _ in range(10):  # the allocator's first pools
                source.drop(session.window, "text/plain", TEXT)
            before = resident_kib(session.viewer_pid())
            for _ in range(args.drops):
                source.drop(session.window, "text/plain", TEXT)
            grown = resident_kib(session.viewer_pid()) - before
        print("resident memory after %d drops of %d KiB: %+d KiB (floor: 0)"
              % (args.drops, len(TEXT) // 1024, grown))
        print("exit code %d" % session.quit())


if __name__ == "__main__":
    main()
