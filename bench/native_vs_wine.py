"""Prints the native Linux viewer's figures beside the Windows build's under Wine, measured one
after the other in one run, each on a fresh virtual display of the same size, with the ratio
native / Wine:

- start to first frame: from process start to the first drawn (not flat) client picture,
  median of --runs starts on the demo scene (the screen is polled, so both figures carry the
  same polling delay of a few tens of milliseconds);
- frames per second on a 200,000-triangle model, unpaced (Wine on a virtual display does not
  wait for a retrace; the native viewer is told to skip its pacing with VIEWER_UNPACED=1);
- resident memory of the viewer process 10 s after start on the demo scene;
- capture time at 50 x 50 and 592 x 576, and for the native viewer the time of reading the
  pixels back alone.

    /usr/bin/python3 bench/native_vs_wine.py --native build/linux/viewer \
        --wine build/windows/viewer.exe [--scene assets/demo] [--runs 5] [--seconds 15]
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

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
sys.path.insert(0, os.path.join(REPO, "bench"))
import harness  # noqa: E402
from capture_figures import capture_timings, resident_kib, viewer_pid  # noqa: E402

POLL = 0.02
MEMORY_AT = 10.0


class Session(harness.ViewerSession):
    """A session that reports frame rates: Wine's fps channel, the native viewer's own."""

    def env(self):
        env = super().env()
        if self.native:
            env["VIEWER_UNPACED"] = "1"
        else:
            env["WINEDEBUG"] = "-all,+fps"
        return env


def client_is_drawn(session, geometry):
    x, y, w, h = geometry
    rgb = subprocess.run(["import", "-display", session.display.name, "-window", "root",
                          "-crop", "%dx%d+%d+%d" % (w, h, x, y), "-depth", "8", "rgb:-"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    return len(rgb) == w * h * 3 and rgb != rgb[:3] * (w * h)


def start_to_first_frame(exe, scene):
    with harness.ViewerSession(exe, scene) as s:
        s.start()
        s.find_window(timeout=120)
        geometry = s.client_geometry()
        while not client_is_drawn(s, geometry):
            if time.monotonic() - s.start_time > 120:
                raise harness.HarnessError("no picture within 120 s")
            time.sleep(POLL)
        return time.monotonic() - s.start_time


def frames_per_second(exe, scene, seconds):
    with Session(exe, scene) as s:
        s.start()
        s.find_window(timeout=120)
        s.wait_for_picture(timeout=120)
        time.sleep(seconds)
        s.hold_key("Escape", 0.3)
        s.wait_exit(60)
        rates = [float(r) for r in re.findall(r"approx ([0-9.]+)fps", s.output()[1])]
    if not rates:
        raise harness.HarnessError("%s reported no frame rate" % exe)
    return statistics.median(rates[1:] or rates)   # the first second includes start-up


def resident_memory_kib(exe, scene):
    with harness.ViewerSession(exe, scene) as s:
        s.start()
        s.find_window(timeout=120)
        time.sleep(max(0.0, s.start_time + MEMORY_AT - time.monotonic()))
        return resident_kib(s.proc.pid if s.native else viewer_pid(s))


def native_capture_timings(timing_exe, scene):
    """The native capture benchmark, run in a copy of the scene on its own display."""
    display = harness.XDisplay().start()
    work = tempfile.mkdtemp(prefix="native-capture-bench-")
    try:
        shutil.copytree(scene, os.path.join(work, "scene"))
        run = subprocess.run([timing_exe], cwd=os.path.join(work, "scene"), env=display.env(),
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
        return run.stdout.decode("utf-8", "replace").strip()
    finally:
        display.stop()
        shutil.rmtree(work, ignore_errors=True)


def capture_milliseconds(report, size):
    found = re.search(r"capture %s: median ([0-9.]+) ms" % re.escape(size), report)
    return float(found.group(1)) if found else None


def row(name, native, wine, unit, digits=1):
    ratio = native / wine if native is not None and wine else float("nan")
    print("%-44s native %10.*f %-4s  Wine %10.*f %-4s  ratio %.3f"
          % (name, digits, native, unit, digits, wine, unit, ratio), flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", default=os.path.join(REPO, "build", "linux", "viewer"))
    parser.add_argument("--wine", default=os.path.join(REPO, "build", "windows", "viewer.exe"))
    parser.add_argument("--scene", default=os.path.join(REPO, "assets", "demo"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=15)
    args = parser.parse_args()
    harness.skip_if_unavailable()

    starts = {exe: [] for exe in (args.native, args.wine)}
    for _ in range(args.runs):   # alternated, so that a slow moment hits both builds
        for exe in starts:
            starts[exe].append(start_to_first_frame(exe, args.scene))
    row("start to first frame (median of %d)" % args.runs,
        statistics.median(starts[args.native]), statistics.median(starts[args.wine]), "s", 3)

    heavy = tempfile.mkdtemp(prefix="heavy-scene-")
    try:
        subprocess.run([sys.executable, os.path.join(REPO, "tools", "make_demo_scene.py"),
                        "--out", heavy, "--triangles", "200000"], check=True,
                       stdout=subprocess.DEVNULL)
        row("frames per second, 200,000 triangles",
            frames_per_second(args.native, heavy, args.seconds),
            frames_per_second(args.wine, heavy, args.seconds), "fps")
    finally:
        shutil.rmtree(heavy, ignore_errors=True)

    row("resident memory after %.0f s" % MEMORY_AT,
        resident_memory_kib(args.native, args.scene) / 1024.0,
        resident_memory_kib(args.wine, args.scene) / 1024.0, "MiB")

    native = native_capture_timings(
        os.path.join(os.path.dirname(os.path.abspath(args.native)), "native_capture_timing"),
        args.scene)
    _, wine = capture_timings()
    for size in ("50 x 50", "592 x 576"):
        row("capture %s (median of 25)" % size, capture_milliseconds(native, size),
            capture_milliseconds(wine, size), "ms", 3)
    print("native capture benchmark:\n  " + native.replace("\n", "\n  "))
    return 0


if __name__ == "__main__":
    sys.exit(main())
