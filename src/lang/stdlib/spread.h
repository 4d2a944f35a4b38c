#pragma once
// The spread of a set of values about its mean, in two passes. The one-pass form (mean of the
// squares minus the square of the mean) subtracts two nearly equal large numbers once the
// values sit far from 0 compared with their spread: 1e+9 + 1 .. 1e+9 + 4 leave nothing of
// their spread in it. Here the mean comes first, taken about the first value (so a constant
// set has its value as the mean exactly and no spread at all), then the squares of the
// deviations from it, less the square of their rounding-error sum (the corrected two-pass
// form).
// Values past about 1e+120 (or below 1e-120) would overflow (or underflow) in those squares, so
// they are first multiplied by a power of two that brings the largest of them near 1: exact,
// and the differences between them stay at least an ulp of that largest value, whose square
// is still a normal double. Values in between are taken as they are, bit for bit.

#include <algorithm>
#include <cmath>
#include <limits>

namespace pravella::numerics {

// The power of two to multiply values by when the largest magnitude among them is `largest`.
inline double spreadScale(double largest) {
  if (!(largest > 0) || largest == std::numeric_limits<double>::infinity()) return 1;
  int exponent = 0;
  std::frexp(largest, &exponent);
  if (exponent > -400 && exponent < 400) return 1;
  // Below the normal doubles 2^-exponent itself would overflow; 2^1000 brings them near enough.
  return std::ldexp(1.0, std::min(-exponent, 1000));
}

// spreadScale of the n values at(0) .. at(n - 1).
template <typename At>
double spreadScaleOf(long long n, At at) {
  double largest = 0;
  for (long long i = 0; i < n; ++i) {
    const double v = std::fabs(at(i));
    if (v > largest) largest = v;
  }
  return spreadScale(largest);
}

struct Spread {
  double mean = 0;
  double squares = 0;  // the sum of the squared deviations of the scaled values from their mean
  double scale = 1;    // what the values were multiplied by (see spreadScale)

  // sqrt(the sum of the squared deviations / divisor), in the values' own units.
  double deviation(double divisor) const { return std::sqrt(squares / divisor) / scale; }
};

// The spread of the n values at(0) .. at(n - 1), n >= 1, as they are (their squares in range).
template <typename At>
Spread unscaledSpreadOf(long long n, At at) {
  const double first = at(0);
  double offsets = 0;
  for (long long i = 1; i < n; ++i) offsets += at(i) - first;
  const double count = static_cast<double>(n);
  double mean = first + offsets / count;
  if (!std::isfinite(mean)) {
    // Values so far apart that their differences overflow: the plain sum is as good as any.
    double sum = 0;
    for (long long i = 0; i < n; ++i) sum += at(i);
    mean = sum / count;
  }
  double squares = 0, deviations = 0;
  for (long long i = 0; i < n; ++i) {
    const double d = at(i) - mean;
    squares += d * d;
    deviations += d;
  }
  squares -= deviations * deviations / count;
  return {mean, std::isnan(squares) || squares > 0 ? squares : 0.0, 1.0};
}

// The spread of the n values at(0) .. at(n - 1), n >= 1; the mean in the values' own units.
template <typename At>
Spread spreadOf(long long n, At at) {
  const double scale = spreadScaleOf(n, at);
  if (scale == 1) return unscaledSpreadOf(n, at);
  Spread s = unscaledSpreadOf(n, [&at, scale](long long i) { return at(i) * scale; });
  s.mean /= scale;
  s.scale = scale;
  return s;
}

// Counts, means and centred sums of squares and products of pairs (a, b), built group by
// group: merging two groups adds the spread between their means to their own (Chan, Golub and
// LeVeque), so no sum of raw squares is ever formed.
// The caller scales a and b (spreadScaleOf over all of them) and keeps the scales here; a merge
// takes groups of the same scales.
struct CoMoments {
  double n = 0, meanA = 0, meanB = 0, aa = 0, bb = 0, ab = 0;
  double scaleA = 1, scaleB = 1;

  // The correlation coefficient; 0 where either side has no spread.
  double correlation() const {
    if (!(aa > 0) || !(bb > 0)) return 0;
    const double r = ab / (std::sqrt(aa) * std::sqrt(bb));
    return r > 1 ? 1 : r < -1 ? -1 : r;
  }

  void merge(const CoMoments& g) {
    if (g.n == 0) return;
    if (n == 0) {
      *this = g;
      return;
    }
    const double total = n + g.n, da = g.meanA - meanA, db = g.meanB - meanB, weight = n * g.n / total;
    aa += g.aa + da * da * weight;
    bb += g.bb + db * db * weight;
    ab += g.ab + da * db * weight;
    meanA += da * (g.n / total);
    meanB += db * (g.n / total);
    n = total;
  }
};

// The co-moments of the n pairs (a(i), b(i)), n >= 1, in two passes as spreadOf, of the values
// as they are (scaled by the caller where needed).
template <typename A, typename B>
CoMoments coMomentsOf(long long n, A a, B b) {
  const Spread sa = unscaledSpreadOf(n, a), sb = unscaledSpreadOf(n, b);
  double ab = 0, da = 0, db = 0;
  for (long long i = 0; i < n; ++i) {
    const double x = a(i) - sa.mean, y = b(i) - sb.mean;
    ab += x * y;
    da += x;
    db += y;
  }
  const double count = static_cast<double>(n);
  return {count, sa.mean, sb.mean, sa.squares, sb.squares, ab - da * db / count, 1.0, 1.0};
}

}  // namespace pravella::numerics
