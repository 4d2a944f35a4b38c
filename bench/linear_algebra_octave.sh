#!/bin/sh
# Times the linear-algebra benchmarks (bench_linear_algebra) beside GNU Octave, or NumPy when
# Octave is missing, on the same matrices and prints the ratio ours / reference for each. Run
# by hand from the repository root after a build; not part of CI. The reference runs on one
# thread (OMP_NUM_THREADS and OPENBLAS_NUM_THREADS are set to 1) with whatever BLAS and LAPACK
# the system installed (Debian: the reference BLAS unless OpenBLAS is installed, e.g.
# libopenblas0-serial).
set -eu
build=${1:-build}
here=$(dirname "$0")
bench="$build/bench/bench_linear_algebra"
[ -x "$bench" ] || { echo "no $bench: build first" >&2; exit 1; }
export OMP_NUM_THREADS=1 OPENBLAS_NUM_THREADS=1

# name, real time (ms): the best of three repetitions, as the reference takes its best run.
ours=$("$bench" --benchmark_format=csv --benchmark_min_time=0.5 --benchmark_repetitions=3 2>/dev/null | awk -F, '
  /^"BM_/ { gsub(/"/, "", $1); if ($1 ~ /_(mean|median|stddev|cv)$/) next
            if (!($1 in best) || $3 < best[$1]) { if (!($1 in best)) order[n++] = $1; best[$1] = $3 } }
  END { for (i = 0; i < n; ++i) print order[i], best[order[i]] }')

if command -v octave-cli >/dev/null; then
  refname=octave
  reference=$(octave-cli --norc --no-gui -q --eval '
    function a = pat(n, d)
      [j, i] = meshgrid(1:n, 1:n);
      a = mod(i * 37 + j * 91, 101) / 101 - 0.5 + d * eye(n);
    end
    function d = vectorsToo(S)
      [v, d] = eig(S);
    end
    function t = best(f, reps)
      t = inf;
      for r = 1:reps
        tic; f(); t = min(t, toc);
      end
    end
    M = pat(1000, 0); P1 = pat(1000, 1);
    printf("BM_MatrixProduct/1000 %.3f\n", 1000 * best(@() M * P1, 5));
    for n = [500 1000]
      A = pat(n, 10); b = sin((1:n)'"'"');
      printf("BM_Inverse/%d %.3f\n", n, 1000 * best(@() inv(A), 10));
      printf("BM_LinearSystem/%d %.3f\n", n, 1000 * best(@() A \ b, 10));
    end
    for n = [100 200 500]
      P = pat(n, 0); S = P + P'"'"';
      printf("BM_SymmetricEigen/%d %.3f\n", n, 1000 * best(@() vectorsToo(S), 10));
      printf("BM_SymmetricEigenvalues/%d %.3f\n", n, 1000 * best(@() eig(S), 10));
    end
    B = pat(100, 0);
    printf("BM_Eigenvalues100 %.3f\n", 1000 * best(@() eig(B), 20));
  ' 2>/dev/null)
elif /usr/bin/python3 -c "import numpy" 2>/dev/null; then
  refname=numpy
  reference=$(/usr/bin/python3 "$here/linear_algebra_numpy.py")
else
  echo "neither octave-cli nor python3-numpy is installed" >&2
  exit 1
fi

echo "benchmark                      ours(ms)  $refname(ms)   ratio"
echo "$ours" | while read -r name ms; do
  ref=$(echo "$reference" | awk -v n="$name" '$1 == n { print $2 }')
  [ -n "$ref" ] || continue
  awk -v n="$name" -v a="$ms" -v b="$ref" 'BEGIN { printf "%-28s %9.2f %12.2f %7.1f\n", n, a, b, a / b }'
done
