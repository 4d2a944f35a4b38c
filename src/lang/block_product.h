#pragma once
// Blocked matrix products on row-major matrices with leading dimensions (the distance between
// rows), shared by the "*" operator and the factorisations. Both pack blocks of the operands
// so that they stay in cache and keep a tile of the result in registers; the widest vectors
// the processor has (AVX-512, AVX2 with FMA) are picked at run time, with a portable form for
// the rest.

// Both products look at the break test between blocks of rows and return false, with c partly
// done, when the button has been held; the caller then reports the break.

// c (r x n) += a (r x k) b (k x n). Each element gets its terms in order of k, each a rounded
// product added with a rounded sum (no fused multiply-add, no split of the sum), so that with
// c zero at the start the result is the plain triple loop's to the last bit on every path.
[[nodiscard]] bool blockProductAdd(const double* a, int lda, const double* b, int ldb, double* c, int ldc,
                                   int r, int k, int n);

// c (r x n) -= a (r x k) b (k x n), with fused multiply-adds where the processor has them: the
// rounding differs between paths, as any order of the sum may.
[[nodiscard]] bool blockProductSubtract(const double* a, int lda, const double* b, int ldb, double* c,
                                        int ldc, int r, int k, int n);

// The vector paths, narrowest first.
enum class SimdPath { Portable = 0, Avx2 = 1, Avx512 = 2 };

// The path the products take: the widest the processor has, no wider than the cap. The cap
// starts from PRAVELLA_SIMD ("portable" or "avx2"; unset means no cap), so that the narrower
// paths can be timed on a machine that has the wider ones, and tests set it to check every
// path against the others.
SimdPath blockProductPath();
// Naming a cap also pins the exact product to it (no measuring): tests check each path so.
void setBlockProductCap(SimdPath cap);
// The path the exact product of r x k by k x n takes: the capped one when a path was named,
// else, where AVX-512 is there, whichever of AVX-512 and AVX2 a measurement made once (at the
// first large product) found quicker on this processor.
SimdPath blockProductExactPath(int r, int k, int n);
