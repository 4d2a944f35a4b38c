#include "lang/stdlib/fft_mixed.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <immintrin.h>

#include <utility>

namespace pravella::fft {

bool isSmooth(std::size_t n) {
  if (n == 0) return false;
  for (std::size_t f : {2, 3, 5})
    while (n % f == 0) n /= f;
  return n == 1;
}

std::size_t smoothAtLeast(std::size_t n) {
  while (!isSmooth(n)) ++n;  // smooth lengths lie within a few percent of each other
  return n;
}

std::shared_ptr<MixedRadixPlan> makeMixedRadixPlan(std::size_t n) {
  auto plan = std::make_shared<MixedRadixPlan>();
  plan->n = n;
  // The factors 2 as radix 8 (and the rest as one or two of radix 4, or one of 2), then 3 and 5:
  // the fewest passes over the memory.
  std::size_t rest = n;
  int twos = 0;
  for (; rest % 2 == 0; rest /= 2) ++twos;
  int eights = twos / 3, fours = 0;
  if (twos % 3 == 2) fours = 1;
  if (twos % 3 == 1 && eights > 0) {
    --eights;
    fours = 2;
  }
  for (; eights > 0; --eights) plan->radix[plan->passes++] = 8;
  for (; fours > 0; --fours) plan->radix[plan->passes++] = 4;
  if (twos % 3 == 1 && twos < 3) plan->radix[plan->passes++] = 2;
  for (int r : {3, 5})
    while (rest % static_cast<std::size_t>(r) == 0) {
      plan->radix[plan->passes++] = r;
      rest /= static_cast<std::size_t>(r);
    }
  plan->firstVector = plan->passes > 1 && (n / static_cast<std::size_t>(plan->radix[0])) % 4 == 0;
  std::size_t total = 0, L = n;
  for (int i = 0; i < plan->passes; ++i) {
    plan->offset[i] = total;
    total +=
        2 * static_cast<std::size_t>(plan->radix[i] - 1) * (L / static_cast<std::size_t>(plan->radix[i]));
    L /= static_cast<std::size_t>(plan->radix[i]);
  }
  plan->tw.resize(total);
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
