"""The native viewer against its floor (bench/native_floor.cpp: the same window, wall and model
through the same shaders, one draw each, nothing else), in interleaved rounds (viewer, floor,
viewer, floor, ...) on one Xvfb display, with the malloc thresholds pinned. Each round gives,
for each program: frames per second unpaced on the demo scene and on a 200,000-triangle model,
the first picture (process start until the window shows the wall, found the same way for both)
and resident memory 10 s after start on the demo scene. Prints each round, the median with its
range, and viewer / floor per round and of the medians, beside the machine's load.

    python3 bench/native_vs_floor.py [--viewer build/linux/viewer] \
        [--floor build/linux/native_floor] [--scene assets/demo] [--rounds 5] [--seconds 10]

Without --floor it builds native_floor in the viewer's build tree first.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time

import wine_figures
from native_vs_wine import REPO, native_frame_rates
from wine_figures import harness

FIGURES = ("frames per second, demo", "frames per second, 200k", "first picture (s)",
           "resident memory (MiB)")
# A band right of the model and above the help text: only the wall is ever drawn there.
WALL_BAND = (390, 200, 200, 200)


def shows_wall(session):
    """Whether most of the band has the bricks' colour: red well above green and blue. Neither
    the window before the first frame nor the clear colour has it."""
    rgb = session.picture(*WALL_BAND).rgb
    pixels = [rgb[i:i + 3] for i in range(0, len(rgb), 3)]
    return sum(1 for r, g, b in pixels if r > g + 40 and r > b + 40) > len(pixels) / 2


def first_picture(session, started, timeout=120):
    """Seconds from started until a screenshot shows the wall. Screenshots are taken back to
    back once the window is found, so the figure is late by at most one look for the window
    and one screenshot (together about 0.2 s here), the same for both programs."""
    while not shows_wall(session):
        if time.monotonic() > started + timeout:
            raise AssertionError("no wall within %d s" % timeout)
    return time.monotonic() - started


def run(session, exe, folder, seconds, timed_picture):
    """Starts exe in folder on the session's display, unpaced; returns (median frames per
    second, first picture in s, resident MiB) after seconds from its start, then quits it with
    Escape. The harness's session serves one program in one folder: both programs and both
    scenes take turns in it here, so that every run sees the same display."""
    session.exe, session.workdir = exe, folder
    already_written = len(session.output())
    started = time.monotonic()
    session.start(steady=False, search=["--name", "."])
    first = first_picture(session, started) if timed_picture else None
    time.sleep(max(0.0, started + seconds - time.monotonic()))
    memory = wine_figures.resident_mib(session)
    rates = native_frame_rates(session.output()[already_written:])
    if session.quit() != 0:
        raise RuntimeError("%s did not quit with 0 on Escape" % exe)
    if not rates:
        raise RuntimeError("%s printed no frame rate in %s s" % (exe, seconds))
    return statistics.median(rates), first, memory


def one_round(session, programs, demo, heavy, seconds):
    """{program: [demo fps, 200k fps, first picture, memory]}, the programs taking turns on
    each scene."""
    figures = {name: list(run(session, exe, demo, seconds, timed_picture=True))
               for name, exe in programs.items()}
    for name, exe in programs.items():
        figures[name].insert(1, run(session, exe, heavy, seconds, timed_picture=False)[0])
    return figures


def print_table(rounds):
    print("%-26s %-8s %s  median (min-max)" % ("figure", "program", " ".join(
        "%8s" % ("round %d" % (i + 1)) for i in range(len(rounds)))))
    for i, figure in enumerate(FIGURES):
        viewer = [r["viewer"][i] for r in rounds]
        floor = [r["floor"][i] for r in rounds]
        ratios = [v / f for v, f in zip(viewer, floor)]
        medians = statistics.median(viewer) / statistics.median(floor)
        for name, values, middle in (("viewer", viewer, statistics.median(viewer)),
                                     ("floor", floor, statistics.median(floor)),
                                     ("v / f", ratios, medians)):
            print("%-26s %-8s %s  %.3g (%.3g-%.3g)" % (
                figure if name == "viewer" else "", name,
                " ".join("%8.3g" % v for v in values), middle, min(values), max(values)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--viewer", default=os.path.join(REPO, "build", "linux", "viewer"))
    parser.add_argument("--floor")  # by default native_floor, built beside the viewer
    parser.add_argument("--scene", default=os.path.join(REPO, "assets", "demo"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=10)
    args = parser.parse_args()
    floor = args.floor or wine_figures.built_beside(args.viewer, "native_floor")
    programs = {"viewer": os.path.abspath(args.viewer), "floor": os.path.abspath(floor)}
    print("load average at start: %.2f %.2f %.2f" % os.getloadavg(), flush=True)
    env = dict(wine_figures.BENCH_ENV, VIEWER_UNPACED="1")
    with harness.Session(None, args.scene, programs["viewer"], env=env) as session:
        demo, heavy = session.workdir, os.path.join(session.root, "heavy")
        open(session.output_path, "a").close()  # run() reads where each program's output starts
        subprocess.run([sys.executable, os.path.join(REPO, "tools", "make_demo_scene.py"),
                        "--out", heavy, "--triangles", "200000"], check=True,
                       stdout=subprocess.DEVNULL)
        rounds = [one_round(session, programs, demo, heavy, args.seconds)
                  for _ in range(args.rounds)]
    print_table(rounds)
    print("v / f: viewer / floor of each round; its median column is the ratio of the "
          "medians, with the range of the rounds' ratios")
    print("load average at end:   %.2f %.2f %.2f" % os.getloadavg())
    return 0


if __name__ == "__main__":
    sys.exit(main())
