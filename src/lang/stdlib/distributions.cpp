#include "lang/stdlib/distributions.h"

#include <cmath>
#include <utility>

#include "lang/stdlib/gamma.h"

namespace {

constexpr double kHalfLogTwoPi = 0.91893853320467274178;

// log gamma(x) minus Stirling's approximation (x - 1/2) log x - x + log(2 pi) / 2. From 15 on
// the asymptotic series (its next term is below 1e-13 there); below, the difference directly.
double stirlingRemainder(double x) {
  if (x >= 15) {
    const double r = 1 / x, r2 = r * r;
    return r * (1.0 / 12 - r2 * (1.0 / 360 - r2 * (1.0 / 1260 - r2 / 1680)));
  }
  return std::lgamma(x) - ((x - 0.5) * std::log(x) - x + kHalfLogTwoPi);
}

// log(x^a e^-x / gamma(a)), written about x = a so that the large terms cancel exactly.
double logGammaKernel(double a, double x) {
  if (a < 15) return a * std::log(x) - x - std::lgamma(a);
  const double d = (x - a) / a;
  return a * (std::log1p(d) - d) + 0.5 * std::log(a) - kHalfLogTwoPi - stirlingRemainder(a);
}

bool finiteNonZero(double v) { return std::isfinite(v) && v != 0.0; }

// x log(x / np) + np - x, the binomial's deviance from its mean np. Near the mean its two large
// parts cancel, so there it is summed as the series in v = (x - np) / (x + np) (Loader's
// saddle-point form), whose terms fall at least a hundredfold each.
double binomialDeviance(double x, double np) {
  if (std::fabs(x - np) < 0.1 * (x + np)) {
    double v = (x - np) / (x + np);
    double sum = (x - np) * v;
    double term = 2 * x * v;
    v *= v;
    for (int j = 1; j < 100; ++j) {
      term *= v;
      const double next = sum + term / (2 * j + 1);
      if (next == sum) break;
      sum = next;
    }
    return sum;
  }
  return x * std::log(x / np) + np - x;
}

// Stirling's remainder of a whole count n >= 1. The series above leaves out a term of 2e-14 at
// 15, and log-gamma in doubles is off by some 1e-15 there: both would show in a probability.
// Below 50 log-gamma in extended precision, from 50 on the series (its next term below 1e-18).
double countStirlingRemainder(double n) {
  if (n >= 50) return stirlingRemainder(n);
  const long double x = n;
  return static_cast<double>(std::lgamma(x) -
                             ((x - 0.5L) * std::log(x) - x + 0.918938533204672741780329736406L));
}

// The probability of x successes in n trials of success probability p (q = 1 - p, given apart
// so that it keeps its digits), from the deviances and Stirling remainders alone: no
// log-factorial of n is formed, so counts in the billions keep every digit.
double binomialProbability(double x, double n, double p, double q) {
  if (p == 0) return x == 0 ? 1 : 0;
  if (q == 0) return x == n ? 1 : 0;
  if (x < 0 || x > n) return 0;
  if (x == 0) {
    if (n == 0) return 1;
    return std::exp(p < 0.1 ? -binomialDeviance(n, n * q) - n * p : n * std::log(q));
  }
  if (x == n) return std::exp(q < 0.1 ? -binomialDeviance(n, n * p) - n * q : n * std::log(p));
  const double lc = countStirlingRemainder(n) - countStirlingRemainder(x) - countStirlingRemainder(n - x) -
                    binomialDeviance(x, n * p) - binomialDeviance(n - x, n * q);
  // log(2 pi x (n - x) / n), with n - x taken whole: as 1 - x / n it would lose its digits
  // when x is near n.
  const double lf = 2 * kHalfLogTwoPi + std::log(x * ((n - x) / n));
  return std::exp(lc - 0.5 * lf);
}

}  // namespace

double hypergeometricProbability(double x, double white, double black, double drawn) {
  const double total = white + black;
  if (drawn == 0) return x == 0 ? 1 : 0;
  if (drawn == total) return x == white ? 1 : 0;
  // C(white, x) C(black, drawn - x) / C(total, drawn) as three binomial probabilities of one
  // p, whose powers of p and q cancel in the quotient.
  const double p = drawn / total, q = (total - drawn) / total;
  return binomialProbability(x, white, p, q) * binomialProbability(drawn - x, black, p, q) /
         binomialProbability(drawn, total, p, q);
}

double logGamma(double x) {
  if (x < 15) return std::lgamma(x);
  return (x - 0.5) * std::log(x) - x + kHalfLogTwoPi + stirlingRemainder(x);
}

double logBeta(double a, double b) {
  if (a > b) std::swap(a, b);
  if (b < 15) return std::lgamma(a) + std::lgamma(b) - std::lgamma(a + b);
  const double s = a + b;
  // log gamma(b) - log gamma(a + b) by Stirling's series, the logs of b and s taken together.
  const double tail =
      -(b - 0.5) * std::log1p(a / b) - a * std::log(s) + a + stirlingRemainder(b) - stirlingRemainder(s);
  if (a < 15) return std::lgamma(a) + tail;
  // With log gamma(a) by Stirling too, the a log a and a log s terms meet as a log(a / s).
  return a * std::log(a / s) - 0.5 * std::log(a) + kHalfLogTwoPi + stirlingRemainder(a) -
         (b - 0.5) * std::log1p(a / b) + stirlingRemainder(b) - stirlingRemainder(s);
}

double regularizedGammaP(double a, double x) {
  if (std::isnan(a) || std::isnan(x)) return NAN;
  if (x <= 0) return 0.0;
  if (std::isinf(x)) return 1.0;
  const double kernel = logGammaKernel(a, x);
  constexpr int kMaxTerms = 10000000;
  if (x < a + 1) {
    // The series x^a e^-x / gamma(a) x sum of x^k / (a (a + 1) .. (a + k)).
    double term = 1 / a, sum = term;
    for (int k = 1; k < kMaxTerms; ++k) {
      term *= x / (a + k);
      sum += term;
      if (term < sum * 1e-17) break;
    }
    return std::exp(kernel) * sum;
  }
  // The continued fraction of the upper integral Q, by the modified Lentz method.
  constexpr double kTiny = 1e-300;
  double b = x + 1 - a, c = 1 / kTiny, d = 1 / b, h = d;
  for (int i = 1; i < kMaxTerms; ++i) {
    const double an = -i * (i - a);
    b += 2;
    d = an * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double step = d * c;
    h *= step;
    if (std::fabs(step - 1) < 1e-16) break;
  }
  return 1 - std::exp(kernel) * h;
}

void chiSquareDensity(const double* x, long long count, int n, double* out) {
  const double a = n / 2.0;
  double g = 0;
  SubGamma(a, &g);
  const double scale = std::pow(2.0, a) * g;
  for (long long i = 0; i < count; ++i) {
    const double v = x[i];
    if (v == 0.0 && n == 2) {
      out[i] = 0.5;
      continue;
    }
    // The density falls to 0 as x grows (e^-x/2 wins over any power of x); below 0 there is no
    // mass (the power of a negative x would be no number, or a negative density).
    if (v == HUGE_VAL || v < 0.0) {
      out[i] = 0;
      continue;
    }
    const double e = std::exp(-v / 2.0), p = std::pow(v, a - 1.0);
    // A factor or their product below the smallest normal double has lost digits (e^-725 is
    // 1e-315 with a third of them) even where the density has not: those go in logs.
    if (finiteNonZero(scale) && std::isnormal(e) && std::isnormal(p) && std::isnormal(e * p)) {
      out[i] = e * p / scale;
    } else if (v == 0.0) {
      out[i] = a < 1 ? HUGE_VAL : 0.0;
    } else {
      // (1/2) y^(a-1) e^-y / gamma(a) with y = v / 2, in logs.
      const double y = v / 2.0;
      out[i] = 0.5 * std::exp(logGammaKernel(a, y) - std::log(y));
    }
  }
}

void tDensity(const double* t, long long count, double nu, double* out) {
  if (nu == HUGE_VAL) {
    for (long long i = 0; i < count; ++i) out[i] = std::exp(-0.5 * t[i] * t[i]) / std::sqrt(2 * M_PI);
    return;
  }
  // log(1 + t^2 / nu): past 1e+154 (or with few degrees of freedom, sooner) t^2 / nu passes the
  // largest double while the density (t^-(nu + 1) at most) need not fall to 0.
  auto logTail = [nu](double v) {
    const double q = v * v / nu;
    return std::isfinite(q) ? std::log1p(q) : 2 * std::log(std::fabs(v)) - std::log(nu);
  };
  double g1 = 0, g2 = 0;
  SubGamma(nu * 0.5, &g1);
  SubGamma((nu + 1) * 0.5, &g2);
  if (finiteNonZero(g1) && finiteNonZero(g2)) {
    const double scale = g2 / (std::sqrt(nu * M_PI) * g1);
    for (long long i = 0; i < count; ++i) {
      const double q = t[i] * t[i] / nu;
      out[i] = std::isfinite(q) || std::isinf(t[i])
                   ? std::pow(1 + q, (nu + 1) * -0.5) * scale
                   : std::exp(std::log(scale) - (nu + 1) * 0.5 * logTail(t[i]));
    }
    return;
  }
  // gamma((nu + 1) / 2) / gamma(nu / 2) by Stirling's series about a = nu / 2.
  const double a = nu * 0.5;
  const double logRatio =
      0.5 * std::log(a) + a * std::log1p(0.5 / a) - 0.5 + stirlingRemainder(a + 0.5) - stirlingRemainder(a);
  const double logScale = logRatio - 0.5 * std::log(nu * M_PI);
  for (long long i = 0; i < count; ++i) out[i] = std::exp(logScale - (nu + 1) * 0.5 * logTail(t[i]));
}
