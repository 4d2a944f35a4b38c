// The products are blocked as the optimised BLAS products are: a slice of Kc rows of b is
// packed into panels of Nr columns (one panel stays in the first-level cache while it is
// used), a block of Mc rows of a into slivers of Mr rows (the block stays in the second-level
// cache), and an Mr by Nr tile of the result is kept in registers while the slice runs. A tile
// carries on from the partial sums the slice before it left in c, so the order of each
// element's terms is that of k.
//
// This file is compiled with -ffp-contract=off: the exact product must never have its
// multiplications and additions fused by the compiler; the subtracting kernels ask for fused
// multiply-adds by name.

#include "lang/block_product.h"

#include <immintrin.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <time.h>

#include "lang/run_state.h"

namespace {

std::size_t at(int i, int j, int ld) { return static_cast<std::size_t>(i) * ld + j; }

// A kernel works on one full tile: c (Mr x Nr, leading dimension ldc) +=, or -=, the packed
// sliver (depth columns of Mr doubles) times the packed panel (depth rows of Nr doubles).
using Kernel = void (*)(const double* ap, const double* bp, int depth, double* c, int ldc);

// Packs b[k0..k0+depth) x [j0..j0+Nr) into dst (row by row, Nr doubles each), zero-padding
// columns past n so that the kernel never reads outside b.
template <int Nr>
void packPanel(const double* b, int ldb, int n, int k0, int depth, int j0, double* dst) {
  const int width = std::min(Nr, n - j0);
  for (int m = k0; m < k0 + depth; ++m) {
    const double* src = b + at(m, j0, ldb);
    if (width == Nr) {
      std::memcpy(dst, src, sizeof(double) * Nr);
    } else {
      int j = 0;
      for (; j < width; ++j) dst[j] = src[j];
      for (; j < Nr; ++j) dst[j] = 0.0;
    }
    dst += Nr;
  }
}

// Packs rows [i0..i0+Mr) of a, columns [k0..k0+depth), column by column (Mr doubles each),
// zero-padding rows past r.
template <int Mr>
void packSliver(const double* a, int lda, int r, int i0, int k0, int depth, double* dst) {
  const int rows = std::min(Mr, r - i0);
  for (int rr = 0; rr < Mr; ++rr) {
    if (rr < rows) {
      const double* src = a + at(i0 + rr, k0, lda);
      for (int m = 0; m < depth; ++m) dst[m * Mr + rr] = src[m];
    } else {
      for (int m = 0; m < depth; ++m) dst[m * Mr + rr] = 0.0;
    }
  }
}

// Packing space kept by each thread and reused: fresh memory costs a page fault per 4 KiB on
// its first touch, which for a product of order 200 can take longer than the arithmetic. The
// blocks of columns (Nc) bound it to a few MiB whatever the size of the product.
class PackSpace {
 public:
  double* get(std::size_t count) {
    if (count > capacity_) {
      data_.reset(static_cast<double*>(::operator new[](sizeof(double) * count, std::align_val_t{64})));
      capacity_ = count;
    }
    return data_.get();
  }

 private:
  struct Free {
    void operator()(double* p) const { ::operator delete[](p, std::align_val_t{64}); }
  };
  std::unique_ptr<double[], Free> data_;
  std::size_t capacity_ = 0;
};

thread_local PackSpace packSpaceA, packSpaceB;

// The driver, for kernels of Mr x Nr tiles with slices Kc deep, blocks of Mc rows and of Nc
// columns. Within a block of columns the slices run in order of k, so each element still gets
// its terms in that order.
template <int Mr, int Nr, int Kc, int Mc, int Nc>
bool blocked(Kernel kernel, const double* a, int lda, const double* b, int ldb, double* c, int ldc, int r,
             int k, int n) {
  static_assert(Mc % Mr == 0 && Nc % Nr == 0, "blocks hold whole slivers and panels");
  if (r <= 0 || n <= 0 || k <= 0) return true;
  // Sized for what this product needs (left uninitialised: every element is packed before
  // it is read), so that a small product does not claim a large block.
  const int maxDepth = std::min(Kc, k);
  const int maxRows = std::min(Mc, (r + Mr - 1) / Mr * Mr);
  const int maxPanels = (std::min(Nc, n) + Nr - 1) / Nr;
  double* const packedB = packSpaceB.get(static_cast<std::size_t>(maxPanels) * maxDepth * Nr);
  double* const packedA = packSpaceA.get(static_cast<std::size_t>(maxRows) * maxDepth);
  alignas(64) double edge[Mr * Nr];
  for (int jb = 0; jb < n; jb += Nc) {
    const int panels = (std::min(Nc, n - jb) + Nr - 1) / Nr;
    for (int k0 = 0; k0 < k; k0 += Kc) {
      const int depth = std::min(Kc, k - k0);
      const std::size_t panelSize = static_cast<std::size_t>(depth) * Nr;
      for (int p = 0; p < panels; ++p)
        packPanel<Nr>(b, ldb, n, k0, depth, jb + p * Nr, packedB + p * panelSize);
      for (int i0 = 0; i0 < r; i0 += Mc) {
        // A block is a few milliseconds of work, the product of large matrices minutes.
        if (vkBreakHeld()) return false;
        const int blockRows = std::min(Mc, r - i0);
        const int slivers = (blockRows + Mr - 1) / Mr;
        const std::size_t sliverSize = static_cast<std::size_t>(depth) * Mr;
        for (int s = 0; s < slivers; ++s)
          packSliver<Mr>(a, lda, r, i0 + s * Mr, k0, depth, packedA + s * sliverSize);
        for (int p = 0; p < panels; ++p) {
          const double* panel = packedB + p * panelSize;
          const int j0 = jb + p * Nr;
          const int width = std::min(Nr, n - j0);
          for (int s = 0; s < slivers; ++s) {
            const int i = i0 + s * Mr;
            const int rows = std::min(Mr, r - i);
            double* tile = c + at(i, j0, ldc);
            const double* sliver = packedA + s * sliverSize;
            if (rows == Mr && width == Nr) {
              kernel(sliver, panel, depth, tile, ldc);
              continue;
            }
            // A tile at the edge runs in a full-size copy; the padding's sums are dropped.
            std::fill(edge, edge + Mr * Nr, 0.0);
            for (int rr = 0; rr < rows; ++rr)
              std::copy(tile + at(rr, 0, ldc), tile + at(rr, width, ldc), edge + rr * Nr);
            kernel(sliver, panel, depth, edge, Nr);
            for (int rr = 0; rr < rows; ++rr)
              std::copy(edge + rr * Nr, edge + rr * Nr + width, tile + at(rr, 0, ldc));
          }
        }
      }
    }
  }
  return true;
}

// Portable kernels, 6 x 8.
template <bool Subtract>
void kernelPortable(const double* ap, const double* bp, int depth, double* c, int ldc) {
  constexpr int Mr = 6, Nr = 8;
  double acc[Mr * Nr];
  for (int rr = 0; rr < Mr; ++rr)
    for (int j = 0; j < Nr; ++j) acc[rr * Nr + j] = c[at(rr, j, ldc)];
  for (int m = 0; m < depth; ++m) {
    const double* b = bp + m * Nr;
    const double* x = ap + m * Mr;
    for (int rr = 0; rr < Mr; ++rr)
      for (int j = 0; j < Nr; ++j) {
        if (Subtract)
          acc[rr * Nr + j] -= x[rr] * b[j];
        else
          acc[rr * Nr + j] += x[rr] * b[j];
      }
  }
  for (int rr = 0; rr < Mr; ++rr)
    for (int j = 0; j < Nr; ++j) c[at(rr, j, ldc)] = acc[rr * Nr + j];
}

// AVX2 kernels, 6 x 8: twelve accumulators of four doubles, two for the panel's row and one
// for the broadcast element leave one of the sixteen registers for the product.
template <bool Subtract>
__attribute__((target("avx2,fma"))) void kernelAvx2(const double* ap, const double* bp, int depth, double* c,
                                                    int ldc) {
  constexpr int Mr = 6;
  __m256d s[Mr][2];
#pragma GCC unroll 6
  for (int rr = 0; rr < Mr; ++rr) {
    s[rr][0] = _mm256_loadu_pd(c + at(rr, 0, ldc));
    s[rr][1] = _mm256_loadu_pd(c + at(rr, 4, ldc));
  }
  for (int m = 0; m < depth; ++m) {
    const __m256d b0 = _mm256_load_pd(bp), b1 = _mm256_load_pd(bp + 4);
#pragma GCC unroll 6
    for (int rr = 0; rr < Mr; ++rr) {
      const __m256d x = _mm256_broadcast_sd(ap + rr);
      if (Subtract) {
        s[rr][0] = _mm256_fnmadd_pd(x, b0, s[rr][0]);
        s[rr][1] = _mm256_fnmadd_pd(x, b1, s[rr][1]);
      } else {
        s[rr][0] = _mm256_add_pd(s[rr][0], _mm256_mul_pd(x, b0));
        s[rr][1] = _mm256_add_pd(s[rr][1], _mm256_mul_pd(x, b1));
      }
    }
    ap += Mr;
    bp += 8;
  }
#pragma GCC unroll 6
  for (int rr = 0; rr < Mr; ++rr) {
    _mm256_storeu_pd(c + at(rr, 0, ldc), s[rr][0]);
    _mm256_storeu_pd(c + at(rr, 4, ldc), s[rr][1]);
  }
}

// AVX-512 kernels, 8 x 16: sixteen accumulators of eight doubles in the 32 registers, the
// panel's row in two and the broadcast elements taken from memory by the multiplications.
template <bool Subtract>
__attribute__((target("avx512f,fma"))) void kernelAvx512(const double* ap, const double* bp, int depth,
                                                         double* c, int ldc) {
  constexpr int Mr = 8;
  __m512d s[Mr][2];
#pragma GCC unroll 8
  for (int rr = 0; rr < Mr; ++rr) {
    s[rr][0] = _mm512_loadu_pd(c + at(rr, 0, ldc));
    s[rr][1] = _mm512_loadu_pd(c + at(rr, 8, ldc));
  }
  for (int m = 0; m < depth; ++m) {
    const __m512d b0 = _mm512_load_pd(bp), b1 = _mm512_load_pd(bp + 8);
#pragma GCC unroll 8
    for (int rr = 0; rr < Mr; ++rr) {
      const __m512d x = _mm512_set1_pd(ap[rr]);
      if (Subtract) {
        s[rr][0] = _mm512_fnmadd_pd(x, b0, s[rr][0]);
        s[rr][1] = _mm512_fnmadd_pd(x, b1, s[rr][1]);
      } else {
        s[rr][0] = _mm512_add_pd(s[rr][0], _mm512_mul_pd(x, b0));
        s[rr][1] = _mm512_add_pd(s[rr][1], _mm512_mul_pd(x, b1));
      }
    }
    ap += Mr;
    bp += 16;
  }
#pragma GCC unroll 8
  for (int rr = 0; rr < Mr; ++rr) {
    _mm512_storeu_pd(c + at(rr, 0, ldc), s[rr][0]);
    _mm512_storeu_pd(c + at(rr, 8, ldc), s[rr][1]);
  }
}

SimdPath widestPath() {
  static const SimdPath widest = [] {
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("fma")) return SimdPath::Avx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return SimdPath::Avx2;
    return SimdPath::Portable;
  }();
  return widest;
}

// Set once the path was named (PRAVELLA_SIMD or a cap set by the program): the products then
// take exactly that path and nothing is measured.
std::atomic<bool> pathNamed{false};

std::atomic<int>& cap() {
  static std::atomic<int> value = [] {
    const char* v = std::getenv("PRAVELLA_SIMD");
    if (v && std::strcmp(v, "portable") == 0) {
      pathNamed.store(true);
      return static_cast<int>(SimdPath::Portable);
    }
    if (v && std::strcmp(v, "avx2") == 0) {
      pathNamed.store(true);
      return static_cast<int>(SimdPath::Avx2);
    }
    return static_cast<int>(SimdPath::Avx512);
  }();
  return value;
}

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Where AVX-512 runs its vectors as two halves (as on some processors that have it), the AVX2
// kernel is the quicker one; the instruction sets alone do not tell, so the exact product times
// both once, on a product that fits the caches as the blocks do, and keeps the quicker. Both
// give the same bits, so the choice changes only the time. The thread's processor time keeps
// waits for a core on a busy machine out of the comparison; the best of three turns each.
SimdPath measuredExactPath() {
  static const SimdPath measured = [] {
    constexpr int r = 128, k = 256, n = 128;
    std::vector<double> a(static_cast<std::size_t>(r) * k), b(static_cast<std::size_t>(k) * n),
        c(static_cast<std::size_t>(r) * n);
    for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<double>(i % 97) / 97.0 - 0.5;
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<double>(i % 89) / 89.0 - 0.5;
    double best[2] = {1e300, 1e300};
    for (int turn = 0; turn < 3; ++turn)
      for (int w = 0; w < 2; ++w) {
        std::fill(c.begin(), c.end(), 0.0);
        const double t0 = threadSeconds();
        if (w == 0)
          blocked<8, 16, 256, 192, 1024>(kernelAvx512<false>, a.data(), k, b.data(), n, c.data(), n, r, k, n);
        else
          blocked<6, 8, 256, 96, 1024>(kernelAvx2<false>, a.data(), k, b.data(), n, c.data(), n, r, k, n);
        best[w] = std::min(best[w], threadSeconds() - t0);
      }
    return best[1] < best[0] ? SimdPath::Avx2 : SimdPath::Avx512;
  }();
  return measured;
}

// The path of the exact product: the named one, or on a processor with AVX-512 the quicker of
// AVX-512 and AVX2 once a product is large enough for the time of measuring not to show.
SimdPath exactPath(int r, int k, int n) {
  const SimdPath allowed = blockProductPath();
  if (pathNamed.load(std::memory_order_relaxed) || allowed != SimdPath::Avx512) return allowed;
  if (static_cast<double>(r) * k * n < 1.0e8) return SimdPath::Avx512;
  return measuredExactPath();
}

template <bool Subtract>
bool product(const double* a, int lda, const double* b, int ldb, double* c, int ldc, int r, int k, int n) {
  // The subtracting products fuse their operations, so each path rounds its own way: they keep
  // the widest path, so that a factorisation gives the same bits in every run.
  switch (Subtract ? blockProductPath() : exactPath(r, k, n)) {
    case SimdPath::Avx512:
      return blocked<8, 16, 256, 192, 1024>(kernelAvx512<Subtract>, a, lda, b, ldb, c, ldc, r, k, n);
    case SimdPath::Avx2:
      return blocked<6, 8, 256, 96, 1024>(kernelAvx2<Subtract>, a, lda, b, ldb, c, ldc, r, k, n);
    case SimdPath::Portable:
      break;
  }
  return blocked<6, 8, 256, 96, 1024>(kernelPortable<Subtract>, a, lda, b, ldb, c, ldc, r, k, n);
}

}  // namespace

SimdPath blockProductPath() {
  return static_cast<SimdPath>(
      std::min(static_cast<int>(widestPath()), cap().load(std::memory_order_relaxed)));
}

void setBlockProductCap(SimdPath path) {
  pathNamed.store(true, std::memory_order_relaxed);
  cap().store(static_cast<int>(path), std::memory_order_relaxed);
}

SimdPath blockProductExactPath(int r, int k, int n) { return exactPath(r, k, n); }

bool blockProductAdd(const double* a, int lda, const double* b, int ldb, double* c, int ldc, int r, int k,
                     int n) {
  return product<false>(a, lda, b, ldb, c, ldc, r, k, n);
}

bool blockProductSubtract(const double* a, int lda, const double* b, int ldb, double* c, int ldc, int r,
                          int k, int n) {
  return product<true>(a, lda, b, ldb, c, ldc, r, k, n);
}
