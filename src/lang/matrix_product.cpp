// The real matrix product of the "*" operator. A panel of b (all k rows by 8 columns) is packed
// contiguously so that it streams from cache, and a 4 by 8 block of the result is accumulated
// in registers while k runs. Every element is still summed from 0 in order of k with a
// rounded product and a rounded sum per term (no fused multiply-add, no split of the sum), so
// the result is the same to the last bit as the plain triple loop. On processors with AVX2
// the micro-kernel uses its wider vectors; elsewhere the compiler's baseline ones.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "lang/operators.h"

namespace {

constexpr int kMr = 4;  // result rows per micro-kernel
constexpr int kNr = 8;  // result columns per micro-kernel

using Panel = std::vector<double>;

// Packs b[k0..k1) x [j0..j0+8) into dst (row by row, 8 doubles each), zero-padding columns
// past n so that the kernel never reads outside b.
void packPanel(const double* b, int n, int k0, int k1, int j0, double* dst) {
  const int width = std::min(kNr, n - j0);
  for (int m = k0; m < k1; ++m) {
    const double* src = b + static_cast<std::size_t>(m) * n + j0;
    int j = 0;
    for (; j < width; ++j) dst[j] = src[j];
    for (; j < kNr; ++j) dst[j] = 0.0;
    dst += kNr;
  }
}

template <int Rows>
inline void kernelGeneric(const double* a, int lda, const double* panel, int depth, double* acc) {
  for (int m = 0; m < depth; ++m) {
    const double* bp = panel + m * kNr;
    for (int r = 0; r < Rows; ++r) {
      const double x = a[static_cast<std::size_t>(r) * lda + m];
      for (int j = 0; j < kNr; ++j) acc[r * kNr + j] += x * bp[j];
    }
  }
}

typedef double v4d __attribute__((vector_size(32)));

__attribute__((target("avx2"))) void kernelAvx4(const double* a, int lda, const double* panel, int depth,
                                                double* acc) {
  v4d c00 = {0, 0, 0, 0}, c01 = c00, c10 = c00, c11 = c00, c20 = c00, c21 = c00, c30 = c00, c31 = c00;
  const double* a0 = a;
  const double* a1 = a + lda;
  const double* a2 = a + 2 * static_cast<std::size_t>(lda);
  const double* a3 = a + 3 * static_cast<std::size_t>(lda);
  for (int m = 0; m < depth; ++m) {
    v4d b0, b1;
    __builtin_memcpy(&b0, panel + m * kNr, sizeof b0);
    __builtin_memcpy(&b1, panel + m * kNr + 4, sizeof b1);
    const v4d x0 = {a0[m], a0[m], a0[m], a0[m]};
    const v4d x1 = {a1[m], a1[m], a1[m], a1[m]};
    const v4d x2 = {a2[m], a2[m], a2[m], a2[m]};
    const v4d x3 = {a3[m], a3[m], a3[m], a3[m]};
    c00 += x0 * b0;
    c01 += x0 * b1;
    c10 += x1 * b0;
    c11 += x1 * b1;
    c20 += x2 * b0;
    c21 += x2 * b1;
    c30 += x3 * b0;
    c31 += x3 * b1;
  }
  __builtin_memcpy(acc + 0, &c00, 32);
  __builtin_memcpy(acc + 4, &c01, 32);
  __builtin_memcpy(acc + 8, &c10, 32);
  __builtin_memcpy(acc + 12, &c11, 32);
  __builtin_memcpy(acc + 16, &c20, 32);
  __builtin_memcpy(acc + 20, &c21, 32);
  __builtin_memcpy(acc + 24, &c30, 32);
  __builtin_memcpy(acc + 28, &c31, 32);
}

bool haveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}

}  // namespace

void vkMatrixProduct(const double* a, const double* b, double* c, int r, int k, int n) {
  std::fill(c, c + static_cast<std::size_t>(r) * n, 0.0);
  if (r <= 0 || n <= 0 || k <= 0) return;
  const int panels = (n + kNr - 1) / kNr;
  const std::size_t panelSize = static_cast<std::size_t>(k) * kNr;
  Panel packed(static_cast<std::size_t>(panels) * panelSize);
  const bool avx = haveAvx2();
  double acc[kMr * kNr];
  {
    const int depth = k;
    for (int p = 0; p < panels; ++p) packPanel(b, n, 0, k, p * kNr, packed.data() + p * panelSize);
    for (int i = 0; i < r; i += kMr) {
      const int rows = std::min(kMr, r - i);
      const double* arow = a + static_cast<std::size_t>(i) * k;
      for (int p = 0; p < panels; ++p) {
        const double* panel = packed.data() + p * panelSize;
        std::fill(acc, acc + kMr * kNr, 0.0);
        if (rows == kMr && avx)
          kernelAvx4(arow, k, panel, depth, acc);
        else if (rows == kMr)
          kernelGeneric<kMr>(arow, k, panel, depth, acc);
        else if (rows == 3)
          kernelGeneric<3>(arow, k, panel, depth, acc);
        else if (rows == 2)
          kernelGeneric<2>(arow, k, panel, depth, acc);
        else
          kernelGeneric<1>(arow, k, panel, depth, acc);
        const int j0 = p * kNr;
        const int width = std::min(kNr, n - j0);
        for (int rr = 0; rr < rows; ++rr) {
          double* crow = c + static_cast<std::size_t>(i + rr) * n + j0;
          for (int j = 0; j < width; ++j) crow[j] += acc[rr * kNr + j];
        }
      }
    }
  }
}
