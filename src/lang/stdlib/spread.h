#pragma once
// The spread of a set of values about its mean, in two passes. The one-pass form (mean of the
// squares minus the square of the mean) subtracts two nearly equal large numbers once the
// values sit far from 0 compared with their spread: 1e+9 + 1 .. 1e+9 + 4 leave nothing of
// their spread in it. Here the mean comes first, taken about the first value (so a constant
// set has its value as the mean exactly and no spread at all), then the squares of the
// deviations from it, less the square of their rounding-error sum (the corrected two-pass
// form).

#include <cmath>

namespace pravella::numerics {

struct Spread {
  double mean = 0;
  double squares = 0;  // the sum of the squared deviations from the mean
};

// The spread of the n values at(0) .. at(n - 1), n >= 1.
template <typename At>
Spread spreadOf(long long n, At at) {
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
  return {mean, std::isnan(squares) || squares > 0 ? squares : 0.0};
}

// Counts, means and centred sums of squares and products of pairs (a, b), built group by
// group: merging two groups adds the spread between their means to their own (Chan, Golub and
// LeVeque), so no sum of raw squares is ever formed.
struct CoMoments {
  double n = 0, meanA = 0, meanB = 0, aa = 0, bb = 0, ab = 0;

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

// The co-moments of the n pairs (a(i), b(i)), n >= 1, in two passes as spreadOf.
template <typename A, typename B>
CoMoments coMomentsOf(long long n, A a, B b) {
  const Spread sa = spreadOf(n, a), sb = spreadOf(n, b);
  double ab = 0, da = 0, db = 0;
  for (long long i = 0; i < n; ++i) {
    const double x = a(i) - sa.mean, y = b(i) - sb.mean;
    ab += x * y;
    da += x;
    db += y;
  }
  const double count = static_cast<double>(n);
  return {count, sa.mean, sb.mean, sa.squares, sb.squares, ab - da * db / count};
}

}  // namespace pravella::numerics
