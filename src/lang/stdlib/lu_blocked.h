#pragma once
// LU factorisation with row pivoting and triangular solves, blocked so that almost all the work
// is one matrix-product kernel on blocks that stay in cache. Matrices are row-major with a
// leading dimension (the distance between rows).

// Factors the n x n matrix a in place into P A = L U (L unit lower, below the diagonal; U on
// and above it). Step k takes the row i >= k whose |a[i][k]| is largest and exceeds
// `threshold` (the first on ties) and exchanges rows k and i across the whole matrix;
// pivots[k] = i. Returns -1, or the first column k without such a pivot (a is then partly
// factored), or kLuBroken when the held button stopped it between blocks of columns.
inline constexpr int kLuBroken = -2;
int luFactor(double* a, int n, int lda, int* pivots, double threshold);

// Solves A X = B in place for the n x m right-hand sides B (leading dimension ldb), given the
// factors and pivots of luFactor. False when the held button stopped it (several right-hand
// sides only: one is quick).
bool luSolve(const double* lu, int n, int lda, const int* pivots, double* b, int m, int ldb);

// c -= a b for a (rows x depth), b (depth x cols), c (rows x cols), each with its own
// leading dimension. False when the held button stopped it.
[[nodiscard]] bool subtractProduct(const double* a, int lda, const double* b, int ldb, double* c, int ldc,
                                   int rows, int depth, int cols);
