#include "lang/stdlib/random_dist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "lang/lang_fixture.h"
#include "lang/run_state.h"
#include "lang/stdlib/gamma.h"

namespace {

class RandomDist : public LangTest {};

// The seeding rule written out plainly, as an independent reference: 17 words from the
// linear congruential sequence (top bits shifted in), the shift-register fill, three
// regenerations; the next draw regenerates again.
std::vector<uint32_t> referenceStream(uint32_t seed, int count) {
  std::vector<uint32_t> w(521);
  uint32_t s = seed;
  for (int i = 0; i < 17; ++i) {
    uint32_t u = 0;
    for (int b = 0; b < 32; ++b) {
      s = s * 1566083941u + 1u;
      u = (u >> 1) | (s >> 31 << 31);
    }
    w[i] = u;
  }
  w[16] = (w[16] << 23) ^ (w[0] >> 9) ^ w[15];
  for (int i = 17; i < 521; ++i) w[i] = (w[i - 17] << 23) ^ (w[i - 16] >> 9) ^ w[i - 1];
  auto regen = [&] {
    for (int j = 0; j < 521; ++j) w[j] ^= w[j < 32 ? j + 489 : j - 32];
  };
  for (int i = 0; i < 3; ++i) regen();
  std::vector<uint32_t> out;
  while (static_cast<int>(out.size()) < count) {
    regen();
    out.insert(out.end(), w.begin(), w.end());
  }
  out.resize(count);
  return out;
}

TEST_F(RandomDist, FirstWordsFollowTheSeedingRule) {
  for (uint32_t seed : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    M_Rand_Seed(seed);
    const auto expected = referenceStream(seed, 1200);
    for (int i = 0; i < 1200; ++i) ASSERT_EQ(irnd(), expected[i]) << seed << " draw " << i;
  }
}

TEST_F(RandomDist, StreamObeysTheTrinomialAcrossRegenerations) {
  M_Rand_Seed(4357);
  std::vector<uint32_t> y(3000);
  for (auto& v : y) v = irnd();
  for (int t = 521; t < 3000; ++t) ASSERT_EQ(y[t], y[t - 521] ^ y[t - 32]) << t;
  // The 521st draw after seeding continues without repeating the start.
  EXPECT_NE(y[521], y[0]);
}

TEST_F(RandomDist, ReseedingRepeatsUniformValues) {
  std::vector<double> a(700), b(700);
  M_Rand_Seed(77);
  ASSERT_EQ(M_Rand(7, 100, a.data()), 1);
  M_Rand_Seed(77);
  ASSERT_EQ(M_Rand(7, 100, b.data()), 1);
  EXPECT_EQ(a, b);
  M_Rand_Seed(77);
  const uint32_t first = irnd();
  EXPECT_EQ(a[0], first * 2.3283064365386963e-10);
  for (double v : a) {
    EXPECT_GE(v, 0.0);
    EXPECT_LT(v, 1.0);
  }
}

TEST_F(RandomDist, NormalRandomNumbers) {
  M_Rand_Seed(2024);
  const int n = 200000;
  std::vector<double> v(n);
  const double params[] = {400.9, 500, 2.0, -3.0};  // rows truncated to 400
  ASSERT_EQ(DoNormalRandom(params, v.data()), 1);
  double mean = 0, var = 0;
  for (double x : v) mean += x;
  mean /= n;
  for (double x : v) var += (x - mean) * (x - mean);
  var /= n;
  EXPECT_NEAR(mean, -3.0, 0.02);
  EXPECT_NEAR(std::sqrt(var), 2.0, 0.02);
  // The first value is the cosine half of the Box-Muller pair of the first two draws.
  M_Rand_Seed(2024);
  const double u1 = rnd(), u2 = rnd();
  EXPECT_DOUBLE_EQ(v[0], std::cos(2 * std::numbers::pi * u2) * std::sqrt(-2 * std::log(u1)) * 2.0 - 3.0);

  // A zero first word counts as the smallest step 2^-32 (sqrt(-2 log 2^-32) = 6.66044...), so
  // no value is infinite; other draws go through unchanged.
  const double step = std::ldexp(1.0, -32);
  const struct {
    double u1, u2, expected;
  } draws[] = {{0.0, 0.0, 6.6604368892615815},
               {0.0, 0.5, -6.6604368892615815},
               {step, 0.0, 6.6604368892615815},
               {0.5, 0.0, std::sqrt(2 * std::log(2.0))},
               {1 - step, 0.25, 0.0}};
  for (const auto& d : draws) {
    const double value = boxMuller(d.u1, d.u2, 1.0, 0.0);
    EXPECT_TRUE(std::isfinite(value)) << d.u1;
    EXPECT_NEAR(value, d.expected, 1e-12) << d.u1 << " " << d.u2;
  }

  const double bad[][4] = {{0, 5, 1, 0}, {5, -1, 1, 0}, {5, 5, 0, 0}, {1001, 1000, 1, 0}};
  for (const auto& p : bad) {
    ResultString.clear();
    EXPECT_EQ(DoNormalRandom(p, v.data()), 0);
    EXPECT_EQ(ResultString, "...<Error>...Invalid size.\n");
  }
}

TEST_F(RandomDist, StudentT) {
  for (int n : {1, 2, 3, 10}) EXPECT_DOUBLE_EQ(p_t_distribution(n, 0), 0.5) << n;
  EXPECT_NEAR(p_t_distribution(1, 1), 0.75, 1e-15);
  EXPECT_NEAR(p_t_distribution(2, 1), 0.5 + 0.5 / std::sqrt(3.0), 1e-15);
  // Against a numerical integral of the density for n = 5 and n = 6.
  for (int n : {5, 6}) {
    const double c = std::tgamma((n + 1) / 2.0) / (std::sqrt(n * std::numbers::pi) * std::tgamma(n / 2.0));
    const double t = 1.3;
    const int steps = 20000;
    double integral = 0;
    for (int i = 0; i < steps; ++i) {
      const double a = t * i / steps, b = t * (i + 1) / steps, m = (a + b) / 2;
      auto f = [&](double x) { return c * std::pow(1 + x * x / n, -(n + 1) / 2.0); };
      integral += (b - a) / 6 * (f(a) + 4 * f(m) + f(b));
    }
    EXPECT_NEAR(p_t_distribution(n, t), 0.5 + integral, 1e-12) << n;
    EXPECT_NEAR(p_t_distribution(n, -t), 0.5 - integral, 1e-12) << n;
  }
  const double t[] = {-1, 0, 1, 2.5};
  double down[4], up[4];
  ASSERT_EQ(DoIntTDistDown(t, 2, 2, 4, down), 1);
  ASSERT_EQ(DoIntTDistUp(t, 2, 2, 4, up), 1);
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(up[i], 1 - down[i]);
    EXPECT_DOUBLE_EQ(q_t_distribution(4, t[i]), up[i]);
  }
}

// Past the degrees of freedom where the series would take too long, the expansion about the
// normal distribution takes over without a visible seam, and tends to the normal integral.
TEST_F(RandomDist, StudentTWithManyDegreesOfFreedom) {
  for (double t : {-4.0, -1.0, 0.0, 0.5, 2.0, 6.0}) {
    const double series = p_t_distribution(100000, t), expansion = p_t_distribution(100001, t);
    EXPECT_NEAR(series, expansion, 5e-11) << t;  // one degree more moves it by about 1e-11
    const double normal = 0.5 * std::erfc(-t / std::sqrt(2.0));
    EXPECT_NEAR(p_t_distribution(2147483646, t), normal, 1e-9) << t;
    EXPECT_EQ(p_t_distribution(1e300, t), normal) << t;
  }
  // Against the exact series well inside its range, where the expansion still holds.
  for (int n : {20000, 50001}) {
    for (double t : {-2.5, 0.3, 1.7, 3.2}) {
      const double t2 = t * t, phi = std::exp(-t2 / 2) / std::sqrt(2 * std::numbers::pi);
      const double approx =
          0.5 * std::erfc(-t / std::sqrt(2.0)) -
          phi * ((t2 * t + t) / (4.0 * n) +
                 (3 * std::pow(t, 7) - 7 * std::pow(t, 5) - 5 * t2 * t - 3 * t) / (96.0 * n * n));
      EXPECT_NEAR(p_t_distribution(n, t), approx, 1e-10) << n << " " << t;
    }
  }
}

TEST_F(RandomDist, StudentTRefusesFewerThanOneDegreeAndStopsOnTheBreak) {
  const double t[] = {0.5};
  double out[1];
  for (double n : {0.0, -3.0, 0.9, std::nan("")}) {
    ResultString.clear();
    EXPECT_EQ(DoIntTDistDown(t, 1, 1, n, out), 0) << n;
    EXPECT_EQ(ResultString, "...<Error>...Invalid arguments.\n") << n;
  }
  vkButtonDownSinceMs.store(vkSteadyMillis() - 3000);
  ResultString.clear();
  EXPECT_EQ(DoIntTDistUp(t, 1, 1, 90000, out), 0);
  vkSetButtonDown(false);
  EXPECT_EQ(ResultString, std::string("...<Error>...") + kVkBreakMessage + "\n");
}

TEST_F(RandomDist, BetaAndF) {
  double b = 0;
  DoBeta(1, 1, &b);
  EXPECT_NEAR(b, 1.0, 1e-6);
  DoBeta(2, 3, &b);
  EXPECT_NEAR(b, 1.0 / 12, 1e-6);
  DoBeta(0.5, 0.5, &b);
  EXPECT_NEAR(b, std::numbers::pi, 1e-5);
  double g = 0;
  SubGamma(3.5, &g);
  EXPECT_NEAR(g, std::tgamma(3.5), 1e-6);

  // The F(4, 6) density against its closed form, and its integral over (0, 60) near 1.
  for (double x : {0.25, 1.0, 3.0}) {
    double f = 0;
    DoFDist(x, 4, 6, &f);
    const double exact = std::pow(4.0 / 6, 2) * x * std::pow(1 + 4.0 / 6 * x, -5) / (1.0 / 12);
    EXPECT_NEAR(f, exact, 1e-5 * exact) << x;
  }
}

TEST_F(RandomDist, MultivariateNormalMatchesTheOneDimensionalDensity) {
  std::vector<double> data = {1, 2, 3, 4, 10}, points = {4, -1};
  const double mean = 4, var = (9 + 4 + 1 + 0 + 36) / 5.0;  // population variance
  double out[2];
  ASSERT_EQ(DoMultiNormalDistribution(data.data(), 5, 1, points.data(), 2, out), 1);
  for (int i = 0; i < 2; ++i) {
    const double y = (i == 0 ? 4.0 : -1.0) - mean;
    EXPECT_NEAR(out[i], -0.5 * y * y / var - std::log(std::sqrt(2 * std::numbers::pi * var)), 1e-12);
  }
  EXPECT_EQ(data[0], -3.0);  // centred in place
  EXPECT_EQ(points[0], 0.0);

  // Two independent columns: the log density is the sum of the two one-dimensional ones.
  const int32_t d2[] = {0, 0, 2, 0, 0, 4, 2, 4};
  const int32_t p2[] = {1, 2, 3, 3};
  double o2[2];
  ASSERT_EQ(DoMultiNormalDistribution_short(d2, 4, 2, p2, 2, o2), 1);
  auto logNormal = [](double y, double v) {
    return -0.5 * y * y / v - 0.5 * std::log(2 * std::numbers::pi * v);
  };
  EXPECT_NEAR(o2[0], logNormal(0, 1) + logNormal(0, 4), 1e-12);
  EXPECT_NEAR(o2[1], logNormal(2, 1) + logNormal(1, 4), 1e-12);
  EXPECT_EQ(d2[0], 0);

  std::vector<double> same = {1, 1, 1}, pt = {1};
  EXPECT_EQ(DoMultiNormalDistribution(same.data(), 3, 1, pt.data(), 1, out), 0);
  EXPECT_EQ(ResultString, "...<Error>...pivot error\n");
}

TEST_F(RandomDist, FactorialsAndDivisors) {
  EXPECT_EQ(taisuKaijyou_keisan(1), 0.0);
  EXPECT_EQ(taisuKaijyou_keisan(-4), 0.0);
  EXPECT_NEAR(taisuKaijyou_keisan(5), std::log(120.0), 1e-14);
  const double in[] = {5.9, 0, 3};
  double out[3];
  ASSERT_EQ(taisuKaijyou(in, out, 1, 3), 1);
  EXPECT_NEAR(out[0], std::log(120.0), 1e-14);
  EXPECT_NEAR(out[2], std::log(6.0), 1e-14);

  EXPECT_EQ(greatestCommonDivisor(12, 18), 6);
  EXPECT_EQ(greatestCommonDivisor(0, 0), 0);
  EXPECT_EQ(greatestCommonDivisor(INT32_MIN, -1), -1);
  double g = -1;
  const double v1[] = {12, 18, 30};
  nGreatestCommonDivisor(v1, 1, 3, &g);
  EXPECT_EQ(g, 6);
  const double v2[] = {0, 0};
  nGreatestCommonDivisor(v2, 2, 1, &g);
  EXPECT_EQ(g, 0);
  const double v3[] = {-14, 21.7, 5, 1e18};
  nGreatestCommonDivisor(v3, 2, 2, &g);
  EXPECT_EQ(g, 1);
  // Past 64 bits there is no whole number to divide, even where the scan would stop early.
  const double v4[] = {-14, 21.7, 5, 1e30};
  EXPECT_EQ(nGreatestCommonDivisor(v4, 2, 2, &g), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid arguments.\n");
}

TEST_F(RandomDist, RowMatching) {
  const double a[] = {3, 4, 1, 2, 9, 9};
  const double b[] = {1.5, 2.2, 7, 7, 3.9, 4};
  double out[3];
  ASSERT_EQ(DoMach(a, 3, 2, b, 3, 2, out), 1);
  EXPECT_EQ(out[0], 2);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(DoMach(a, 3, 2, b, 2, 3, out), 0);
  EXPECT_EQ(ResultString, "...<Error>...Invalid data size.\n");
}

TEST_F(RandomDist, FisherListsEveryTableWithTheMargins) {
  std::vector<double> out(100);
  int count = 0;
  ASSERT_EQ(fisherNonePara(1, 2, 3, 4, out.data(), &count), 1);
  ASSERT_EQ(count, 4);
  double sum = 0;
  // Hypergeometric: C(3, v) C(7, 4 - v) / C(10, 4) for first cell v of the table.
  const double binom7[] = {1, 7, 21, 35, 35}, binom3[] = {1, 3, 3, 1};
  for (int v = 0; v < 4; ++v) {
    const double* row = out.data() + v * 5;
    EXPECT_EQ(row[0], v);
    EXPECT_EQ(row[1], 3 - v);
    EXPECT_EQ(row[2], 4 - v);
    EXPECT_EQ(row[3], 3 + v);
    EXPECT_NEAR(row[4], binom3[v] * binom7[4 - v] / 210.0, 1e-14);
    sum += row[4];
  }
  EXPECT_NEAR(sum, 1.0, 1e-14);
  EXPECT_NEAR(fisherNonePara_keisan(1, 2, 3, 4), 3 * 35 / 210.0, 1e-14);
}

}  // namespace
