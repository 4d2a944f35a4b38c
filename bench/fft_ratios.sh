#!/usr/bin/env bash
# Runs bench_fft with its benchmarks interleaved at random (each repetition of each one in turn,
# so that a load change on a shared machine touches both sides of a ratio alike) and prints,
# for every length, the median processor times (every benchmark runs on one thread, so time
# the process waited for a core does not count) and their ratio to FFTW in estimate mode:
#   DoFFT (interleaved, the `FFT` built-in) against FFTW's interleaved plan,
#   fft_czt (split, the `CZT` built-in) against FFTW's split plan and its interleaved one.
# Usage: bench/fft_ratios.sh [build folder] [repetitions]   (defaults: build, 9)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
reps="${2:-9}"
bench="$build/bench/bench_fft"
[ -x "$bench" ] || { echo "no $bench: build the bench_fft target first" >&2; exit 2; }
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
"$bench" --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
  --benchmark_min_time=0.05 --benchmark_format=json --benchmark_out="$tmp" >/dev/null 2>&1
/usr/bin/python3 - "$tmp" <<'PY'
import json, statistics, sys
times = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    name, n = b["run_name"].split("/")
    times.setdefault((name[3:], int(n)), []).append(b["cpu_time"])
med = {k: statistics.median(v) for k, v in times.items()}
def row(ours, ref, n):
    if (ours, n) not in med:
        return
    t = med[(ours, n)]
    if (ref, n) in med:
        r = med[(ref, n)]
        print(f"{ours:7} {n:8} {t:11.1f} {ref:16} {r:11.1f} {t / r:6.2f}")
    else:
        print(f"{ours:7} {n:8} {t:11.1f} {'(no FFTW)':16}")
print(f"{'ours':7} {'n':>8} {'cpu us':>11} {'FFTW estimate':16} {'cpu us':>11} {'ratio':>6}")
sizes = sorted({n for _, n in med})
for n in sizes:
    row("DoFFT", "FftwInterleaved", n)
for n in sizes:
    row("FftCzt", "FftwSplit", n)
    if n & (n - 1):
        row("FftCzt", "FftwInterleaved", n)
PY
