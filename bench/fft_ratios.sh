#!/usr/bin/env bash
# Runs bench_fft with its benchmarks interleaved at random (each repetition of each one in turn,
# so that a load change on a shared machine touches both sides of a ratio alike) and prints,
# for every length, the median processor times (every benchmark runs on one thread, so time
# the process waited for a core does not count) and their ratio to FFTW in estimate mode:
#   DoFFT (interleaved, the `FFT` built-in) against FFTW's interleaved plan,
#   fft_czt (split) against FFTW's split plan and its interleaved one,
#   fft_czt_pairs (the n x 2 matrix of the `CZT` built-in, in place) against FFTW's interleaved
#   plan in place and out of place,
#   the statement `y = CZT(x)` at 2^20 points (per call) against fft_czt_pairs at that length.
# Each side's plans and buffers are made once per process and transformed once untimed
# (bench/fft.cpp), and each repetition runs for at least a quarter of a second, so that even the
# longest lengths take ten or more timed iterations and no first call is among them.
# Then, for the lengths that are not powers of two named in ALONE (1,000, 4,099, 65,537 and 99,991
# by default), the same split-array ratio twice: "alone", in a process of its own that runs only
# that length (ours and FFTW's split plan, in turns), and "after others", in a process that runs every
# split length in random order; the two modes take turns, one repetition each a round, and the
# last column is how far the medians of our time in the two modes lie apart.
# Usage: bench/fft_ratios.sh [build folder] [repetitions]   (defaults: build, 9)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
reps="${2:-9}"
bench="$build/bench/bench_fft"
[ -x "$bench" ] || { echo "no $bench: build the bench_fft target first" >&2; exit 2; }
alone_sizes="${ALONE:-1000 4099 65537 99991}"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
run() {  # output file, repetitions, then extra arguments
  local out="$1" r="$2"
  shift 2
  "$bench" --benchmark_repetitions="$r" --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.25 --benchmark_min_warmup_time=0.05 --benchmark_format=json --benchmark_out="$out" "$@" >/dev/null 2>&1
}
run "$dir/all.json" "$reps"
# The two modes in turns, so that a load change touches both alike: one repetition of each
# length alone, then one of every split length in one process, per round.
for ((round = 0; round < reps; ++round)); do
  for n in $alone_sizes; do
    run "$dir/alone-$n-$round.json" 1 --benchmark_filter="^BM_(FftCzt|FftwSplit)/$n\$"
  done
  run "$dir/after-$round.json" 1 --benchmark_filter="^BM_(FftCzt|FftwSplit)/"
done
/usr/bin/python3 - "$dir" "$reps" $alone_sizes <<'PY'
import json, statistics, sys
def medians(*paths):
    times = {}
    for path in paths:
        for b in json.load(open(path))["benchmarks"]:
            if b.get("run_type") != "iteration":
                continue
            if b["run_name"] == "BM_CztStatement":
                # Ten calls an iteration: its own counter holds the seconds of one.
                times.setdefault(("CztStatement", 1 << 20), []).append(b["cpu_s_per_call"] * 1e6)
                continue
            name, n = b["run_name"].split("/")
            times.setdefault((name[3:], int(n)), []).append(b["cpu_time"])
    return {k: statistics.median(v) for k, v in times.items()}
folder, rounds = sys.argv[1], int(sys.argv[2])
med = medians(folder + "/all.json")
def row(ours, ref, n):
    if (ours, n) not in med:
        return
    t = med[(ours, n)]
    if (ref, n) in med:
        r = med[(ref, n)]
        print(f"{ours:12} {n:8} {t:11.1f} {ref:16} {r:11.1f} {t / r:6.2f}")
    else:
        print(f"{ours:12} {n:8} {t:11.1f} {'(no FFTW)':16}")
print(f"{'ours':12} {'n':>8} {'cpu us':>11} {'against':16} {'cpu us':>11} {'ratio':>6}")
sizes = sorted({n for _, n in med})
for n in sizes:
    row("DoFFT", "FftwInterleaved", n)
for n in sizes:
    row("FftCzt", "FftwSplit", n)
    if n & (n - 1):
        row("FftCzt", "FftwInterleaved", n)
for n in sizes:
    row("CztPairs", "FftwPairs", n)
    row("CztPairs", "FftwInterleaved", n)
row("CztStatement", "CztPairs", 1 << 20)
print()
print(f"{'n':>8} {'alone us':>10} {'FFTW us':>10} {'ratio':>6} {'after us':>10} {'FFTW us':>10} {'ratio':>6} {'apart':>6}")
after = medians(*(f"{folder}/after-{r}.json" for r in range(rounds)))
for arg in sys.argv[3:]:
    n = int(arg)
    alone = medians(*(f"{folder}/alone-{n}-{r}.json" for r in range(rounds)))
    a, fa = alone.get(("FftCzt", n)), alone.get(("FftwSplit", n))
    b, fb = after.get(("FftCzt", n)), after.get(("FftwSplit", n))
    if a is None or b is None or fa is None or fb is None:
        print(f"{n:8} (not measured: no FFTW or no such length)")
        continue
    print(f"{n:8} {a:10.1f} {fa:10.1f} {a / fa:6.2f} {b:10.1f} {fb:10.1f} {b / fb:6.2f} {abs(a - b) / min(a, b):6.0%}")
PY
