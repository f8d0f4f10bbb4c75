"""Frames per second of a program under Wine on a virtual display, from Wine's own frame
counter: the median of the one-second samples, with min and max.

    python3 bench/frame_rate.py --exe build/windows/viewer.exe --scene assets/demo
"""

import argparse
import statistics
import sys
import time

import wine_figures
from wine_figures import harness


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--scene", required=True)
    parser.add_argument("--seconds", type=float, default=20)
    args = parser.parse_args()
    with harness.Session(None, args.scene, args.exe, env=wine_figures.BENCH_ENV) as session:
        session.start()
        time.sleep(args.seconds)
        rates = wine_figures.frame_rates(session.output())
    if not rates:
        print("Wine reported no frame rate")
        return 1
    print("%d one-second samples: median %.1f fps (min %.1f, max %.1f)"
          % (len(rates), statistics.median(rates), min(rates), max(rates)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
