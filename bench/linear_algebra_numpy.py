"""The reference timings of bench/linear_algebra_octave.sh through NumPy, for machines without
Octave: the same matrices, the best of several runs, one line "name milliseconds" each. Run it
with OPENBLAS_NUM_THREADS=1 (the shell script sets it) so that LAPACK uses one thread."""
import time

import numpy as np


def pattern(n, diagonal):
    i, j = np.meshgrid(np.arange(1, n + 1), np.arange(1, n + 1), indexing="ij")
    return ((i * 37 + j * 91) % 101) / 101.0 - 0.5 + diagonal * np.eye(n)


def best(f, reps):
    t = float("inf")
    for _ in range(reps):
        start = time.perf_counter()
        f()
        t = min(t, time.perf_counter() - start)
    return 1000 * t


m = pattern(1000, 0.0)
p1 = pattern(1000, 1.0)
print(f"BM_MatrixProduct/1000 {best(lambda: m @ p1, 5):.3f}")
for n in (500, 1000):
    a = pattern(n, 10.0)
    b = np.sin(np.arange(1, n + 1))
    print(f"BM_Inverse/{n} {best(lambda: np.linalg.inv(a), 10):.3f}")
    print(f"BM_LinearSystem/{n} {best(lambda: np.linalg.solve(a, b), 10):.3f}")
for n in (100, 200, 500):
    p = pattern(n, 0.0)
    s = p + p.T
    print(f"BM_SymmetricEigen/{n} {best(lambda: np.linalg.eigh(s), 10):.3f}")
    print(f"BM_SymmetricEigenvalues/{n} {best(lambda: np.linalg.eigvalsh(s), 10):.3f}")
c = pattern(100, 0.0)
print(f"BM_Eigenvalues100 {best(lambda: np.linalg.eigvals(c), 20):.3f}")
