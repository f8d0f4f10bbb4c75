"""Prints the native Linux viewer's figures beside the Windows build's under Wine, measured one
after the other in one run, each on a fresh virtual display of the same size, with the ratio
native / Wine:

- start to first frame: from process start to the first drawn top band, median of --runs
  starts on the demo scene, the builds alternating;
- resident memory of the viewer process --seconds after start on the demo scene (median);
- frames per second on a 200,000-triangle model, unpaced (Wine on a virtual display does not
  wait for a retrace; the native viewer is told to skip its pacing with VIEWER_UNPACED=1);
- capture time at 50 x 50 and 592 x 576, and for the native viewer the time of reading the
  pixels back alone.

    python3 bench/native_vs_wine.py [--native build/linux/viewer] \
        [--wine build/windows/viewer.exe] [--scene assets/demo] [--runs 5] [--seconds 10]
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import wine_figures
from capture_figures import capture_timings
from wine_figures import harness

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def native_frame_rates(output):
    """The native viewer's per-second frame rates without the first, which holds start-up."""
    return [float(r) for r in re.findall(r"approx ([0-9.]+)fps", output)][1:]


def run_once(exe, scene, seconds):
    """(first picture in s, median frames per second, resident memory in MiB) of one run."""
    env = dict(wine_figures.BENCH_ENV, VIEWER_UNPACED="1")
    with harness.Session(None, scene, exe, env=env) as session:
        started = time.monotonic()
        session.start(steady=False)
        first = wine_figures.first_picture(session, started)
        time.sleep(seconds)
        memory = wine_figures.resident_mib(session)
        output = session.output()
        rates = wine_figures.frame_rates(output) if session.wine else native_frame_rates(output)
        return first, statistics.median(rates) if rates else 0.0, memory


def native_capture_timings(timing_exe, scene):
    """The native capture benchmark's report, run in a copy of the scene on its own display."""
    with harness.Session(None, scene, timing_exe) as session:
        session.proc = session.launch([timing_exe])
        wine_figures.wait_exit(session, 300)
        return session.output().strip()


def capture_milliseconds(report, size):
    found = re.search(r"capture %s: median ([0-9.]+) ms" % re.escape(size), report)
    return float(found.group(1)) if found else float("nan")


def row(name, native, wine, unit, digits=1):
    print("%-44s native %10.*f %-4s  Wine %10.*f %-4s  ratio %.3f"
          % (name, digits, native, unit, digits, wine, unit, native / wine), flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", default=os.path.join(REPO, "build", "linux", "viewer"))
    parser.add_argument("--wine", default=os.path.join(REPO, "build", "windows", "viewer.exe"))
    parser.add_argument("--scene", default=os.path.join(REPO, "assets", "demo"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=10)
    args = parser.parse_args()
    native, wine = os.path.abspath(args.native), os.path.abspath(args.wine)

    demo = {native: [], wine: []}
    for _ in range(args.runs):  # alternated, so that a busy moment of the machine hits both
        for exe in demo:
            demo[exe].append(run_once(exe, args.scene, args.seconds))
    row("start to first frame (median of %d)" % args.runs,
        *(statistics.median(r[0] for r in demo[exe]) for exe in (native, wine)), "s", 3)
    row("resident memory after %.0f s (median)" % args.seconds,
        *(statistics.median(r[2] for r in demo[exe]) for exe in (native, wine)), "MiB")

    heavy = tempfile.mkdtemp(prefix="heavy-scene-")
    try:
        subprocess.run([sys.executable, os.path.join(REPO, "tools", "make_demo_scene.py"),
                        "--out", heavy, "--triangles", "200000"], check=True,
                       stdout=subprocess.DEVNULL)
        row("frames per second, 200,000 triangles",
            *(run_once(exe, heavy, 2 * args.seconds)[1] for exe in (native, wine)), "fps")
    finally:
        shutil.rmtree(heavy, ignore_errors=True)

    native_report = native_capture_timings(
        wine_figures.built_beside(native, "native_capture_timing"), args.scene)
    _, wine_report = capture_timings()
    for size in ("50 x 50", "592 x 576"):
        row("capture %s (median of 25)" % size, capture_milliseconds(native_report, size),
            capture_milliseconds(wine_report, size), "ms", 3)
    print("native capture benchmark:\n  " + native_report.replace("\n", "\n  "))
    return 0


if __name__ == "__main__":
    sys.exit(main())
