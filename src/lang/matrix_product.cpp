// The real matrix product of the "*" operator, blocked as the optimised BLAS products are: a
// slice of kKc rows of b is packed into panels of 8 columns (one panel stays in the first-level
// cache while it is used), a block of kMc rows of a into slivers of 6 rows (the block stays in
// the second-level cache), and a 6 by 8 tile of the result is kept in registers while the
// slice runs. Every element is still summed from 0 in order of k with a rounded product and a
// rounded sum per term (no fused multiply-add, no split of the sum: a tile carries on from the
// partial sums the slice before it left in c), so the result is the same to the last bit as the
// plain triple loop. On processors with AVX2 the micro-kernel uses its wider vectors;
// elsewhere the compiler's baseline ones.

#include <algorithm>
#include <cstddef>
#include <memory>

#include "lang/operators.h"

namespace {

constexpr int kMr = 6;    // result rows per micro-kernel
constexpr int kNr = 8;    // result columns per micro-kernel
constexpr int kKc = 256;  // depth of a slice: a packed panel of b is kKc x 8 doubles (16 KiB)
constexpr int kMc = 96;   // rows of a per packed block (kMc x kKc doubles, 192 KiB)

// Packs b[k0..k0+depth) x [j0..j0+8) into dst (row by row, 8 doubles each), zero-padding
// columns past n so that the kernel never reads outside b.
void packPanel(const double* b, int n, int k0, int depth, int j0, double* dst) {
  const int width = std::min(kNr, n - j0);
  for (int m = k0; m < k0 + depth; ++m) {
    const double* src = b + static_cast<std::size_t>(m) * n + j0;
    int j = 0;
    for (; j < width; ++j) dst[j] = src[j];
    for (; j < kNr; ++j) dst[j] = 0.0;
    dst += kNr;
  }
}

// Packs rows [i0..i0+6) of a, columns [k0..k0+depth), column by column (6 doubles each),
// zero-padding rows past r.
void packSliver(const double* a, int r, int k, int i0, int k0, int depth, double* dst) {
  const int rows = std::min(kMr, r - i0);
  for (int rr = 0; rr < kMr; ++rr) {
    if (rr < rows) {
      const double* src = a + static_cast<std::size_t>(i0 + rr) * k + k0;
      for (int m = 0; m < depth; ++m) dst[m * kMr + rr] = src[m];
    } else {
      for (int m = 0; m < depth; ++m) dst[m * kMr + rr] = 0.0;
    }
  }
}

// c (6 x 8, row stride ldc) += the packed sliver times the packed panel, term by term.
void kernelGeneric(const double* ap, const double* bp, int depth, double* c, int ldc) {
  double acc[kMr * kNr];
  for (int rr = 0; rr < kMr; ++rr)
    for (int j = 0; j < kNr; ++j) acc[rr * kNr + j] = c[static_cast<std::size_t>(rr) * ldc + j];
  for (int m = 0; m < depth; ++m) {
    const double* b = bp + m * kNr;
    const double* x = ap + m * kMr;
    for (int rr = 0; rr < kMr; ++rr)
      for (int j = 0; j < kNr; ++j) acc[rr * kNr + j] += x[rr] * b[j];
  }
  for (int rr = 0; rr < kMr; ++rr)
    for (int j = 0; j < kNr; ++j) c[static_cast<std::size_t>(rr) * ldc + j] = acc[rr * kNr + j];
}

typedef double v4d __attribute__((vector_size(32)));

__attribute__((target("avx2"))) inline v4d load4(const double* p) {
  v4d v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

__attribute__((target("avx2"))) inline void store4(double* p, v4d v) { __builtin_memcpy(p, &v, sizeof v); }

__attribute__((target("avx2"))) void kernelAvx(const double* ap, const double* bp, int depth, double* c,
                                               int ldc) {
  double* c0 = c;
  double* c1 = c0 + ldc;
  double* c2 = c1 + ldc;
  double* c3 = c2 + ldc;
  double* c4 = c3 + ldc;
  double* c5 = c4 + ldc;
  v4d s00 = load4(c0), s01 = load4(c0 + 4), s10 = load4(c1), s11 = load4(c1 + 4);
  v4d s20 = load4(c2), s21 = load4(c2 + 4), s30 = load4(c3), s31 = load4(c3 + 4);
  v4d s40 = load4(c4), s41 = load4(c4 + 4), s50 = load4(c5), s51 = load4(c5 + 4);
  for (int m = 0; m < depth; ++m) {
    const v4d b0 = load4(bp), b1 = load4(bp + 4);
    v4d x = {ap[0], ap[0], ap[0], ap[0]};
    s00 += x * b0;
    s01 += x * b1;
    x = v4d{ap[1], ap[1], ap[1], ap[1]};
    s10 += x * b0;
    s11 += x * b1;
    x = v4d{ap[2], ap[2], ap[2], ap[2]};
    s20 += x * b0;
    s21 += x * b1;
    x = v4d{ap[3], ap[3], ap[3], ap[3]};
    s30 += x * b0;
    s31 += x * b1;
    x = v4d{ap[4], ap[4], ap[4], ap[4]};
    s40 += x * b0;
    s41 += x * b1;
    x = v4d{ap[5], ap[5], ap[5], ap[5]};
    s50 += x * b0;
    s51 += x * b1;
    ap += kMr;
    bp += kNr;
  }
  store4(c0, s00), store4(c0 + 4, s01), store4(c1, s10), store4(c1 + 4, s11);
  store4(c2, s20), store4(c2 + 4, s21), store4(c3, s30), store4(c3 + 4, s31);
  store4(c4, s40), store4(c4 + 4, s41), store4(c5, s50), store4(c5 + 4, s51);
}

bool haveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}

}  // namespace

void vkMatrixProduct(const double* a, const double* b, double* c, int r, int k, int n) {
  std::fill(c, c + static_cast<std::size_t>(r) * n, 0.0);
  if (r <= 0 || n <= 0 || k <= 0) return;
  const auto kernel = haveAvx2() ? kernelAvx : kernelGeneric;
  const int panels = (n + kNr - 1) / kNr;
  // Sized for what this product needs (left uninitialised: every element is packed before
  // it is read), so that a small product does not pay for a large block.
  const int maxDepth = std::min(kKc, k);
  const int maxRows = std::min(kMc, (r + kMr - 1) / kMr * kMr);
  const std::unique_ptr<double[]> packedB(new double[static_cast<std::size_t>(panels) * maxDepth * kNr]);
  const std::unique_ptr<double[]> packedA(new double[static_cast<std::size_t>(maxRows) * maxDepth]);
  double edge[kMr * kNr];
  for (int k0 = 0; k0 < k; k0 += kKc) {
    const int depth = std::min(kKc, k - k0);
    const std::size_t panelSize = static_cast<std::size_t>(depth) * kNr;
    for (int p = 0; p < panels; ++p) packPanel(b, n, k0, depth, p * kNr, packedB.get() + p * panelSize);
    for (int i0 = 0; i0 < r; i0 += kMc) {
      const int blockRows = std::min(kMc, r - i0);
      const int slivers = (blockRows + kMr - 1) / kMr;
      const std::size_t sliverSize = static_cast<std::size_t>(depth) * kMr;
      for (int s = 0; s < slivers; ++s)
        packSliver(a, r, k, i0 + s * kMr, k0, depth, packedA.get() + s * sliverSize);
      for (int p = 0; p < panels; ++p) {
        const double* panel = packedB.get() + p * panelSize;
        const int j0 = p * kNr;
        const int width = std::min(kNr, n - j0);
        for (int s = 0; s < slivers; ++s) {
          const int i = i0 + s * kMr;
          const int rows = std::min(kMr, r - i);
          double* tile = c + static_cast<std::size_t>(i) * n + j0;
          const double* sliver = packedA.get() + s * sliverSize;
          if (rows == kMr && width == kNr) {
            kernel(sliver, panel, depth, tile, n);
            continue;
          }
          // A tile at the edge runs in a full-size copy; the padding's sums are dropped.
          std::fill(edge, edge + kMr * kNr, 0.0);
          for (int rr = 0; rr < rows; ++rr)
            std::copy(tile + static_cast<std::size_t>(rr) * n, tile + static_cast<std::size_t>(rr) * n + width,
                      edge + rr * kNr);
          kernel(sliver, panel, depth, edge, kNr);
          for (int rr = 0; rr < rows; ++rr)
            std::copy(edge + rr * kNr, edge + rr * kNr + width, tile + static_cast<std::size_t>(rr) * n);
        }
      }
    }
  }
}
