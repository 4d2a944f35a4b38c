#include "imaging/volume_rows.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PRAVELLA_ROWS_X86 1
// The AVX2 copy needs GCC's target pragma; other compilers build the baseline only.
#if defined(__GNUC__) && !defined(__clang__)
#define PRAVELLA_ROWS_AVX2 1
#endif
#endif

namespace {

#if PRAVELLA_ROWS_AVX2
#pragma GCC push_options
#pragma GCC target("avx2")
namespace avx2 {
#define PRAVELLA_ROW_BYTES 32
#define PRAVELLA_ROW_SQRT(v) v = reinterpret_cast<Double>(_mm256_sqrt_pd(reinterpret_cast<__m256d>(v)))
#define PRAVELLA_ROW_SQRTF(v) v = reinterpret_cast<Float>(_mm256_sqrt_ps(reinterpret_cast<__m256>(v)))
#define PRAVELLA_ROW_ALL(mask) (_mm256_movemask_ps(reinterpret_cast<__m256>(mask)) == 0xff)
#define PRAVELLA_ROW_GATHER_PAIRS(base, index) \
  reinterpret_cast<HalfInt>(               \
      _mm_i32gather_epi32(reinterpret_cast<const int*>(base), reinterpret_cast<__m128i>(index), 2))
#include "imaging/volume_rows_inl.h"
#undef PRAVELLA_ROW_BYTES
#undef PRAVELLA_ROW_SQRT
#undef PRAVELLA_ROW_SQRTF
#undef PRAVELLA_ROW_ALL
#undef PRAVELLA_ROW_GATHER_PAIRS
}  // namespace avx2
#pragma GCC pop_options
#endif

namespace baseline {
#define PRAVELLA_ROW_BYTES 16
#define PRAVELLA_ROW_GATHER_PAIRS(base, index) gatherPairs(base, index)
#if PRAVELLA_ROWS_X86
#define PRAVELLA_ROW_SQRT(v) v = reinterpret_cast<Double>(_mm_sqrt_pd(reinterpret_cast<__m128d>(v)))
#define PRAVELLA_ROW_SQRTF(v) v = reinterpret_cast<Float>(_mm_sqrt_ps(reinterpret_cast<__m128>(v)))
#define PRAVELLA_ROW_ALL(mask) (_mm_movemask_ps(reinterpret_cast<__m128>(mask)) == 0xf)
#else
#define PRAVELLA_ROW_SQRT(v) \
  for (int lane = 0; lane < kDoubleLanes; ++lane) v[lane] = std::sqrt(v[lane])
#define PRAVELLA_ROW_SQRTF(v) \
  for (int lane = 0; lane < kLanes; ++lane) v[lane] = std::sqrt(v[lane])
#define PRAVELLA_ROW_ALL(mask) allLanes(mask)
#endif
#include "imaging/volume_rows_inl.h"
#undef PRAVELLA_ROW_BYTES
#undef PRAVELLA_ROW_SQRT
#undef PRAVELLA_ROW_SQRTF
#undef PRAVELLA_ROW_ALL
#undef PRAVELLA_ROW_GATHER_PAIRS
}  // namespace baseline

std::atomic<bool> baselineOnly{false};

#define PRAVELLA_ROW_TABLE(set)                                                                        \
  VolumeRowKernels {                                                                                   \
    set::sum3, set::sumAndDifference, set::add3, set::meanRow, set::laplaceRow, set::gradientRow, set::pairSums, \
        set::add3Double, set::correlationRow, set::trilinearRow                                        \
  }

const VolumeRowKernels kBaseline = PRAVELLA_ROW_TABLE(baseline);

}  // namespace

const VolumeRowKernels& vkRowKernels() {
  static const VolumeRowKernels& widest = []() -> const VolumeRowKernels& {
#if PRAVELLA_ROWS_AVX2
    static const VolumeRowKernels avx2Kernels = PRAVELLA_ROW_TABLE(avx2);
    if (__builtin_cpu_supports("avx2")) return avx2Kernels;
#endif
    return kBaseline;
  }();
  return baselineOnly.load(std::memory_order_relaxed) ? kBaseline : widest;
}

void vkUseBaselineRowKernelsForTests(bool baseline) { baselineOnly = baseline; }
