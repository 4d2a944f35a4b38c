#include "lang/stdlib/lu_blocked.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "lang/block_product.h"
#include "lang/run_state.h"

namespace {

// Columns per block: the panel factored at a time and the depth of the product updates.
constexpr int kBlock = 64;

std::size_t at(int i, int j, int ld) { return static_cast<std::size_t>(i) * ld + j; }

// row -= f x other over n elements. Like the loops below, it has copies for AVX-512 and AVX2
// (never fused into multiply-adds, so every copy rounds alike), picked when the program loads.
__attribute__((optimize("O3", "fp-contract=off"), target_clones("avx512f", "avx2", "default"))) void axpyRow(
    double* __restrict row, const double* __restrict other, double f, int n) {
  for (int j = 0; j < n; ++j) row[j] -= f * other[j];
}

// The sum of x[j] y[j] over n elements, in interleaved partial sums.
double dotPlain(const double* x, const double* y, int n) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  int j = 0;
  for (; j + 4 <= n; j += 4) {
    s0 += x[j] * y[j];
    s1 += x[j + 1] * y[j + 1];
    s2 += x[j + 2] * y[j + 2];
    s3 += x[j + 3] * y[j + 3];
  }
  for (; j < n; ++j) s0 += x[j] * y[j];
  return (s0 + s1) + (s2 + s3);
}

__attribute__((target("avx2,fma"))) double dotFma(const double* x, const double* y, int n) {
  __m256d s0 = _mm256_setzero_pd(), s1 = s0;
  int j = 0;
  for (; j + 8 <= n; j += 8) {
    s0 = _mm256_fmadd_pd(_mm256_loadu_pd(x + j), _mm256_loadu_pd(y + j), s0);
    s1 = _mm256_fmadd_pd(_mm256_loadu_pd(x + j + 4), _mm256_loadu_pd(y + j + 4), s1);
  }
  alignas(32) double lanes[4];
  _mm256_store_pd(lanes, _mm256_add_pd(s0, s1));
  double sum = (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
  for (; j < n; ++j) sum += x[j] * y[j];
  return sum;
}

// Four partial sums of eight lanes, the tail in masked lanes.
__attribute__((target("avx512f"))) double dotAvx512(const double* x, const double* y, int n) {
  __m512d s0 = _mm512_setzero_pd(), s1 = s0, s2 = s0, s3 = s0;
  int j = 0;
  for (; j + 32 <= n; j += 32) {
    s0 = _mm512_fmadd_pd(_mm512_loadu_pd(x + j), _mm512_loadu_pd(y + j), s0);
    s1 = _mm512_fmadd_pd(_mm512_loadu_pd(x + j + 8), _mm512_loadu_pd(y + j + 8), s1);
    s2 = _mm512_fmadd_pd(_mm512_loadu_pd(x + j + 16), _mm512_loadu_pd(y + j + 16), s2);
    s3 = _mm512_fmadd_pd(_mm512_loadu_pd(x + j + 24), _mm512_loadu_pd(y + j + 24), s3);
  }
  for (; j + 8 <= n; j += 8) s0 = _mm512_fmadd_pd(_mm512_loadu_pd(x + j), _mm512_loadu_pd(y + j), s0);
  if (j < n) {
    const __mmask8 tail = static_cast<__mmask8>((1u << (n - j)) - 1);
    s1 = _mm512_fmadd_pd(_mm512_maskz_loadu_pd(tail, x + j), _mm512_maskz_loadu_pd(tail, y + j), s1);
  }
  alignas(64) double lanes[8];
  _mm512_store_pd(lanes, _mm512_add_pd(_mm512_add_pd(s0, s1), _mm512_add_pd(s2, s3)));
  return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) + ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}

// On the block products' vector path, so that forcing a narrower one covers this too.
double dot(const double* x, const double* y, int n) {
  switch (blockProductPath()) {
    case SimdPath::Avx512:
      return dotAvx512(x, y, n);
    case SimdPath::Avx2:
      return dotFma(x, y, n);
    case SimdPath::Portable:
      break;
  }
  return dotPlain(x, y, n);
}

__attribute__((optimize("O3"), target_clones("avx512f", "avx2", "default"))) void scaleRow(double* row,
                                                                                           double f, int n) {
  for (int j = 0; j < n; ++j) row[j] *= f;
}

// Unblocked factorisation of columns j0 .. j1 - 1 (rows j0 .. n - 1), with the updates from
// the columns left of them already applied; row exchanges run across the whole matrix.
int factorColumns(double* a, int n, int lda, int j0, int j1, int* pivots, double threshold) {
  for (int k = j0; k < j1; ++k) {
    int pivotRow = -1;
    double largest = threshold;
    for (int i = k; i < n; ++i) {
      const double v = std::fabs(a[at(i, k, lda)]);
      if (v > largest) {
        largest = v;
        pivotRow = i;
      }
    }
    if (pivotRow < 0) return k;
    pivots[k] = pivotRow;
    if (pivotRow != k) std::swap_ranges(a + at(k, 0, lda), a + at(k, n, lda), a + at(pivotRow, 0, lda));
    const double* rowK = a + at(k, 0, lda);
    const double inverse = 1 / rowK[k];
    for (int i = k + 1; i < n; ++i) {
      double* row = a + at(i, 0, lda);
      row[k] *= inverse;
      if (row[k] != 0.0) axpyRow(row + k + 1, rowK + k + 1, row[k], j1 - k - 1);
    }
  }
  return -1;
}

constexpr int kLeaf = 16;  // columns factored, or rows solved, element by element

// Orders up to this take microseconds and need no break test: the small systems of the
// geometry code (3 x 3, 4 x 4), which may be solved off the language's thread, never wait on it.
constexpr int kQuickOrder = 32;

// B = L^-1 B for the unit lower triangle L of rows and columns r0 .. r1 - 1 of a and the rows
// r0 .. r1 - 1 of B (columns c0 .. c1 - 1 of the matrix b); halves recursively, so that most
// of the work is the product kernel. False when the held button stopped it.
bool solveUnitLower(const double* a, int lda, int r0, int r1, double* b, int ldb, int c0, int c1) {
  if (r1 - r0 <= kLeaf) {
    for (int i = r0 + 1; i < r1; ++i)
      for (int k = r0; k < i; ++k) {
        const double f = a[at(i, k, lda)];
        if (f != 0.0) axpyRow(b + at(i, c0, ldb), b + at(k, c0, ldb), f, c1 - c0);
      }
    return true;
  }
  const int mid = (r0 + r1) / 2;
  return solveUnitLower(a, lda, r0, mid, b, ldb, c0, c1) &&
         subtractProduct(a + at(mid, r0, lda), lda, b + at(r0, c0, ldb), ldb, b + at(mid, c0, ldb), ldb,
                         r1 - mid, mid - r0, c1 - c0) &&
         solveUnitLower(a, lda, mid, r1, b, ldb, c0, c1);
}

// The factorisation of columns j0 .. j1 - 1: the left half, its effect on the right half, then
// the right half.
int factorRecursive(double* a, int n, int lda, int j0, int j1, int* pivots, double threshold) {
  if (j1 - j0 <= kLeaf) {
    // A leaf is n x 16 elements of work; the whole, of a large matrix, minutes.
    if (n > kQuickOrder && vkBreakHeld()) return kLuBroken;
    return factorColumns(a, n, lda, j0, j1, pivots, threshold);
  }
  const int mid = (j0 + j1) / 2;
  const int failed = factorRecursive(a, n, lda, j0, mid, pivots, threshold);
  if (failed != -1) return failed;
  if (!solveUnitLower(a, lda, j0, mid, a, lda, mid, j1) ||
      !subtractProduct(a + at(mid, j0, lda), lda, a + at(j0, mid, lda), lda, a + at(mid, mid, lda), lda,
                       n - mid, mid - j0, j1 - mid))
    return kLuBroken;
  return factorRecursive(a, n, lda, mid, j1, pivots, threshold);
}

}  // namespace

bool subtractProduct(const double* a, int lda, const double* b, int ldb, double* c, int ldc, int rows,
                     int depth, int cols) {
  return blockProductSubtract(a, lda, b, ldb, c, ldc, rows, depth, cols);
}

int luFactor(double* a, int n, int lda, int* pivots, double threshold) {
  return factorRecursive(a, n, lda, 0, n, pivots, threshold);
}

bool luSolve(const double* lu, int n, int lda, const int* pivots, double* b, int m, int ldb) {
  for (int k = 0; k < n; ++k)
    if (pivots[k] != k) std::swap_ranges(b + at(k, 0, ldb), b + at(k, m, ldb), b + at(pivots[k], 0, ldb));
  if (m == 1 && ldb == 1) {
    // One right-hand side: substitution by rows of the factors, which lie along memory.
    for (int i = 1; i < n; ++i) b[i] -= dot(lu + at(i, 0, lda), b, i);
    for (int i = n - 1; i >= 0; --i)
      b[i] = (b[i] - dot(lu + at(i, i + 1, lda), b + i + 1, n - i - 1)) / lu[at(i, i, lda)];
    return true;
  }
  // L Y = P B.
  if (!solveUnitLower(lu, lda, 0, n, b, ldb, 0, m)) return false;
  // U X = Y, from the last block up.
  for (int r1 = n; r1 > 0; r1 -= kBlock) {
    if (n > kQuickOrder && vkBreakHeld()) return false;
    const int r0 = std::max(0, r1 - kBlock);
    for (int i = r1 - 1; i >= r0; --i) {
      double* row = b + at(i, 0, ldb);
      for (int k = i + 1; k < r1; ++k) {
        const double f = lu[at(i, k, lda)];
        if (f != 0.0) axpyRow(row, b + at(k, 0, ldb), f, m);
      }
      scaleRow(row, 1 / lu[at(i, i, lda)], m);
    }
    if (r0 > 0 && !subtractProduct(lu + at(0, r0, lda), lda, b + at(r0, 0, ldb), ldb, b, ldb, r0, r1 - r0, m))
      return false;
  }
  return true;
}
