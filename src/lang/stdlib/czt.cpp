#include "lang/stdlib/czt.h"

#include <cstddef>
#include <new>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/fft_engine.h"

namespace {

bool isPowerOfTwo(int N) {
  int n = 1;
  while (n < N) n *= 2;
  return n == N;
}

}  // namespace

int CZT_fft(double* re, double* im, int N, int flag) {
  const std::size_t n = static_cast<std::size_t>(N);
  // A power of two: multiplying by 1/N is exactly the division.
  const double scale = flag == 0 ? 1.0 / static_cast<double>(n) : 1.0;
  return pravella::fft::transformSplit(re, im, n, flag != 1, scale) ? 1 : 0;
}

int high_speed_convolution(double* ar, double* ai, double* br, double* bi, int N) {
  return pravella::fft::convolveSplit(ar, ai, br, bi, static_cast<std::size_t>(N)) ? 1 : 0;
}

int czt(double* re, double* im, int N, int flag) {
  if (N <= 0) return 0;
  return pravella::fft::chirpZ(re, im, static_cast<std::size_t>(N), flag != 1, flag == 0) ? 0 : 1;
}

int fft_czt(double* re, double* im, int N, int flag) {
  if (N <= 0) return 0;
  if (isPowerOfTwo(N)) return CZT_fft(re, im, N, flag) == 1 ? 0 : 1;
  return czt(re, im, N, flag);
}

int fft_czt_pairs(double* x, int N, int flag) {
  if (N <= 0) return 0;
  return pravella::fft::transformPairs(x, static_cast<std::size_t>(N), flag != 1, flag == 0) ? 0 : 1;
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
  // Each row and column is a transform of its own: the break is looked at between them.
  auto broken = [] {
    if (!vkBreakHeld()) return false;
    error_disp(kVkBreakMessage);
    return true;
  };
  for (int r = 0; r < rows; ++r) {
    if (broken()) return 0;
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
    if (broken()) return 0;
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
