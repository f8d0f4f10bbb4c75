"""The viewer against the floor program (bench/floor/floor_program.cpp: the same window,
present parameters, model and wall, one draw each, nothing else), in interleaved runs on one
display server kind: first picture, frames per second and resident memory, each as the median
with min and max, and the viewer's figure as a ratio of the floor's.

    python3 bench/viewer_vs_floor.py --exe build/windows/viewer.exe \
        [--floor build/windows/floor_program.exe] --scene assets/demo [--runs 5 --seconds 10]

Without --floor it builds floor_program.exe in the viewer's build tree first.
"""

import argparse
import statistics
import sys

import wine_figures

FIGURES = ("first picture (s)", "frames per second", "resident memory (MiB)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--floor")
    parser.add_argument("--scene", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=10)
    args = parser.parse_args()
    floor = args.floor or wine_figures.built_beside(args.exe, "floor_program")
    results = {"viewer": [], "floor": []}
    for _ in range(args.runs):
        for name, exe in (("viewer", args.exe), ("floor", floor)):
            results[name].append(wine_figures.run_once(exe, args.scene, args.seconds))
    print("%-24s %-24s %-24s %s" % ("figure", "viewer", "floor", "viewer / floor"))
    for i, figure in enumerate(FIGURES):
        viewer = [r[i] for r in results["viewer"]]
        floor = [r[i] for r in results["floor"]]
        ratio = statistics.median(viewer) / max(statistics.median(floor), 1e-9)
        print("%-24s %-24s %-24s %.2f" % (figure, wine_figures.summary(viewer),
                                          wine_figures.summary(floor), ratio))
    return 0


if __name__ == "__main__":
    sys.exit(main())
