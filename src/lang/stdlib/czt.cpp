#include "lang/stdlib/czt.h"

#include <cmath>
#include <cstddef>
#include <new>
#include <numbers>
#include <utility>
#include <vector>

#include "lang/report.h"
#include "lang/stdlib/fft_kernel.h"

namespace {

bool isPowerOfTwo(int N) {
  int n = 1;
  while (n < N) n *= 2;
  return n == N;
}

// Steps of Bluestein's algorithm up to the convolution: the chirp w, the filter h (the
// conjugate chirp wrapped around M), y = x w, then y convolved with h.
void chirpConvolve(const double* re, const double* im, int N, int flag, std::size_t M,
                   std::vector<double>& wr, std::vector<double>& wi, std::vector<double>& hr,
                   std::vector<double>& hi, std::vector<double>& yr, std::vector<double>& yi) {
  const double angle = (flag == 1 ? -std::numbers::pi : std::numbers::pi) / N;
  const long long period = 2LL * N;
  for (long long k = 0; k < N; ++k) {
    // The chirp e^(i angle k^2) repeats when k^2 grows by 2N; reducing k^2 first keeps the
    // angle small, so cos and sin stay accurate for large N.
    const double phi = static_cast<double>((k * k) % period) * angle;
    wr[k] = std::cos(phi);
    wi[k] = std::sin(phi);
    hr[k] = wr[k];
    hi[k] = -wi[k];
  }
  for (int j = 1; j < N; ++j) {
    hr[M - j] = hr[j];
    hi[M - j] = hi[j];
  }
  for (int k = 0; k < N; ++k) {
    yr[k] = re[k] * wr[k] - im[k] * wi[k];
    yi[k] = re[k] * wi[k] + im[k] * wr[k];
  }
  high_speed_convolution(yr.data(), yi.data(), hr.data(), hi.data(), static_cast<int>(M));
}

}  // namespace

int CZT_fft(double* re, double* im, int N, int flag) {
  const std::size_t n = static_cast<std::size_t>(N);
  // Taken before the data is touched, so that a failed allocation leaves it as it was.
  std::vector<double> wr(n), wi(n);
  int log2N = 0;
  while ((std::size_t{1} << log2N) < n) ++log2N;
  pravella::fft::bitReverse(
      log2N,
      [re, im](std::size_t i) {
        return pravella::fft::Pair{re[i], im[i]};
      },
      [re, im](std::size_t i, pravella::fft::Pair v) {
        re[i] = v.re;
        im[i] = v.im;
      });
  const double sign = flag == 1 ? -1.0 : 1.0;
  pravella::fft::allTwiddles(n, sign, wr, wi);
  auto stage = [&](std::size_t base, std::size_t H) {
    double* lr = re + base;
    double* li = im + base;
    double* hr = re + base + H;
    double* hi = im + base + H;
    const double* cr = wr.data() + H - 1;
    const double* ci = wi.data() + H - 1;
    for (std::size_t g = 0; g < H; ++g) {
      const double tr = cr[g] * hr[g] - ci[g] * hi[g];
      const double ti = cr[g] * hi[g] + ci[g] * hr[g];
      hr[g] = lr[g] - tr;
      hi[g] = li[g] - ti;
      lr[g] += tr;
      li[g] += ti;
    }
  };
  pravella::fft::runStages(0, n, stage);
  if (flag == 0) {
    // A power of two: multiplying by 1/N is exactly the division.
    const double inv = 1.0 / static_cast<double>(n);
    for (std::size_t i = 0; i < n; ++i) {
      re[i] *= inv;
      im[i] *= inv;
    }
  }
  return 1;
}

int high_speed_convolution(double* ar, double* ai, double* br, double* bi, int N) {
  CZT_fft(ar, ai, N, 1);
  CZT_fft(br, bi, N, 1);
  for (int k = 0; k < N; ++k) {
    const double r = ar[k] * br[k] - ai[k] * bi[k];
    const double i = ar[k] * bi[k] + ai[k] * br[k];
    ar[k] = r;
    ai[k] = i;
  }
  CZT_fft(ar, ai, N, 0);
  return 1;
}

int czt(double* re, double* im, int N, int flag) {
  if (N <= 0) return 0;
  std::size_t M = 1;
  while (M < 2 * static_cast<std::size_t>(N)) M *= 2;
  std::vector<double> wr, wi, hr, hi, yr, yi;
  try {
    wr.resize(N);
    wi.resize(N);
    hr.assign(M, 0.0);
    hi.assign(M, 0.0);
    yr.assign(M, 0.0);
    yi.assign(M, 0.0);
  } catch (const std::bad_alloc&) {
    return 1;
  }
  try {
    chirpConvolve(re, im, N, flag, M, wr, wi, hr, hi, yr, yi);
  } catch (const std::bad_alloc&) {
    return 1;  // the data is written only after the convolution, so it is untouched
  }
  for (int k = 0; k < N; ++k) {
    re[k] = yr[k] * wr[k] - yi[k] * wi[k];
    im[k] = yr[k] * wi[k] + yi[k] * wr[k];
  }
  if (flag == 0) {
    for (int k = 0; k < N; ++k) {
      re[k] /= N;
      im[k] /= N;
    }
  }
  return 0;
}

int fft_czt(double* re, double* im, int N, int flag) {
  if (N <= 0) return 0;
  if (isPowerOfTwo(N)) {
    try {
      CZT_fft(re, im, N, flag);
    } catch (const std::bad_alloc&) {
      return 1;  // no twiddle table: the data is untouched
    }
    return 0;
  }
  return czt(re, im, N, flag);
}

int fft_czt2(double* re, double* im, int rows, int cols, int flag) {
  std::vector<double> wr, wi;
  try {
    wr.resize(cols);
    wi.resize(cols);
  } catch (const std::bad_alloc&) {
    error_disp("Memory allocation error!!");
    return 0;
  }
  for (int r = 0; r < rows; ++r) {
    const std::size_t at = static_cast<std::size_t>(r) * cols;
    for (int c = 0; c < cols; ++c) {
      wr[c] = re[at + c];
      wi[c] = im[at + c];
    }
    if (fft_czt(wr.data(), wi.data(), cols, flag) != 0) {
      error_disp("error!!");
      return 0;
    }
    for (int c = 0; c < cols; ++c) {
      re[at + c] = wr[c];
      im[at + c] = wi[c];
    }
  }
  try {
    wr.assign(rows, 0.0);
    wi.assign(rows, 0.0);
  } catch (const std::bad_alloc&) {
    error_disp("error!!");
    return 0;
  }
  for (int c = 0; c < cols; ++c) {
    for (int r = 0; r < rows; ++r) {
      wr[r] = re[static_cast<std::size_t>(r) * cols + c];
      wi[r] = im[static_cast<std::size_t>(r) * cols + c];
    }
    if (fft_czt(wr.data(), wi.data(), rows, flag) != 0) {
      error_disp("error!!");
      return 0;
    }
    for (int r = 0; r < rows; ++r) {
      re[static_cast<std::size_t>(r) * cols + c] = wr[r];
      im[static_cast<std::size_t>(r) * cols + c] = wi[r];
    }
  }
  return 1;
}

uint32_t ipow2(int k) { return ipow(2, static_cast<uint32_t>(k)); }

uint32_t ipow(uint32_t base, uint32_t exponent) {
  uint32_t r = 1;
  for (uint32_t i = 0; i < exponent; ++i) r *= base;
  return r;
}
