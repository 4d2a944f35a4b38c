#!/usr/bin/env python3
"""Start-up cost of pravella-calc: an empty program, and one whose first built-in loads the
media module (a frame of a movie standing in for camera 0). Prints the median wall time, CPU
time and peak resident memory of each over the runs, and the shared libraries each loads.

Usage: bench/calc_startup.py [build folder] [runs]   (defaults: build, 21 runs)
Targets for the empty program: 20 ms wall and 25 MiB peak."""

import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
calc = os.path.join(build, "pravella-calc")
if not os.access(calc, os.X_OK):
    sys.exit(f"no {calc}: build first")


def run_once(program, env):
    """Wall seconds, CPU seconds and peak resident KiB of one run."""
    with tempfile.TemporaryFile() as stdin:
        stdin.write(program.encode())
        stdin.seek(0)
        start = time.perf_counter()
        pid = os.fork()
        if pid == 0:
            os.dup2(stdin.fileno(), 0)
            null = os.open(os.devnull, os.O_WRONLY)
            os.dup2(null, 1)
            os.dup2(null, 2)
            os.execve(calc, [calc, "-"], env)
        _, _, usage = os.wait4(pid, 0)
        wall = time.perf_counter() - start
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def libraries(program, env):
    traced = dict(env, LD_DEBUG="files")
    err = subprocess.run([calc, "-"], input=program.encode(), env=traced, capture_output=True).stderr
    return len(set(re.findall(r"file=(\S+) \[0\];  (?:needed|dynamically loaded) by", err.decode(errors="replace"))))


with tempfile.TemporaryDirectory() as home:
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home, QT_QPA_PLATFORM="offscreen")
    movie = os.path.join(home, "camera.avi")
    # A two-frame movie for the camera built-in; without ffmpeg that case is skipped.
    made = subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10",
                           "-frames:v", "2", "-c:v", "mjpeg", movie], capture_output=True).returncode == 0
    cases = [("empty program", "", env)]
    if made:
        cases.append(("first camera frame", "p# = fGrabber(0); getPictSize(p#);", dict(env, PRAVELLA_CAMERA0=movie)))
    run_once("", env)  # warms the page cache
    print(f"{'case':<22}{'wall ms':>9}{'cpu ms':>9}{'peak MiB':>10}{'libraries':>11}")
    for name, program, case_env in cases:
        samples = [run_once(program, case_env) for _ in range(runs)]
        wall = statistics.median(s[0] for s in samples) * 1000
        cpu = statistics.median(s[1] for s in samples) * 1000
        peak = statistics.median(s[2] for s in samples) / 1024
        print(f"{name:<22}{wall:>9.1f}{cpu:>9.1f}{peak:>10.1f}{libraries(program, case_env):>11}")
