#include "lang/stdlib/random_dist.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/distributions.h"
#include "lang/stdlib/gamma.h"
#include "lang/stdlib/linear_algebra.h"
#include "lang/values.h"

namespace {

constexpr int kWords = 521;  // degree of the trinomial
constexpr int kTap = 32;     // its middle term

uint32_t x[kWords];
int jrnd = kWords - 1;

// Next generation of the whole state: x[j] ^= x[j + 489] for the first 32 words, then
// x[j] ^= x[j - 32] in order, so later words use the new values.
void regenerate() {
  for (int j = 0; j < kTap; ++j) x[j] ^= x[j + kWords - kTap];
  for (int j = kTap; j < kWords; ++j) x[j] ^= x[j - kTap];
}

}  // namespace

void init_rnd(uint32_t seed) {
  uint32_t s = seed;
  for (int i = 0; i <= 16; ++i) {
    uint32_t word = 0;
    for (int bit = 0; bit < 32; ++bit) {
      s = s * 1566083941u + 1u;
      word = (word >> 1) | (s & 0x80000000u);
    }
    x[i] = word;
  }
  x[16] = (x[16] << 23) ^ (x[0] >> 9) ^ x[15];
  for (int i = 0; i <= 503; ++i) x[i + 17] = (x[i] << 23) ^ (x[i + 1] >> 9) ^ x[i + 16];
  for (int i = 0; i < 3; ++i) regenerate();
  jrnd = kWords - 1;
}

int M_Rand_Seed(uint32_t seed) {
  init_rnd(seed);
  return 1;
}

uint32_t irnd() {
  if (++jrnd >= kWords) {
    regenerate();
    jrnd = 0;
  }
  return x[jrnd];
}

double rnd() { return irnd() * 2.3283064365386963e-10; }

int M_Rand(int rows, int cols, double* out) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) out[i] = rnd();
  return 1;
}

int DoNormalRandom(const double* params, double* out) {
  const int rows = vkTruncToInt(params[0]);
  const int cols = vkTruncToInt(params[1]);
  const double sigma = params[2], mean = params[3];
  if (rows < 1 || cols < 1 || static_cast<long long>(rows) * cols > TNumber || !(sigma > 0)) {
    error_disp("Invalid size.");
    return 0;
  }
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) {
    const double u1 = rnd();
    out[i] = boxMuller(u1, rnd(), sigma, mean);
  }
  return 1;
}

double boxMuller(double u1, double u2, double sigma, double mean) {
  // A first draw of exactly 0 (one word in 2^32) would give log(0): it stands for the
  // smallest step of the generator instead, so that no value is infinite.
  if (u1 == 0.0) u1 = 2.3283064365386963e-10;
  return std::cos(6.283185307179586 * u2) * std::sqrt(-2 * std::log(u1)) * sigma + mean;
}

namespace {

bool finiteNonZero(double v) { return std::isfinite(v) && v != 0.0; }

// Finite, not 0, and with all its digits (not below the smallest normal double).
bool normal(double v) { return std::isnormal(v); }

}  // namespace

int DoBeta(double a, double b, double* out) {
  // B(a, b) falls like gamma(b) a^-b as a grows: to 0 when the other side is above 0.
  if ((a == HUGE_VAL && b > 0) || (b == HUGE_VAL && a > 0)) {
    *out = 0;
    return 1;
  }
  double ga = 0, gb = 0, gab = 0;
  SubGamma(a, &ga);
  SubGamma(b, &gb);
  SubGamma(a + b, &gab);
  *out = ga * gb / gab;
  // Past about 171 the gammas overflow (and their quotient is no number): in logs instead.
  if (a > 0 && b > 0 && !(finiteNonZero(ga) && finiteNonZero(gb) && finiteNonZero(gab) && normal(*out)))
    *out = std::exp(logBeta(a, b));
  return 1;
}

int DoFDist(double xv, double m, double n, double* out) {
  // Below one degree of freedom (or at none that is a finite number) there is no F
  // distribution to take a density of.
  if (!(std::isfinite(m) && std::isfinite(n) && m >= 1 && n >= 1)) {
    error_disp("Invalid arguments.");
    return 0;
  }
  // The distribution has no mass below 0, where the power of x would be no number, and its
  // density falls to 0 as x grows.
  if (xv < 0 || xv == HUGE_VAL) {
    *out = 0;
    return 1;
  }
  double beta = 0;
  DoBeta(m / 2, n / 2, &beta);
  const double ratio = m / n;
  const double p1 = ZoTpow(ratio, m / 2), p2 = ZoTpow(xv, m / 2 - 1),
               p3 = ZoTpow(1 + ratio * xv, -(m + n) / 2);
  const double p12 = p1 * p2, p123 = p12 * p3;
  *out = p123 / beta;
  if (!(m > 0 && n > 0 && xv >= 0) ||
      (normal(beta) && normal(p1) && normal(p2) && normal(p3) && normal(p12) && normal(p123) && normal(*out)))
    return 1;
  // Large degrees of freedom, or x far from 1: the powers, their products or the beta function
  // over- or underflow (or lose digits below the smallest normal double), the density need
  // not: 1e-4 at 100 and 1e+5 degrees is about 1.5e-174, through a product of 1e-346.
  if (xv == 0) {
    *out = m > 2 ? 0.0 : m == 2 ? 1.0 : HUGE_VAL;
    return 1;
  }
  *out = std::exp(m / 2 * std::log(ratio) + (m / 2 - 1) * std::log(xv) -
                  (m + n) / 2 * std::log1p(ratio * xv) - logBeta(m / 2, n / 2));
  return 1;
}

namespace {

// Past this many degrees of freedom the series below would take n / 2 steps an element; the
// expansion about the normal distribution is then exact to the last digits (its first left-out
// term is of order n^-3).
constexpr double kSeriesDegrees = 100000;

// P(T <= t) by the first two terms in 1/n of the expansion of Student's t about the normal.
double tByNormalExpansion(double n, double t) {
  const double t2 = t * t, t3 = t2 * t, t5 = t3 * t2, t7 = t5 * t2;
  const double density = std::exp(-0.5 * t2) / std::sqrt(2 * std::numbers::pi);
  const double first = (t3 + t) / (4 * n);
  const double second = (3 * t7 - 7 * t5 - 5 * t3 - 3 * t) / (96 * n * n);
  const double normal = 0.5 * std::erfc(-t / std::numbers::sqrt2);
  // Far out the density is 0 and the polynomial infinite: the normal integral alone is right.
  if (density == 0) return normal;
  return normal - density * (first + second);
}

}  // namespace

double p_t_distribution(double n, double t) {
  if (n > kSeriesDegrees) return tByNormalExpansion(n, t);
  const int degrees = static_cast<int>(n);
  const double c2 = degrees / (degrees + t * t);
  double s = std::sqrt(1 - c2);
  if (t < 0) s = -s;
  double p = 0.0;
  for (int i = (degrees % 2) + 2; i <= degrees; i += 2) {
    p += s;
    s *= (i - 1) * c2 / i;
  }
  if (degrees % 2 != 0) return 0.5 + (std::atan(t / std::sqrt(n)) + std::sqrt(c2) * p) / std::numbers::pi;
  return (1 + p) * 0.5;
}

double q_t_distribution(double n, double t) { return 1 - p_t_distribution(n, t); }

namespace {

// Each element costs up to kSeriesDegrees / 2 steps, so the loop tests the break.
int tIntegrals(const double* t, int rows, int cols, double n, bool upper, double* out) {
  if (!(n >= 1)) {
    error_disp("Invalid arguments.");
    return 0;
  }
  n = std::trunc(n);
  const long long count = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < count; ++i) {
    if (vkBreakHeld()) {
      error_disp(kVkBreakMessage);
      return 0;
    }
    const double p = p_t_distribution(n, t[i]);
    out[i] = upper ? 1 - p : p;
  }
  return 1;
}

}  // namespace

int DoIntTDistDown(const double* t, int rows, int cols, double n, double* out) {
  return tIntegrals(t, rows, cols, n, false, out);
}

int DoIntTDistUp(const double* t, int rows, int cols, double n, double* out) {
  return tIntegrals(t, rows, cols, n, true, out);
}

namespace {

// The fitted distribution's log density at the centred points; data and points are centred.
int multiNormalCentred(const std::vector<double>& data, int k, int d, const std::vector<double>& points,
                       int m, double* out) {
  std::vector<double> cov, inverse;
  std::vector<int> pivots;
  try {
    cov.assign(static_cast<std::size_t>(d) * d, 0.0);
    inverse.resize(static_cast<std::size_t>(d) * d);
    pivots.resize(d);
  } catch (const std::bad_alloc&) {
    error_disp("Can not allocate the memory.");
    return 0;
  }
  for (int i = 0; i < d; ++i)
    for (int j = 0; j < d; ++j) {
      double sum = 0.0;
      for (int r = 0; r < k; ++r)
        sum += data[static_cast<std::size_t>(r) * d + i] * data[static_cast<std::size_t>(r) * d + j];
      cov[static_cast<std::size_t>(i) * d + j] = sum / k;
    }
  double det = 0.0;
  if (!DoInv(cov.data(), pivots.data(), inverse.data(), d, d, &det)) return 0;
  const double norm = std::log(std::sqrt(det) * std::pow(2 * std::numbers::pi, d / 2.0));
  for (int p = 0; p < m; ++p) {
    const double* y = points.data() + static_cast<std::size_t>(p) * d;
    double quad = 0.0;
    for (int i = 0; i < d; ++i) {
      double row = 0.0;
      for (int j = 0; j < d; ++j) row += inverse[static_cast<std::size_t>(i) * d + j] * y[j];
      quad += y[i] * row;
    }
    out[p] = -0.5 * quad - norm;
  }
  return 1;
}

template <typename T>
bool centred(const T* data, int k, int d, const T* points, int m, std::vector<double>& dataOut,
             std::vector<double>& pointsOut) {
  try {
    dataOut.assign(data, data + static_cast<std::size_t>(k) * d);
    pointsOut.assign(points, points + static_cast<std::size_t>(m) * d);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int j = 0; j < d; ++j) {
    double mean = 0.0;
    for (int r = 0; r < k; ++r) mean += dataOut[static_cast<std::size_t>(r) * d + j];
    mean /= k;
    for (int r = 0; r < k; ++r) dataOut[static_cast<std::size_t>(r) * d + j] -= mean;
    for (int r = 0; r < m; ++r) pointsOut[static_cast<std::size_t>(r) * d + j] -= mean;
  }
  return true;
}

}  // namespace

int DoMultiNormalDistribution(double* data, int k, int d, double* points, int m, double* out) {
  std::vector<double> cd, cp;
  if (!centred(data, k, d, points, m, cd, cp)) {
    error_disp("Can not allocate the memory.");
    return 0;
  }
  std::copy(cd.begin(), cd.end(), data);
  std::copy(cp.begin(), cp.end(), points);
  return multiNormalCentred(cd, k, d, cp, m, out);
}

int DoMultiNormalDistribution_short(const int32_t* data, int k, int d, const int32_t* points, int m,
                                    double* out) {
  std::vector<double> cd, cp;
  if (!centred(data, k, d, points, m, cd, cp)) {
    error_disp("Can not allocate the memory.");
    return 0;
  }
  return multiNormalCentred(cd, k, d, cp, m, out);
}

double taisuKaijyou_keisan(int n) {
  double sum = 0.0;
  for (int i = 2; i <= n; ++i) sum += std::log(static_cast<double>(i));
  return sum;
}

int taisuKaijyou(const double* in, double* out, int rows, int cols) {
  const long long count = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < count; ++i) out[i] = taisuKaijyou_keisan(vkTruncToInt(in[i]));
  return 1;
}

int32_t greatestCommonDivisor(int32_t a, int32_t b) {
  // In 64 bits, so that the smallest int32 and -1 do not overflow the remainder.
  return static_cast<int32_t>(std::clamp<long long>(greatestCommonDivisor64(a, b), INT32_MIN, INT32_MAX));
}

long long greatestCommonDivisor64(long long a, long long b) {
  while (b != 0) {
    // The remainder of the smallest value by -1 overflows; it is 0.
    const long long r = b == -1 ? 0 : a % b;
    a = b;
    b = r;
  }
  return a;
}

int nGreatestCommonDivisor(const double* values, int rows, int cols, double* out) {
  const long long count = static_cast<long long>(rows) * cols;
  if (count < 1) {
    *out = 0;
    return 1;
  }
  // Every element is cut toward zero and taken whole in 64 bits: an element past that (or
  // not a number) has no integer to divide, so the matrix is refused before any is used.
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  for (long long i = 0; i < count; ++i)
    if (!(std::fabs(values[i]) < kLimit)) {
      error_disp("Invalid arguments.");
      return 0;
    }
  auto whole = [](double v) { return static_cast<long long>(std::fabs(v)); };
  long long g = whole(values[0]);
  for (long long i = 1; i < count && g != 1; ++i) g = greatestCommonDivisor64(whole(values[i]), g);
  // A divisor of a double's integer is itself a double exactly.
  *out = static_cast<double>(g);
  return 1;
}

int DoMach(const double* a, int rows, int cols, const double* b, int m, int cols2, double* out) {
  if (cols != cols2) {
    error_disp("Invalid data size.");
    return 0;
  }
  for (int r = 0; r < rows; ++r) {
    out[r] = 0;
    for (int s = 0; s < m; ++s) {
      bool equal = true;
      for (int c = 0; c < cols && equal; ++c)
        equal = vkTruncToInt(a[static_cast<std::size_t>(r) * cols + c]) ==
                vkTruncToInt(b[static_cast<std::size_t>(s) * cols + c]);
      if (equal) {
        out[r] = s;
        break;
      }
    }
  }
  return 1;
}

namespace {

// The probability of the table [a, b; c, d] among those with its margins: a of the first
// column's a + c drawn from the first row's a + b and the second row's c + d. Taken without
// log-factorials, whose sums of billions would lose the digits the probability lives in.
double fisherProbability(long long a, long long b, long long c, long long d) {
  return hypergeometricProbability(static_cast<double>(a), static_cast<double>(a + b),
                                   static_cast<double>(c + d), static_cast<double>(a + c));
}

}  // namespace

double fisherNonePara_keisan(long long a, long long b, long long c, long long d) {
  return fisherProbability(a, b, c, d);
}

int fisherNonePara(long long a, long long b, long long c, long long d, double* out, int* count) {
  *count = 0;
  // A count below 0 is no table (and would give "probabilities" past 1).
  if (a < 0 || b < 0 || c < 0 || d < 0) {
    error_disp("bad matrix");
    return 0;
  }
  // Each count below the limit, so their sum does not overflow; past it the margins would not
  // be doubles exactly.
  if (a >= kFisherCountLimit || b >= kFisherCountLimit || c >= kFisherCountLimit || d >= kFisherCountLimit ||
      a + b + c + d >= kFisherCountLimit) {
    error_disp("Too big data: the counts must add up to less than 2^53 (9007199254740992).");
    return 0;
  }
  const long long ab = a + b, ac = a + c;
  // Each table is one row of five values in a buffer of TNumber values.
  const long long maxRows = TNumber / 5;
  // Only the v that leave no cell negative give a table: from a - d (or 0) to the smaller
  // margin. Walking just those, and refusing too many before any work, keeps counts near the
  // int limit from taking billions of steps.
  const long long first = std::max(0LL, a - d), last = std::min(ab, ac);
  if (last - first + 1 > maxRows) {
    error_disp("Too big data.");
    return 0;
  }
  long long rows = 0;
  for (long long v = first; v <= last; ++v) {
    const long long b2 = ab - v, c2 = ac - v, d2 = d - a + v;
    if (b2 < 0 || c2 < 0 || d2 < 0) continue;
    double* row = out + rows * 5;
    row[0] = static_cast<double>(v);
    row[1] = static_cast<double>(b2);
    row[2] = static_cast<double>(c2);
    row[3] = static_cast<double>(d2);
    row[4] = fisherProbability(v, b2, c2, d2);
    ++rows;
  }
  *count = static_cast<int>(rows);
  return 1;
}
