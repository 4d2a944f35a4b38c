#pragma once
// The self-sorting (Stockham) transform of lengths whose only prime factors are 2, 3 and 5, by
// vector passes of radix 8, 4, 2, 3 and 5 that read the caller's split arrays or interleaved
// pairs in the first pass and write them in the last. It serves the lengths that are not powers
// of two directly and the chirp-z convolution of the others, over a length of its choosing.

#include <cstddef>
#include <memory>

#include "lang/stdlib/fft_page_array.h"

namespace pravella::fft {

// True when n >= 1 has no prime factor above 5.
bool isSmooth(std::size_t n);

// An estimate of the time of the chirp-z convolution's transforms over n points (smooth), in
// nanoseconds; only its comparisons between lengths mean anything.
double mixedRadixCost(std::size_t n);

// The passes of one length and their forward roots: for each pass of radix R over a current
// length L, the (re, im) pairs of w^(p j), w = e^(-2 pi i / L), for p < L / R and 0 < j < R.
struct MixedRadixPlan {
  std::size_t n = 0;
  int passes = 0;
  int radix[64] = {};
  std::size_t offset[64] = {};
  // The first pass runs four p at a time (its length over its radix is a multiple of 4 and
  // another pass follows), its roots then as vectors: for each group of four p and each j, four
  // real parts and four imaginary ones.
  bool firstVector = false;
  PageArray tw;

  std::size_t bytes() const { return tw.size() * sizeof(double); }
};

// Null-free: throws std::bad_alloc when memory is short. n must satisfy isSmooth.
std::shared_ptr<MixedRadixPlan> makeMixedRadixPlan(std::size_t n);

// The doubles of work the passes take for n values: two pairs of split arrays, each array a few
// cache lines past the one before, so that no two of them sit at the same cache sets.
constexpr std::size_t kMixedApart = 24;
constexpr std::size_t mixedWorkDoubles(std::size_t n) { return 4 * n + 3 * kMixedApart; }

// The forward transform (e^(-2 pi i j k / n)) in place on split arrays, through
// mixedWorkDoubles(n) doubles of `work`; the inverse is the forward one with the two arrays exchanged. `vector` picks the
// AVX2 build of the passes.
void runMixedRadix(const MixedRadixPlan& plan, double* re, double* im, double* work, bool vector);

// The same in place on n interleaved (real, imaginary) pairs, forward or inverse.
void runMixedRadixInterleaved(const MixedRadixPlan& plan, double* x, bool inverse, double* work, bool vector);

}  // namespace pravella::fft
