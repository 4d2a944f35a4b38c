#!/bin/sh
# Times the linear-algebra benchmarks (bench_linear_algebra) beside GNU Octave, or NumPy when
# Octave is missing, on the same matrices and prints the ratio ours / reference for each. Run
# by hand from the repository root after a build; not part of CI. The reference runs on one
# thread (OMP_NUM_THREADS and OPENBLAS_NUM_THREADS are set to 1) with whatever BLAS and LAPACK
# the system installed (Debian: the reference BLAS unless OpenBLAS is installed, e.g.
# libopenblas0-serial); the header names the library NumPy loaded.
#
# The two sides run in turns, ROUNDS rounds (default 5) of ours then the reference, so that a
# change in the machine's load falls on both; each side times itself in its own process (its
# start-up is not counted) and reports per round the median of REPS calls (default 7), in
# processor time: on a busy machine the clock counts the waits for a core, which fall on the
# two sides unevenly. The
# table gives each side's median over the rounds, in processor time and in clock time (what
# the user waits: the product of "*" runs on every core, the reference on one). FILTER (a regular expression, default all)
# picks the benchmarks, e.g. FILTER='Product|Inverse|LinearSystem'. PRAVELLA_SIMD=avx2 or
# portable times our narrower vector paths.
set -eu
build=${1:-build}
here=$(dirname "$0")
bench="$build/bench/bench_linear_algebra"
[ -x "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }
export OMP_NUM_THREADS=1 OPENBLAS_NUM_THREADS=1
# The reference runs with the kernels OpenBLAS picks for this processor: a machine may set
# OPENBLAS_CORETYPE (and OPENBLAS_L2_SIZE) to older kernels for old builds' sake, which would
# slow the reference. KEEP_CORETYPE=1 keeps them. Where the system's BLAS is the reference one,
# the serial OpenBLAS of libopenblas0-serial is put on LD_LIBRARY_PATH when it is there.
refenv="env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE"
[ -n "${KEEP_CORETYPE:-}" ] && refenv=env
serial=/usr/lib/x86_64-linux-gnu/openblas-serial
if [ -d "$serial" ] && ! readlink -f /usr/lib/x86_64-linux-gnu/libblas.so.3 | grep -q openblas; then
  refenv="$refenv LD_LIBRARY_PATH=$serial${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
fi
rounds=${ROUNDS:-5}
reps=${REPS:-7}
filter=${FILTER:-.}

# One round of ours: "name milliseconds clock-milliseconds", the medians of the repetitions
# (a benchmark on several threads reports the processor time of all of them).
ours_round() {
  "$bench" --benchmark_format=csv --benchmark_filter="$filter" --benchmark_min_time=0.05 \
    --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true 2>/dev/null | awk -F, '
    /^"BM_.*_median"/ { gsub(/"/, "", $1); sub(/_median$/, "", $1); sub(/\/process_time$/, "", $1); print $1, $4, $3 }'
}

if command -v octave-cli >/dev/null; then
  refname=octave
  reference_round() {
    $refenv octave-cli --norc --no-gui -q --eval "
    reps = $reps; only = '$filter';
    function a = pat(n, d)
      [j, i] = meshgrid(1:n, 1:n);
      a = mod(i * 37 + j * 91, 101) / 101 - 0.5 + d * eye(n);
    end
    function d = vectorsToo(S)
      [v, d] = eig(S);
    end
    function show(name, f, reps, only)
      if isempty(regexp(name, only, 'once')) return; end
      f(); t = zeros(1, reps); w = t;
      for r = 1:reps
        c0 = cputime; w0 = tic; f(); t(r) = cputime - c0; w(r) = toc(w0);
      end
      t = sort(t); w = sort(w);
      printf('%s %.3f %.3f\n', name, 1000 * t(floor(reps / 2) + 1), 1000 * w(floor(reps / 2) + 1));
    end
    printf('# octave %s\n', version());
    M = pat(1000, 0); P1 = pat(1000, 1);
    show('BM_MatrixProduct/1000', @() M * P1, reps, only);
    show('BM_MatrixProductOneThread/1000', @() M * P1, reps, only);
    for n = [500 1000]
      A = pat(n, 10); b = sin((1:n)');
      show(sprintf('BM_Inverse/%d', n), @() inv(A), reps, only);
      show(sprintf('BM_LinearSystem/%d', n), @() A \\ b, reps, only);
    end
    for n = [100 200 500]
      P = pat(n, 0); S = P + P';
      show(sprintf('BM_SymmetricEigen/%d', n), @() vectorsToo(S), reps, only);
      show(sprintf('BM_SymmetricEigenvalues/%d', n), @() eig(S), reps, only);
    end
    B = pat(100, 0);
    show('BM_Eigenvalues100', @() eig(B), reps, only);
    " 2>/dev/null
  }
elif /usr/bin/python3 -c "import numpy" 2>/dev/null; then
  refname=numpy
  reference_round() { $refenv /usr/bin/python3 "$here/linear_algebra_numpy.py" "$reps" "$filter"; }
else
  echo "neither octave-cli nor python3-numpy is installed" >&2
  exit 1
fi

# Lines "side name milliseconds" of every round.
all=$(
  i=0
  while [ "$i" -lt "$rounds" ]; do
    ours_round | sed 's/^/ours /'
    reference_round | sed 's/^/ref /'
    i=$((i + 1))
  done
)

echo "$all" | awk '$1 == "ref" && $2 == "#" { sub(/^ref # /, ""); print "reference: " $0; exit }'
echo "processor: $(lscpu | sed -n 's/^Model name: *//p'), family $(lscpu | sed -n 's/^CPU family: *//p') model $(lscpu | sed -n 's/^Model: *//p')"
echo "ours: ${PRAVELLA_SIMD:-measured} vector path; medians of $rounds rounds of $reps calls"
echo "$all" | awk -v ref="$refname" '
  $2 == "#" { next }
  { key = $1 SUBSEP $2; n[key]++; t[key, n[key]] = $3; w[key, n[key]] = $4
    if ($1 == "ours" && !($2 in seen)) { seen[$2] = 1; order[count++] = $2 } }
  function median(side, name, clock,    key, m, i, j, v, tmp) {
    key = side SUBSEP name; m = n[key]
    if (m == 0) return -1
    for (i = 1; i <= m; ++i) v[i] = clock ? w[key, i] : t[key, i]
    for (i = 2; i <= m; ++i) { tmp = v[i]; for (j = i - 1; j >= 1 && v[j] > tmp; --j) v[j + 1] = v[j]; v[j + 1] = tmp }
    return m % 2 ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2
  }
  END {
    printf "%-32s %9s %12s %7s   %s\n", "benchmark", "ours(ms)", ref "(ms)", "ratio", "clock: ours ref ratio"
    for (i = 0; i < count; ++i) {
      a = median("ours", order[i], 0); b = median("ref", order[i], 0)
      if (b <= 0) continue
      c = median("ours", order[i], 1); d = median("ref", order[i], 1)
      printf "%-32s %9.2f %12.2f %7.2f   %.2f %.2f %.2f\n", order[i], a, b, a / b, c, d, (d > 0 ? c / d : 0)
    }
  }'
