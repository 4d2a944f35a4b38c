"""The reference timings of bench/linear_algebra_octave.sh through NumPy, for machines without
Octave: the same matrices, one line "name milliseconds clock-milliseconds" each (the medians of REPS calls in
processor time and in clock time, after one call that is not timed), and a first line "# numpy VERSION BLAS" naming the library that
did the work. Run it with OPENBLAS_NUM_THREADS=1 (the shell script sets it) so that LAPACK uses
one thread. Arguments: REPS (default 7) and a regular expression the names must match."""
import os
import re
import sys
import time

import numpy as np


def pattern(n, diagonal):
    i, j = np.meshgrid(np.arange(1, n + 1), np.arange(1, n + 1), indexing="ij")
    return ((i * 37 + j * 91) % 101) / 101.0 - 0.5 + diagonal * np.eye(n)


reps = int(sys.argv[1]) if len(sys.argv) > 1 else 7
only = re.compile(sys.argv[2] if len(sys.argv) > 2 else "")


def median_ms(name, f):
    if not only.search(name):
        return
    f()
    times, clock = [], []
    for _ in range(reps):
        start, start_clock = time.process_time(), time.perf_counter()
        f()
        times.append(time.process_time() - start)
        clock.append(time.perf_counter() - start_clock)
    times.sort()
    clock.sort()
    print(f"{name} {1000 * times[len(times) // 2]:.3f} {1000 * clock[len(clock) // 2]:.3f}")


def blas_library():
    # The library the dynamic linker picked (Debian switches it with update-alternatives).
    with open("/proc/self/maps") as maps:
        names = {os.path.basename(line.split()[-1]) for line in maps if "blas" in line}
    found = "+".join(sorted(names)) or "unknown BLAS"
    # OpenBLAS picks its kernels by processor (or OPENBLAS_CORETYPE): name the ones it runs.
    import ctypes

    for path in sorted({line.split()[-1] for line in open("/proc/self/maps") if "blas" in line}):
        try:
            lib = ctypes.CDLL(path)
            lib.openblas_get_corename.restype = ctypes.c_char_p
            return f"{found} ({lib.openblas_get_corename().decode()} kernels)"
        except (OSError, AttributeError):
            pass
    return found


m = pattern(1000, 0.0)
p1 = pattern(1000, 1.0)
print(f"# numpy {np.__version__} {blas_library()}")
median_ms("BM_MatrixProduct/1000", lambda: m @ p1)
median_ms("BM_MatrixProductOneThread/1000", lambda: m @ p1)
for n in (500, 1000):
    a = pattern(n, 10.0)
    b = np.sin(np.arange(1, n + 1))
    median_ms(f"BM_Inverse/{n}", lambda: np.linalg.inv(a))
    median_ms(f"BM_LinearSystem/{n}", lambda: np.linalg.solve(a, b))
for n in (100, 200, 500):
    p = pattern(n, 0.0)
    s = p + p.T
    median_ms(f"BM_SymmetricEigen/{n}", lambda: np.linalg.eigh(s))
    median_ms(f"BM_SymmetricEigenvalues/{n}", lambda: np.linalg.eigvalsh(s))
c = pattern(100, 0.0)
median_ms("BM_Eigenvalues100", lambda: np.linalg.eigvals(c))
