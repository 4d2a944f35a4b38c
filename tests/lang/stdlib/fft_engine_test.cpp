// The transform engine under both Fourier engines: every size class (1 and 2, powers of two
// below and above the vector path and with every mix of its passes, primes, products of small
// primes) in both kernel sets against a direct DFT, interleaved arrays at every placement
// against vector boundaries, the circular convolution against its direct sum, the mixed-radix
// passes and the chirp-z path over their lengths; kept tables against fresh ones and against
// tables other calls made first; and overlapping runs sharing the kept tables.

#include "lang/stdlib/fft_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "lang/stdlib/czt.h"
#include "lang/stdlib/fft.h"
#include "lang/stdlib/random_signal.h"

namespace {

using cd = std::complex<double>;

// The direct transform with exponent sign s, from a table of the n roots.
std::vector<cd> dft(const std::vector<cd>& x, int s) {
  const std::size_t n = x.size();
  std::vector<cd> root(n);
  for (std::size_t j = 0; j < n; ++j) {
    const double a = 2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(n);
    root[j] = cd(std::cos(a), s * std::sin(a));
  }
  std::vector<cd> X(n);
  for (std::size_t k = 0; k < n; ++k) {
    cd sum = 0;
    for (std::size_t j = 0; j < n; ++j) sum += x[j] * root[(j * k) % n];
    X[k] = sum;
  }
  return X;
}

double maxError(const std::vector<cd>& a, const std::vector<cd>& b) {
  double e = 0;
  for (std::size_t i = 0; i < a.size(); ++i) e = std::max(e, std::abs(a[i] - b[i]));
  return e;
}

// fft_czt in either direction on split copies of x.
std::vector<cd> viaFftCzt(const std::vector<cd>& x, int flag) {
  std::vector<double> re, im;
  for (const cd& c : x) {
    re.push_back(c.real());
    im.push_back(c.imag());
  }
  EXPECT_EQ(fft_czt(re.data(), im.data(), static_cast<int>(x.size()), flag), 0);
  std::vector<cd> out(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = {re[i], im[i]};
  return out;
}

// DoFFT in either direction on an interleaved copy of x (a power of two).
std::vector<cd> viaDoFFT(const std::vector<cd>& x, double sign) {
  std::vector<double> in, out(2 * x.size());
  for (const cd& c : x) {
    in.push_back(c.real());
    in.push_back(c.imag());
  }
  int log2n = 0;
  while ((std::size_t{1} << log2n) < x.size()) ++log2n;
  EXPECT_EQ(DoFFT(static_cast<int>(x.size()), log2n, in.data(), out.data(), sign), 1);
  std::vector<cd> X(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) X[i] = {out[2 * i], out[2 * i + 1]};
  return X;
}

class KernelSets : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { pravella::fft::usePortableKernels(GetParam()); }
  void TearDown() override { pravella::fft::usePortableKernels(false); }
};

TEST_P(KernelSets, EverySizeClassMatchesTheDirectTransform) {
  // 1 and 2; powers of two on the scalar path (< 16), the vector path with an even and an odd
  // number of levels, and past one cache block (2^14); primes and products of small primes
  // through the chirp-z path.
  for (std::size_t n : {1,  2,  4,  8,  16,  32,   64,   128, 512, 2048, 4096, 32768, 3,    5,    7,
                        13, 17, 31, 97, 257, 1021, 2053, 6,   12,  60,   100,  360,   1000, 1536, 3000}) {
    const std::vector<cd> x = randomSignal(n, static_cast<unsigned>(n));
    const bool pow2 = (n & (n - 1)) == 0;
    // The direct transform of 32768 points takes too long; its transform is checked by the
    // round trip and by a few bins.
    const bool direct = n <= 4096;
    const double tol = 1e-13 * std::sqrt(static_cast<double>(n)) * (1 + std::log2(static_cast<double>(n)));
    const std::vector<cd> forward = viaFftCzt(x, 1);
    const std::vector<cd> inverse = viaFftCzt(x, 0);
    if (direct) {
      const std::vector<cd> wantF = dft(x, -1), wantI = dft(x, 1);
      std::vector<cd> scaledF = wantF, scaledI = wantI;
      for (cd& c : scaledF) c /= static_cast<double>(n);
      for (cd& c : scaledI) c /= static_cast<double>(n);
      EXPECT_LT(maxError(forward, wantF), tol) << n;
      EXPECT_LT(maxError(inverse, scaledI), tol / static_cast<double>(n)) << n;
      if (pow2) {
        EXPECT_LT(maxError(viaDoFFT(x, -1.0), scaledF), tol / static_cast<double>(n)) << n;
        EXPECT_LT(maxError(viaDoFFT(x, 1.0), wantI), tol) << n;
      }
    } else {
      for (std::size_t k : {std::size_t{0}, std::size_t{1}, n / 3, n - 1}) {
        cd want = 0;
        for (std::size_t j = 0; j < n; ++j)
          want += x[j] * std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>((j * k) % n) /
                                             static_cast<double>(n));
        EXPECT_LT(std::abs(forward[k] - want), tol) << n << " bin " << k;
      }
    }
    EXPECT_LT(maxError(viaFftCzt(forward, 0), x), tol / std::sqrt(static_cast<double>(n))) << n;
  }
}

// A pointer `offset` doubles past a 64-byte boundary inside v.
double* placed(std::vector<double>& v, std::size_t offset) {
  const auto at = reinterpret_cast<std::uintptr_t>(v.data());
  return v.data() + (64 - at % 64) % 64 / sizeof(double) + offset;
}

TEST_P(KernelSets, InterleavedArraysAtEveryPlacementMatchTheDirectTransform) {
  // Every mix of passes (4 4, 8 4, 8 8, 8 4 4, 8 8 4, 8 8 8, 8 8 4 4, 8 8 8 4), with input and
  // output on a 32-byte boundary, 16 bytes past one (the shifted path) or 8 past one, apart or
  // the same array; the values around the output stay as they were.
  constexpr double kGuard = 12345.0;
  constexpr std::size_t kInPlace = 99;
  for (std::size_t n : {16, 32, 64, 128, 256, 512, 1024, 2048}) {
    const std::vector<cd> x = randomSignal(n, static_cast<unsigned>(n) + 7);
    const std::vector<cd> wantF = dft(x, -1), wantI = dft(x, 1);
    const double tol = 1e-13 * std::sqrt(static_cast<double>(n)) * (1 + std::log2(static_cast<double>(n)));
    for (std::size_t inAt : {std::size_t{0}, std::size_t{2}, std::size_t{1}})
      for (std::size_t outAt : {std::size_t{0}, std::size_t{2}, std::size_t{1}, kInPlace})
        for (bool inverse : {false, true}) {
          std::vector<double> inBuf(2 * n + 16), outBuf(2 * n + 16, kGuard);
          double* in = placed(inBuf, inAt);
          const bool inPlace = outAt == kInPlace;
          double* out = inPlace ? in : placed(outBuf, outAt);
          for (std::size_t k = 0; k < n; ++k) {
            in[2 * k] = x[k].real();
            in[2 * k + 1] = x[k].imag();
          }
          ASSERT_TRUE(pravella::fft::transformInterleaved(in, out, n, inverse, 0.5));
          std::vector<cd> got(n);
          for (std::size_t k = 0; k < n; ++k) got[k] = {out[2 * k] * 2, out[2 * k + 1] * 2};
          EXPECT_LT(maxError(got, inverse ? wantI : wantF), tol)
              << n << " in at " << inAt << " out at " << outAt << (inverse ? " inverse" : "");
          if (inPlace) continue;
          const double* first = outBuf.data();
          const double* end = outBuf.data() + outBuf.size();
          for (const double* g = first; g < out; ++g) EXPECT_EQ(*g, kGuard) << n << " before the output";
          for (const double* g = out + 2 * n; g < end; ++g) EXPECT_EQ(*g, kGuard) << n << " after the output";
        }
  }
}

TEST_P(KernelSets, InterleavedPassesAgreeWithTheSplitLevelsAtLargeLengths) {
  // Too long for the direct transform: the interleaved self-sorting passes against the split
  // in-place levels, two independent ways to the same transform.
  for (std::size_t n : {std::size_t{1} << 17, std::size_t{1} << 18}) {
    const std::vector<cd> x = randomSignal(n, 5);
    std::vector<double> re, im, inter, out(2 * n);
    for (const cd& c : x) {
      re.push_back(c.real());
      im.push_back(c.imag());
      inter.push_back(c.real());
      inter.push_back(c.imag());
    }
    ASSERT_TRUE(pravella::fft::transformSplit(re.data(), im.data(), n, false, 1.0));
    ASSERT_TRUE(pravella::fft::transformInterleaved(inter.data(), out.data(), n, false, 1.0));
    double e = 0;
    for (std::size_t k = 0; k < n; ++k)
      e = std::max(e, std::abs(cd(out[2 * k], out[2 * k + 1]) - cd(re[k], im[k])));
    EXPECT_LT(e, 1e-13 * std::sqrt(static_cast<double>(n)) * (1 + std::log2(static_cast<double>(n)))) << n;
  }
}

TEST_P(KernelSets, CircularConvolutionMatchesTheDirectSum) {
  // Below the vector path and with one, two and four passes; b is left holding its transform.
  for (std::size_t n : {1, 2, 8, 16, 32, 128, 2048}) {
    const std::vector<cd> a = randomSignal(n, 11), b = randomSignal(n, 12);
    std::vector<cd> want(n);
    for (std::size_t k = 0; k < n; ++k)
      for (std::size_t j = 0; j < n; ++j) want[k] += a[j] * b[(k + n - j) % n];
    std::vector<double> ar, ai, br, bi;
    for (std::size_t k = 0; k < n; ++k) {
      ar.push_back(a[k].real());
      ai.push_back(a[k].imag());
      br.push_back(b[k].real());
      bi.push_back(b[k].imag());
    }
    ASSERT_EQ(high_speed_convolution(ar.data(), ai.data(), br.data(), bi.data(), static_cast<int>(n)), 1);
    std::vector<cd> gotA(n), gotB(n);
    for (std::size_t k = 0; k < n; ++k) {
      gotA[k] = {ar[k], ai[k]};
      gotB[k] = {br[k], bi[k]};
    }
    const double tol = 1e-13 * std::sqrt(static_cast<double>(n)) * (1 + std::log2(static_cast<double>(n)));
    EXPECT_LT(maxError(gotA, want), tol * std::sqrt(static_cast<double>(n))) << n;
    EXPECT_LT(maxError(gotB, dft(b, -1)), tol) << n;
  }
}

TEST_P(KernelSets, MixedRadixAndShortChirpLengthsMatchTheDirectTransform) {
  // Lengths with factors 2, 3 and 5 take the mixed-radix passes directly (every radix, alone and
  // mixed: 6 = 2 3, 15 = 3 5, 45 = 3 3 5, 80 = 4 4 5, 96 = 8 4 3, 360 = 8 3 3 5, 1000 = 8 5 5 5,
  // 62500 = 4 5^6); the primes
  // from 65537 on the chirp-z algorithm over a length with factors 2, 3 and 5, 4099 over a power
  // of two. Up to 4099 every bin against the direct transform, beyond it a spread of bins, both
  // directions and the round trip.
  for (std::size_t n : {6, 15, 45, 80, 96, 360, 1000, 4099, 62500, 65537, 99991}) {
    const std::vector<cd> x = randomSignal(n, static_cast<unsigned>(n) + 1);
    const double tol = 1e-13 * std::sqrt(static_cast<double>(n)) * (1 + std::log2(static_cast<double>(n)));
    const std::vector<cd> forward = viaFftCzt(x, 1);
    const std::vector<cd> inverse = viaFftCzt(x, 0);
    if (n <= 4099) {
      std::vector<cd> scaledI = dft(x, 1);
      for (cd& c : scaledI) c /= static_cast<double>(n);
      EXPECT_LT(maxError(forward, dft(x, -1)), tol) << n;
      EXPECT_LT(maxError(inverse, scaledI), tol / static_cast<double>(n)) << n;
    } else {
      for (std::size_t k : {std::size_t{0}, std::size_t{1}, std::size_t{2}, n / 5, n / 3, n / 2, n / 2 + 1,
                            2 * n / 3, n - 2, n - 1}) {
        cd want = 0, wantI = 0;
        for (std::size_t j = 0; j < n; ++j) {
          const cd w = std::polar(
              1.0, 2.0 * std::numbers::pi * static_cast<double>((j * k) % n) / static_cast<double>(n));
          want += x[j] * std::conj(w);
          wantI += x[j] * w;
        }
        EXPECT_LT(std::abs(forward[k] - want), tol) << n << " bin " << k;
        EXPECT_LT(std::abs(inverse[k] - wantI / static_cast<double>(n)), tol / static_cast<double>(n))
            << n << " inverse bin " << k;
      }
    }
    EXPECT_LT(maxError(viaFftCzt(forward, 0), x), tol / std::sqrt(static_cast<double>(n))) << n;
  }
}

TEST_P(KernelSets, PairsInPlaceMatchTheDirectTransform) {
  // The n x 2 matrices of CZT: every route (1, a power of two below and on the vector path, the
  // mixed passes with a vector first pass, with a radix-2 first pass and with odd lengths only,
  // the chirp-z algorithm over short and long lengths), both directions, at a placement 8 bytes
  // past a vector boundary; the values around the matrix stay as they were.
  constexpr double kGuard = -777.0;
  for (std::size_t n : {1, 2, 3, 8, 64, 1000, 250, 45, 97, 4099}) {
    const std::vector<cd> x = randomSignal(n, static_cast<unsigned>(n) + 3);
    const double tol = 1e-13 * std::sqrt(static_cast<double>(n)) * (1 + std::log2(static_cast<double>(n)));
    for (int flag : {1, 0}) {
      std::vector<double> buf(2 * n + 16, kGuard);
      double* m = placed(buf, 1);
      for (std::size_t k = 0; k < n; ++k) {
        m[2 * k] = x[k].real();
        m[2 * k + 1] = x[k].imag();
      }
      ASSERT_EQ(fft_czt_pairs(m, static_cast<int>(n), flag), 0) << n;
      std::vector<cd> want = dft(x, flag == 1 ? -1 : 1), got(n);
      for (std::size_t k = 0; k < n; ++k) {
        got[k] = {m[2 * k], m[2 * k + 1]};
        if (flag == 0) want[k] /= static_cast<double>(n);
      }
      EXPECT_LT(maxError(got, want), flag == 1 ? tol : tol / static_cast<double>(n)) << n << " flag " << flag;
      for (const double* g = buf.data(); g < m; ++g) EXPECT_EQ(*g, kGuard) << n << " before the matrix";
      for (const double* g = m + 2 * n; g < buf.data() + buf.size(); ++g)
        EXPECT_EQ(*g, kGuard) << n << " after the matrix";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fft, KernelSets, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Portable" : "Native";
                         });

TEST(FftEngine, KeptTablesGiveTheSameResultAsFreshOnes) {
  for (std::size_t n : {8, 1024, 65536, 12, 1000, 4099, 99991}) {
    const std::vector<cd> x = randomSignal(n, 3);
    pravella::fft::clearPlanCache();
    const std::vector<cd> fresh = viaFftCzt(x, 1);
    const std::vector<cd> kept = viaFftCzt(x, 1);
    ASSERT_EQ(std::memcmp(fresh.data(), kept.data(), n * sizeof(cd)), 0) << n;
    if ((n & (n - 1)) == 0) {
      pravella::fft::clearPlanCache();
      const std::vector<cd> freshI = viaDoFFT(x, -1.0);
      const std::vector<cd> keptI = viaDoFFT(x, -1.0);
      ASSERT_EQ(std::memcmp(freshI.data(), keptI.data(), n * sizeof(cd)), 0) << n;
    }
  }
}

TEST(FftEngine, AResultDoesNotDependOnWhichCallsMadeTheTables) {
  // 65537 convolves over 138240 points (factors 2, 3, 5), whose passes a direct transform of
  // 138240 points may have made first, between other lengths (131220, the shortest such length,
  // among them).
  const std::size_t n = 65537;
  const std::vector<cd> x = randomSignal(n, 9);
  pravella::fft::clearPlanCache();
  const std::vector<cd> alone = viaFftCzt(x, 1);
  pravella::fft::clearPlanCache();
  for (std::size_t other : {138240, 131220, 1000, 4099, 99991}) viaFftCzt(randomSignal(other, 1), 1);
  const std::vector<cd> after = viaFftCzt(x, 1);
  ASSERT_EQ(std::memcmp(alone.data(), after.data(), n * sizeof(cd)), 0);
}

TEST(FftEngine, OverlappingRunsShareTheKeptTables) {
  // Enough lengths that the kept tables are evicted while other threads use them.
  const std::vector<std::size_t> sizes = {4096, 1 << 17, 3001, 1 << 18, 65521, 257, 1 << 16, 200003};
  std::vector<std::vector<cd>> inputs, want;
  for (std::size_t n : sizes) {
    inputs.push_back(randomSignal(n, static_cast<unsigned>(n)));
    want.push_back(viaFftCzt(inputs.back(), 1));
  }
  std::vector<int> mismatches(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round)
        for (std::size_t i = 0; i < sizes.size(); ++i) {
          const std::size_t at = (i + static_cast<std::size_t>(t)) % sizes.size();
          if (t % 2 == 1 && at % 3 == 0) pravella::fft::clearPlanCache();
          const std::vector<cd> got = viaFftCzt(inputs[at], 1);
          if (std::memcmp(got.data(), want[at].data(), got.size() * sizeof(cd)) != 0) ++mismatches[t];
        }
    });
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
