#include "lang/stdlib/numeric_kernels.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"

int DoBitCalc(double* a, const double* b, int rows, int cols, const char* op) {
  enum { kAnd, kOr, kLeft, kRight, kXor, kNot } mode;
  if (std::strcmp(op, "&") == 0)
    mode = kAnd;
  else if (std::strcmp(op, "|") == 0)
    mode = kOr;
  else if (std::strcmp(op, "<<") == 0)
    mode = kLeft;
  else if (std::strcmp(op, ">>") == 0)
    mode = kRight;
  else if (std::strcmp(op, "^") == 0)
    mode = kXor;
  else if (std::strcmp(op, "~") == 0)
    mode = kNot;
  else
    return 0;
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) {
    const int32_t x = vkTruncToInt(a[i]);
    const int32_t y = mode == kNot ? 0 : vkTruncToInt(b[i]);
    int32_t r = 0;
    switch (mode) {
      case kAnd:
        r = x & y;
        break;
      case kOr:
        r = x | y;
        break;
      // The count is taken modulo 32, as the processor does; shifts of signed values are
      // two's complement (left) and arithmetic (right).
      case kLeft:
        r = static_cast<int32_t>(static_cast<uint32_t>(x) << (y & 31));
        break;
      case kRight:
        r = x >> (y & 31);
        break;
      case kXor:
        r = x ^ y;
        break;
      case kNot:
        r = ~x;
        break;
    }
    a[i] = r;
  }
  return 1;
}

int DoBibunN(const double* in, double* out, int rows, int cols, int k, int* outRows, int* outCols) {
  double denominator = 0.0;
  for (int j = -k; j <= k; ++j) denominator += static_cast<double>(j) * j;
  const int n = rows - 2 * k;
  for (int c = 0; c < cols; ++c)
    for (int r = 0; r < n; ++r) {
      double sum = 0.0;
      for (int j = -k; j <= k; ++j) sum += j * in[static_cast<std::size_t>(r + k + j) * cols + c];
      out[static_cast<std::size_t>(r) * cols + c] = sum / denominator;
    }
  *outRows = n;
  *outCols = cols;
  return 1;
}

int DoLimit(const double* limit, const double* data, double* out, int limitRows, int limitCols, int dataRows,
            int dataCols, int mode) {
  const bool scalar = limitRows == 1 && limitCols == 1;
  if (!scalar && (limitRows != dataRows || limitCols != dataCols)) {
    error_disp("Invalid size.");
    return 0;
  }
  const long long n = static_cast<long long>(dataRows) * dataCols;
  for (long long i = 0; i < n; ++i) {
    const double l = scalar ? limit[0] : limit[i];
    if (mode == 1)
      out[i] = data[i] >= l ? l : data[i];
    else
      out[i] = l >= data[i] ? l : data[i];
  }
  return 1;
}

int DoDistance(const double* points, double* out, int n, int d) {
  if (d <= 1) {
    error_disp("Invalid arguments (distance)");
    return 0;
  }
  // n x n distances over d coordinates: many points of many coordinates take minutes.
  VkBreakByWork breakTest;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      if (breakTest.held(d)) {
        error_disp(kVkBreakMessage);
        return 0;
      }
      double sum = 0.0;
      for (int c = 0; c < d; ++c) {
        const double diff =
            points[static_cast<std::size_t>(i) * d + c] - points[static_cast<std::size_t>(j) * d + c];
        sum += diff * diff;
      }
      out[static_cast<std::size_t>(i) * n + j] = std::sqrt(sum);
    }
  return 1;
}
