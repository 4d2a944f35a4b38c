// Both Fourier engines against a direct O(N^2) DFT, round trips, Parseval's identity and the
// spectral operations against their definitions.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "lang/lang_fixture.h"
#include "lang/stdlib/czt.h"
#include "lang/stdlib/fft.h"
#include "lang/stdlib/random_signal.h"

namespace {

using cd = std::complex<double>;

// One bin of the DFT with exponent sign s; the angle is reduced exactly so that large N stays
// accurate.
cd dftBin(const std::vector<cd>& x, std::size_t k, int s) {
  const std::size_t n = x.size();
  cd sum = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const double a = 2.0 * std::numbers::pi * static_cast<double>((j * k) % n) / static_cast<double>(n);
    sum += x[j] * cd(std::cos(a), s * std::sin(a));
  }
  return sum;
}

std::vector<cd> dft(const std::vector<cd>& x, int s) {
  std::vector<cd> X(x.size());
  for (std::size_t k = 0; k < x.size(); ++k) X[k] = dftBin(x, k, s);
  return X;
}

std::vector<double> interleave(const std::vector<cd>& x) {
  std::vector<double> v;
  for (const cd& c : x) {
    v.push_back(c.real());
    v.push_back(c.imag());
  }
  return v;
}

std::vector<cd> fromInterleaved(const std::vector<double>& v) {
  std::vector<cd> x(v.size() / 2);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = {v[2 * i], v[2 * i + 1]};
  return x;
}

struct Split {
  std::vector<double> re, im;
};

Split split(const std::vector<cd>& x) {
  Split s;
  for (const cd& c : x) {
    s.re.push_back(c.real());
    s.im.push_back(c.imag());
  }
  return s;
}

std::vector<cd> join(const Split& s) {
  std::vector<cd> x(s.re.size());
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = {s.re[i], s.im[i]};
  return x;
}

double maxError(const std::vector<cd>& a, const std::vector<cd>& b) {
  double e = 0;
  for (std::size_t i = 0; i < a.size(); ++i) e = std::max(e, std::abs(a[i] - b[i]));
  return e;
}

double energy(const std::vector<cd>& x) {
  double e = 0;
  for (const cd& c : x) e += std::norm(c);
  return e;
}

class FftTest : public LangTest {};

TEST_F(FftTest, CfftMatchesTheDirectTransformWithItsScaling) {
  for (int log2N = 0; log2N <= 10; ++log2N) {
    const std::size_t n = std::size_t{1} << log2N;
    const std::vector<cd> x = randomSignal(n, 10 + log2N);
    std::vector<double> v = interleave(x);
    ASSERT_EQ(cfft(v.data(), log2N, -1.0), 1);
    std::vector<cd> want = dft(x, -1);
    for (cd& c : want) c /= static_cast<double>(n);
    EXPECT_LT(maxError(fromInterleaved(v), want), 1e-12) << n;

    // The inverse is not scaled, so it takes the scaled forward result back to x.
    ASSERT_EQ(cfft(v.data(), log2N, 1.0), 1);
    EXPECT_LT(maxError(fromInterleaved(v), x), 1e-12) << n;

    std::vector<double> w = interleave(x);
    cfft(w.data(), log2N, 1.0);
    EXPECT_LT(maxError(fromInterleaved(w), dft(x, 1)), 1e-11) << n;
  }
}

TEST_F(FftTest, FftCztMatchesTheDirectTransformForAnyLength) {
  for (int n : {1, 2, 3, 4, 5, 6, 7, 12, 16, 17, 31, 64, 97, 100, 127, 256, 1000, 1021}) {
    const std::vector<cd> x = randomSignal(n, 100 + n);
    Split s = split(x);
    ASSERT_EQ(fft_czt(s.re.data(), s.im.data(), n, 1), 0) << n;
    const std::vector<cd> X = join(s);
    EXPECT_LT(maxError(X, dft(x, -1)), 1e-10 * std::sqrt(n)) << n;
    // Parseval: the forward transform is not scaled, so its energy is N times the signal's.
    EXPECT_NEAR(energy(X), n * energy(x), 1e-10 * n * energy(x)) << n;

    ASSERT_EQ(fft_czt(s.re.data(), s.im.data(), n, 0), 0) << n;
    EXPECT_LT(maxError(join(s), x), 1e-12 * std::sqrt(n)) << n;

    Split t = split(x);
    ASSERT_EQ(fft_czt(t.re.data(), t.im.data(), n, 0), 0) << n;
    std::vector<cd> want = dft(x, 1);
    for (cd& c : want) c /= static_cast<double>(n);
    EXPECT_LT(maxError(join(t), want), 1e-12 * std::sqrt(n)) << n;
  }
}

TEST_F(FftTest, LargeLengthsRoundTripAndKeepParseval) {
  for (int n : {1 << 16, 65537, 100003}) {
    const std::vector<cd> x = randomSignal(n, 7);
    Split s = split(x);
    ASSERT_EQ(fft_czt(s.re.data(), s.im.data(), n, 1), 0);
    const std::vector<cd> X = join(s);
    for (std::size_t k :
         {std::size_t{0}, std::size_t{1}, std::size_t{12345}, static_cast<std::size_t>(n - 1)})
      EXPECT_LT(std::abs(X[k] - dftBin(x, k, -1)), 1e-8) << n << " bin " << k;
    EXPECT_NEAR(energy(X), n * energy(x), 1e-9 * n * energy(x)) << n;
    ASSERT_EQ(fft_czt(s.re.data(), s.im.data(), n, 0), 0);
    EXPECT_LT(maxError(join(s), x), 1e-10) << n;
  }

  const int log2N = 20;
  const std::size_t n = std::size_t{1} << log2N;
  const std::vector<cd> x = randomSignal(n, 8);
  std::vector<double> v = interleave(x);
  cfft(v.data(), log2N, -1.0);
  const std::vector<cd> X = fromInterleaved(v);
  for (std::size_t k : {std::size_t{0}, std::size_t{3}, std::size_t{777777}, n - 1})
    EXPECT_LT(std::abs(X[k] * static_cast<double>(n) - dftBin(x, k, -1)), 1e-7) << k;
  EXPECT_NEAR(energy(X) * static_cast<double>(n), energy(x), 1e-9 * energy(x));
  cfft(v.data(), log2N, 1.0);
  EXPECT_LT(maxError(fromInterleaved(v), x), 1e-9);
}

TEST_F(FftTest, TwoDimensionalTransformIsRowsThenColumns) {
  for (auto [rows, cols] : {std::pair{1, 1}, std::pair{3, 4}, std::pair{4, 8}, std::pair{5, 3}}) {
    const std::vector<cd> x = randomSignal(static_cast<std::size_t>(rows) * cols, rows * 31 + cols);
    Split s = split(x);
    ASSERT_EQ(fft_czt2(s.re.data(), s.im.data(), rows, cols, 1), 1);
    const std::vector<cd> got = join(s);
    double err = 0;
    for (int k = 0; k < rows; ++k)
      for (int l = 0; l < cols; ++l) {
        cd want = 0;
        for (int r = 0; r < rows; ++r)
          for (int c = 0; c < cols; ++c)
            want += x[r * cols + c] *
                    std::polar(1.0, -2 * std::numbers::pi * (double(k * r) / rows + double(l * c) / cols));
        err = std::max(err, std::abs(got[k * cols + l] - want));
      }
    EXPECT_LT(err, 1e-11) << rows << "x" << cols;
    ASSERT_EQ(fft_czt2(s.re.data(), s.im.data(), rows, cols, 0), 1);
    EXPECT_LT(maxError(join(s), x), 1e-12) << rows << "x" << cols;
  }
}

TEST_F(FftTest, SmallKnownTransforms) {
  // FFT of four ones: (1, 0) then zeros (divided by N); the inverse gives the ones back.
  std::vector<double> in = {1, 0, 1, 0, 1, 0, 1, 0}, out(8);
  ASSERT_EQ(DoFFT(4, 2, in.data(), out.data(), -1.0), 1);
  EXPECT_EQ(out, (std::vector<double>{1, 0, 0, 0, 0, 0, 0, 0}));
  std::vector<double> back(8);
  ASSERT_EQ(DoFFT(4, 2, out.data(), back.data(), 1.0), 1);
  EXPECT_EQ(back, in);

  // The chirp-z engine does not divide forward and divides the inverse.
  std::vector<double> re = {1, 1, 1, 1}, im(4, 0.0);
  fft_czt(re.data(), im.data(), 4, 1);
  EXPECT_EQ(re, (std::vector<double>{4, 0, 0, 0}));
  fft_czt(re.data(), im.data(), 4, 0);
  EXPECT_EQ(re, (std::vector<double>{1, 1, 1, 1}));

  // Length 3 goes through the chirp-z path: an impulse gives three ones.
  std::vector<double> r3 = {1, 0, 0}, i3(3, 0.0);
  ASSERT_EQ(fft_czt(r3.data(), i3.data(), 3, 1), 0);
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(r3[k], 1.0, 1e-14);
    EXPECT_NEAR(i3[k], 0.0, 1e-14);
  }

  // N = 1 leaves every transform's input unchanged.
  std::vector<double> one = {2.5, -1.5}, oneOut(2);
  DoFFT(1, 0, one.data(), oneOut.data(), -1.0);
  EXPECT_EQ(oneOut, one);
  double r1 = 2.5, i1 = -1.5;
  fft_czt(&r1, &i1, 1, 1);
  EXPECT_EQ(r1, 2.5);
  EXPECT_EQ(i1, -1.5);
  EXPECT_EQ(ResultString, "");
}

TEST_F(FftTest, ColumnTransformsOfRealSignals) {
  const int n = 16, cols = 3;
  std::vector<double> in(n * cols);
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> u(-2, 2);
  for (double& v : in) v = u(gen);
  std::vector<double> re(n * cols), im(n * cols), pw(n * cols);
  ASSERT_EQ(DoFFTReal(n, cols, 4, in.data(), re.data()), 1);
  ASSERT_EQ(DoFFTImage(n, cols, 4, in.data(), im.data()), 1);
  ASSERT_EQ(DoFFTPower(n, cols, 4, in.data(), pw.data()), 1);
  for (int c = 0; c < cols; ++c) {
    std::vector<cd> x(n);
    for (int k = 0; k < n; ++k) x[k] = in[k * cols + c];
    std::vector<cd> X = dft(x, -1);
    for (cd& v : X) v /= double(n);
    for (int k = 0; k < n; ++k) {
      EXPECT_NEAR(re[k * cols + c], X[k].real(), 1e-13);
      EXPECT_NEAR(im[k * cols + c], X[k].imag(), 1e-13);
      const double folded = (k >= 1 && k < n / 2) ? std::abs(X[k]) + std::abs(X[n - k]) : std::abs(X[k]);
      EXPECT_NEAR(pw[k * cols + c], folded, 1e-13) << k;
    }
  }
}

TEST_F(FftTest, CircularConvolutionCorrelationAndDeconvolution) {
  const int n = 8, log2N = 3;
  const std::vector<double> a = {1, 2, 0, -1, 3, 0.5, 0, 1};
  const std::vector<double> b = {0.5, -1, 2, 0, 1, 1, -2, 4};
  std::vector<double> conv(n), corr(n);
  ASSERT_EQ(DoFFTConv(n, log2N, a.data(), b.data(), conv.data()), 1);
  ASSERT_EQ(DoFFTCorrelation(n, log2N, a.data(), b.data(), corr.data()), 1);
  for (int k = 0; k < n; ++k) {
    double cv = 0, cr = 0;
    for (int j = 0; j < n; ++j) {
      cv += a[j] * b[(k - j + n) % n];
      cr += a[(j + k) % n] * b[j];
    }
    EXPECT_NEAR(conv[k], cv, 1e-12) << k;
    EXPECT_NEAR(corr[k], cr, 1e-12) << k;
  }
  // Deconvolving the convolution by a gives b back, by both names.
  std::vector<double> h(n), h2(n);
  ASSERT_EQ(DoFFTDeConv(n, log2N, a.data(), conv.data(), h.data()), 1);
  ASSERT_EQ(DoFFTImp(n, log2N, a.data(), conv.data(), h2.data()), 1);
  for (int k = 0; k < n; ++k) {
    EXPECT_NEAR(h[k], b[k], 1e-12);
    EXPECT_EQ(h[k], h2[k]);
  }
  // An impulse is the identity of both operations.
  const std::vector<double> impulse = {1, 0, 0, 0, 0, 0, 0, 0};
  DoFFTConv(n, log2N, impulse.data(), b.data(), conv.data());
  DoFFTCorrelation(n, log2N, a.data(), impulse.data(), corr.data());
  for (int k = 0; k < n; ++k) {
    EXPECT_NEAR(conv[k], b[k], 1e-13);
    EXPECT_NEAR(corr[k], a[k], 1e-13);
  }
  EXPECT_EQ(ResultString, "");
}

TEST_F(FftTest, DeconvolutionByAZeroSpectrumReportsAndFails) {
  // All ones: every transform bin but the first is zero. The quotient is no numbers: a
  // failure, not a result.
  const std::vector<double> a = {1, 1, 1, 1}, b = {1, 2, 3, 4};
  std::vector<double> out(4);
  EXPECT_EQ(DoFFTDeConv(4, 2, a.data(), b.data(), out.data()), 0);
  EXPECT_EQ(ResultString, "...<Error>...divided by zero error !!!\n");
}

TEST_F(FftTest, ScalarHelpers) {
  EXPECT_EQ(cc_arg(tocomplex(0, 0)), 10.0);
  EXPECT_EQ(ResultString, "...<Error>... arg zero error!!!\n");
  EXPECT_DOUBLE_EQ(cc_arg({-1, 0}), std::numbers::pi);
  const vkComplex q = cc_div({1, 2}, {3, -4});
  const cd want = cd(1, 2) / cd(3, -4);
  EXPECT_NEAR(q.re, want.real(), 1e-15);
  EXPECT_NEAR(q.im, want.imag(), 1e-15);
  const vkComplex e = cc_exp({0, std::numbers::pi});
  EXPECT_NEAR(e.re, -1, 1e-15);
  EXPECT_EQ(cc_add({1, 2}, {3, 4}).im, 6);
  EXPECT_EQ(cc_sub({1, 2}, {3, 5}).im, -3);
  EXPECT_EQ(cc_mul({0, 1}, {0, 1}).re, -1);
  EXPECT_EQ(cc_conj({1, 2}).im, -2);
  EXPECT_EQ(ipow2(13), 8192u);
  EXPECT_EQ(ipow(3, 4), 81u);
  EXPECT_EQ(ipow2(0), 1u);
}

}  // namespace
