"""Prints the Windows build's figures under Wine with Wine's D3DX and without it (our own mesh,
texture and text code), side by side in one run, the two alternating:

- start to first picture on the demo scene (median of --runs starts, with range);
- frames per second on the demo scene and on a 200,000-triangle model (median over
  --seconds of running; Wine on a virtual display does not wait for a retrace).

    python3 bench/with_and_without_d3dx.py [--exe build/windows/viewer.exe] \
        [--scene assets/demo] [--runs 3] [--seconds 8]
"""

import argparse
import os
import subprocess
import sys
import tempfile

import wine_figures

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WAYS = (("with D3DX", True), ("without D3DX", False))


def big_scene(folder):
    subprocess.run([sys.executable, os.path.join(REPO, "tools", "make_demo_scene.py"), "--out",
                    folder, "--triangles", "200000"], check=True, stdout=subprocess.DEVNULL)
    return folder


def measure(exe, scene, runs, seconds):
    """Per way: the first-picture times and frame rates of runs alternating between ways."""
    figures = {name: ([], []) for name, _ in WAYS}
    for _ in range(runs):
        for name, d3dx in WAYS:
            first, fps, _ = wine_figures.run_once(exe, scene, seconds, d3dx)
            figures[name][0].append(first)
            figures[name][1].append(fps)
    return figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", default=os.path.join(REPO, "build", "windows", "viewer.exe"))
    parser.add_argument("--scene", default=os.path.join(REPO, "assets", "demo"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=8)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as root:
        scenes = (("demo scene", args.scene),
                  ("200,000 triangles", big_scene(os.path.join(root, "big"))))
        print("%-20s %-14s %-22s %s" % ("scene", "", "first picture (s)", "frames per second"))
        for label, scene in scenes:
            figures = measure(os.path.abspath(args.exe), scene, args.runs, args.seconds)
            for name, _ in WAYS:
                firsts, rates = figures[name]
                print("%-20s %-14s %-22s %s" % (label, name, wine_figures.summary(firsts),
                                                wine_figures.summary(rates)), flush=True)


if __name__ == "__main__":
    main()
