#include "lang/stdlib/fft_mixed.h"

#include <immintrin.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

namespace pravella::fft {

bool isSmooth(std::size_t n) {
  if (n == 0) return false;
  for (std::size_t f : {2, 3, 5})
    while (n % f == 0) n /= f;
  return n == 1;
}

namespace {

// The radices of the passes for n: the factors 2 as radix 8 (and the rest as one or two of
// radix 4, or one of 2), then 3 and 5; the fewest passes over the memory, and a first radix of
// 8 or 4 wherever n has a factor 4, so that every later pass runs four q at a time.
int radicesOf(std::size_t n, int* radix) {
  int passes = 0;
  std::size_t rest = n;
  int twos = 0;
  for (; rest % 2 == 0; rest /= 2) ++twos;
  int eights = twos / 3, fours = 0;
  if (twos % 3 == 2) fours = 1;
  if (twos % 3 == 1 && eights > 0) {
    --eights;
    fours = 2;
  }
  for (; eights > 0; --eights) radix[passes++] = 8;
  for (; fours > 0; --fours) radix[passes++] = 4;
  if (twos % 3 == 1 && twos < 3) radix[passes++] = 2;
  for (int r : {3, 5})
    while (rest % static_cast<std::size_t>(r) == 0) {
      radix[passes++] = r;
      rest /= static_cast<std::size_t>(r);
    }
  return passes;
}

}  // namespace

double mixedRadixCost(std::size_t n) {
  int radix[64];
  const int passes = radicesOf(n, radix);
  // Nanoseconds a value of each pass, measured on lengths that stay in the cache; a pass of 3 or
  // 5 over fewer than 16 q runs its vectors only once or twice for each root and costs more.
  double perValue = 0.5;  // the chirp-z products and the filled zeros
  std::size_t s = 1;
  for (int i = 0; i < passes; ++i) {
    const int R = radix[i];
    perValue += R == 8 ? 0.45 : R == 4 ? 0.3 : R == 5 ? 0.35 : R == 3 ? 0.27 : 0.25;
    if (i > 0 && (R == 3 || R == 5) && s < 16) perValue += 1.2;
    if (i > 0 && s % 4 != 0) perValue += 1.0;  // one value at a time
    s *= static_cast<std::size_t>(R);
  }
  return perValue * static_cast<double>(n);
}

std::shared_ptr<MixedRadixPlan> makeMixedRadixPlan(std::size_t n) {
  auto plan = std::make_shared<MixedRadixPlan>();
  plan->n = n;
  plan->passes = radicesOf(n, plan->radix);
  plan->firstVector = plan->passes > 1 && (n / static_cast<std::size_t>(plan->radix[0])) % 4 == 0;
  std::size_t total = 0, L = n;
  for (int i = 0; i < plan->passes; ++i) {
    plan->offset[i] = total;
    total +=
        2 * static_cast<std::size_t>(plan->radix[i] - 1) * (L / static_cast<std::size_t>(plan->radix[i]));
    L /= static_cast<std::size_t>(plan->radix[i]);
  }
  plan->tw.assign(total, 0.0, 16);
  // Every root is w_n^k with k reduced mod n and taken from the nearer of the axes, so that
  // each is as accurate as one cos or sin.
  auto root = [n](std::size_t k, double& re, double& im) {
    k %= n;
    const double a = -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
    if (2 * k > n) {
      const double b = 2.0 * std::numbers::pi * static_cast<double>(n - k) / static_cast<double>(n);
      re = std::cos(b);
      im = std::sin(b);
      return;
    }
    re = std::cos(a);
    im = std::sin(a);
  };
  L = n;
  for (int i = 0; i < plan->passes; ++i) {
    const std::size_t R = static_cast<std::size_t>(plan->radix[i]), m = L / R, stride = n / L;
    double* t = plan->tw.data() + plan->offset[i];
    for (std::size_t p = 0; p < m; ++p)
      for (std::size_t j = 1; j < R; ++j) {
        double* re = t + 2 * (p * (R - 1) + j - 1);
        double* im = re + 1;
        if (i == 0 && plan->firstVector) {
          re = t + (p / 4) * 8 * (R - 1) + 8 * (j - 1) + p % 4;
          im = re + 4;
        }
        root(p * j * stride, *re, *im);
      }
    L /= R;
  }
  return plan;
}

// Four-lane values pass between always-inlined functions only, so the calling convention of
// wide vectors without AVX never comes into play.
#pragma GCC diagnostic ignored "-Wpsabi"
namespace mixed_portable {
#define PV_MIXED_FMA 0
#include "lang/stdlib/fft_mixed_passes.inc"
#undef PV_MIXED_FMA
}  // namespace mixed_portable

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
namespace mixed_avx2 {
#define PV_MIXED_FMA 1
#include "lang/stdlib/fft_mixed_passes.inc"
#undef PV_MIXED_FMA
}  // namespace mixed_avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

void runMixedRadix(const MixedRadixPlan& plan, double* re, double* im, double* work, bool vector) {
  if (vector)
    mixed_avx2::runPasses(plan, mixed_avx2::SplitIO{re, im}, mixed_avx2::SplitIO{re, im}, work);
  else
    mixed_portable::runPasses(plan, mixed_portable::SplitIO{re, im}, mixed_portable::SplitIO{re, im}, work);
}

namespace {

template <bool Swap>
void interleavedPasses(const MixedRadixPlan& plan, double* x, double* work, bool vector) {
  if (vector)
    mixed_avx2::runPasses(plan, mixed_avx2::InterleavedIO<Swap>{x}, mixed_avx2::InterleavedIO<Swap>{x}, work);
  else
    mixed_portable::runPasses(plan, mixed_portable::InterleavedIO<Swap>{x}, mixed_portable::InterleavedIO<Swap>{x},
                              work);
}

}  // namespace

void runMixedRadixInterleaved(const MixedRadixPlan& plan, double* x, bool inverse, double* work, bool vector) {
  if (inverse)
    interleavedPasses<true>(plan, x, work, vector);
  else
    interleavedPasses<false>(plan, x, work, vector);
}

}  // namespace pravella::fft
