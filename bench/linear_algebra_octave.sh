#!/bin/sh
# Times the linear-algebra benchmarks (bench_linear_algebra) beside GNU Octave on the same
# matrices and prints the ratio ours / Octave for each. Run by hand from the repository root
# after a build; not part of CI. Octave uses whatever BLAS the system installed (Debian: the
# reference BLAS unless OpenBLAS is installed).
set -eu
build=${1:-build}
bench="$build/bench/bench_linear_algebra"
[ -x "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }
command -v octave-cli >/dev/null || { echo "octave-cli is not installed" >&2; exit 1; }

ours=$("$bench" --benchmark_format=csv --benchmark_min_time=2 2>/dev/null | awk -F, '
  /^"BM_/ { gsub(/"/, "", $1); print $1, $3 }')  # name, real time (ms)

octave=$(octave-cli --norc --no-gui -q --eval '
  function a = pat(n, d)
    [j, i] = meshgrid(1:n, 1:n);
    a = mod(i * 37 + j * 91, 101) / 101 - 0.5 + d * eye(n);
  end
  function t = best(f, reps)
    t = inf;
    for r = 1:reps
      tic; f(); t = min(t, toc);
    end
  end
  A = pat(500, 10); b = sin((1:500)'"'"');
  B = pat(100, 0);
  printf("BM_Inverse500 %.3f\n", 1000 * best(@() inv(A), 10));
  printf("BM_LinearSystem500 %.3f\n", 1000 * best(@() A \ b, 10));
  printf("BM_Eigenvalues100 %.3f\n", 1000 * best(@() eig(B), 20));
' 2>/dev/null)

echo "benchmark              ours(ms)   octave(ms)   ratio"
echo "$ours" | while read -r name ms; do
  oct=$(echo "$octave" | awk -v n="$name" '$1 == n { print $2 }')
  awk -v n="$name" -v a="$ms" -v b="$oct" 'BEGIN { printf "%-22s %9.2f %12.2f %7.1f\n", n, a, b, a / b }'
done
