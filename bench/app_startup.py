#!/usr/bin/env python3
"""Start-up of the application beside the floor of any Qt window: build/pravella and
build/bench/bench_minimal_window (a main window with a text edit), started in turn with one
temporary home. For each: the time from start to the first painted frame, the resident memory
and the number of shared libraries 3 seconds after start, and how many web-engine helper
processes run then. Prints the medians over the runs and the application's ratios.

Usage: bench/app_startup.py [build folder] [runs]   (defaults: build, 11 runs)
It uses the display it is given (run it under xvfb-run for a fair X server); without one, Qt's
offscreen platform. On a busy machine the medians wander; the best of the runs less so. Targets: first paint within 2x of the minimal window, under 60 MiB after
3 seconds, no web-engine helper, no libav, OpenCV or web-engine library."""

import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
programs = [("minimal Qt window", os.path.join(build, "bench", "bench_minimal_window")),
            ("pravella", os.path.join(build, "pravella"))]
for _, path in programs:
    if not os.access(path, os.X_OK):
        sys.exit(f"no {path}: build first")

SETTLE_SECONDS = 3.0
HEAVY = re.compile(r"lib(av(codec|format|util|filter|device)|swscale|swresample|opencv_|Qt6WebEngine|pravella_media\.so|curl)")


def descendants(pid):
    """Every process below pid, as (pid, command name)."""
    parents = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        # "pid (name) state ppid ...": the name may hold spaces and parentheses.
        name = stat[stat.index("(") + 1:stat.rindex(")")]
        parents[int(entry)] = (int(stat[stat.rindex(")") + 2:].split()[1]), name)
    found, below = [], {pid}
    changed = True
    while changed:
        changed = False
        for child, (parent, name) in parents.items():
            if parent in below and child not in below:
                below.add(child)
                found.append((child, name))
                changed = True
    return found


def libraries(pid):
    with open(f"/proc/{pid}/maps") as f:
        return {line.split()[-1] for line in f if ".so" in line.rsplit("/", 1)[-1]}


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def run_once(path, env):
    """Milliseconds to first paint, resident KiB, libraries, heavy libraries and helpers."""
    start = time.monotonic_ns()
    process = subprocess.Popen([path], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE)
    painted = None
    try:
        for line in process.stderr:
            match = re.match(rb"first paint (\d+)", line)
            if match:
                painted = int(match.group(1))
                break
        if painted is None:
            sys.exit(f"{path} ended without painting")
        # Keep reading standard error, so that the program never blocks on it.
        drain = subprocess.Popen(["cat"], stdin=process.stderr, stdout=subprocess.DEVNULL)
        time.sleep(max(0.0, SETTLE_SECONDS - (time.monotonic_ns() - start) / 1e9))
        libs = libraries(process.pid)
        helpers = [name for _, name in descendants(process.pid) if name.startswith("QtWebEngine")]
        rss = resident_kib(process.pid)
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    drain.wait()
    return (painted - start) / 1e6, rss, len(libs), sorted(l for l in libs if HEAVY.search(l)), len(helpers)


def main():
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_DATA_HOME=os.path.join(home, ".local/share"),
                   XDG_RUNTIME_DIR=home, PRAVELLA_REPORT_FIRST_PAINT="1")
        if not env.get("DISPLAY") and not env.get("WAYLAND_DISPLAY"):
            env["QT_QPA_PLATFORM"] = "offscreen"
        platform = env.get("QT_QPA_PLATFORM", "the display " + env.get("DISPLAY", env.get("WAYLAND_DISPLAY", "")))
        print(f"{runs} runs each, interleaved, on {platform}; memory, libraries and helpers at {SETTLE_SECONDS:.0f} s")
        for _, path in programs:  # the first start writes the application's defaults; warm the caches too
            run_once(path, env)
        samples = {name: [] for name, _ in programs}
        for _ in range(runs):
            for name, path in programs:
                samples[name].append(run_once(path, env))
        print(f"{'program':<20}{'first paint ms':>15}{'(best)':>8}{'RSS MiB':>9}{'libraries':>11}{'helpers':>9}  heavy libraries")
        medians = {}
        for name, _ in programs:
            s = samples[name]
            paint = statistics.median(x[0] for x in s)
            best = min(x[0] for x in s)
            rss = statistics.median(x[1] for x in s) / 1024
            libs = statistics.median(x[2] for x in s)
            helpers = max(x[4] for x in s)
            heavy = sorted({os.path.basename(l) for x in s for l in x[3]})
            medians[name] = (paint, rss, best)
            shown = ", ".join(heavy[:6]) + (f" and {len(heavy) - 6} more" if len(heavy) > 6 else "") or "none"
            print(f"{name:<20}{paint:>15.1f}{best:>8.1f}{rss:>9.1f}{libs:>11.0f}{helpers:>9}  {shown}")
        floor, app = medians[programs[0][0]], medians[programs[1][0]]
        print(f"first paint: {app[0] / floor[0]:.2f}x the minimal window, {app[2] / floor[2]:.2f}x at best (target 2x); "
              f"resident after {SETTLE_SECONDS:.0f} s: {app[1]:.1f} MiB (target 60)")


main()
