"""Figures of one program run under Wine on a virtual display, shared by the bench scripts.

glibc's heap trimming turns a program's large draws into page faults at random moments, so
every run sets the malloc thresholds high: the comparison then measures the programs, not
where their heaps happen to lie."""

import os
import re
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402

BENCH_ENV = {"MALLOC_TRIM_THRESHOLD_": str(1 << 30), "MALLOC_MMAP_THRESHOLD_": str(1 << 25),
             "WINEDEBUG": "-all,+fps"}


def built_beside(program, target):
    """The program target of the build tree that holds program, built first: the benchmarks'
    own programs are left out of the default build."""
    tree = os.path.dirname(os.path.abspath(program))
    subprocess.run(["cmake", "--build", tree, "--target", target], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(tree, target + os.path.splitext(program)[1])


def wait_exit(session, timeout):
    """Waits until the program the session launched has ended; returns its exit code."""
    session.wait(lambda: session.proc.poll() is not None, timeout, "the program still running")
    return session.proc.returncode


def frame_rates(output):
    """Wine's per-second frame rates, one per present: it prints each second twice (once for
    the buffer swap, once for the present) and starts with a second of zeros and one that
    holds the start-up; only the present's lines after those two count."""
    return [float(r) for r in
            re.findall(r"wined3d_cs_exec_present \S+ @ approx ([0-9.]+)fps", output)][2:]


def first_picture(session, started):
    """Seconds from start until the top band, where the program draws, is not one colour."""
    def drawn():
        band = session.picture(0, 0, 592, 100).rgb
        return band != band[:3] * (len(band) // 3)
    session.wait(drawn, 120, "no picture")
    return time.monotonic() - started


def resident_mib(session):
    with open("/proc/%d/status" % session.viewer_pid()) as f:
        return int(next(line for line in f if line.startswith("VmRSS:")).split()[1]) / 1024


def run_once(exe, scene, seconds, d3dx=None):
    """(first picture in s, median frames per second, resident memory in MiB) of one run;
    d3dx: whether Wine offers its D3DX (the harness's default when None)."""
    with harness.Session(None, scene, exe, env=BENCH_ENV, d3dx=d3dx) as session:
        started = time.monotonic()
        session.start(steady=False)
        first = first_picture(session, started)
        time.sleep(seconds)
        memory = resident_mib(session)
        rates = frame_rates(session.output())
        return first, statistics.median(rates) if rates else 0.0, memory


def summary(values):
    return "%.3g (%.3g–%.3g)" % (statistics.median(values), min(values), max(values))
