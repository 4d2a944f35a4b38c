#include "lang/stdlib/calculus.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/breakable_sort.h"
#include "lang/stdlib/distributions.h"
#include "lang/values.h"

namespace {

std::size_t at(long long r, int cols, int c) { return static_cast<std::size_t>(r * cols + c); }

bool fitsCapacity(long long elements) { return elements >= 0 && elements <= TNumber; }

// The bin of v among nbins bins of width w from lower, or -1 when it falls in none. The index
// is found by division and then settled by the same comparisons the bin edges are defined by,
// so that rounding of the quotient never moves a value across an edge.
int binOf(double v, double lower, double w, int nbins) {
  if (!(w > 0) || std::isnan(v)) return -1;
  const double q = std::floor((v - lower) / w);
  if (!(q >= -1 && q <= nbins)) return -1;
  int i = static_cast<int>(q);
  while (i > 0 && v < lower + i * w) --i;
  while (i < nbins && v >= lower + (i + 1) * w) ++i;
  if (i < 0 || i >= nbins || v < lower + i * w) return -1;
  return i;
}

void minMax(const double* data, long long n, double* upper, double* lower) {
  double hi = data[0], lo = data[0];
  for (long long i = 1; i < n; ++i) {
    if (data[i] > hi) hi = data[i];
    if (data[i] < lo) lo = data[i];
  }
  *upper = hi;
  *lower = lo;
}

int histogram(const double* data, int nbins, double* out, int rows, int cols, int* outRows, int* outCols,
              double upper, double lower, bool perColumn) {
  const int width = perColumn ? cols + 1 : 2;
  if (nbins < 2 || !fitsCapacity(static_cast<long long>(nbins) * width)) {
    error_disp("Invalid arguments.");
    return 0;
  }
  const double w = (upper - lower) / (nbins - 1);
  for (int i = 0; i < nbins; ++i) {
    out[at(i, width, 0)] = lower + i * w;
    for (int c = 1; c < width; ++c) out[at(i, width, c)] = 0;
  }
  for (long long r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const int bin = binOf(data[at(r, cols, c)], lower, w, nbins);
      if (bin >= 0) out[at(bin, width, perColumn ? c + 1 : 1)] += 1;
    }
  *outRows = nbins;
  *outCols = width;
  return 1;
}

int histogramAuto(const double* data, int nbins, double* out, int rows, int cols, int* outRows, int* outCols,
                  bool perColumn) {
  const long long n = static_cast<long long>(rows) * cols;
  if (n <= 0) {
    error_disp("Invalid arguments.");
    return 0;
  }
  double upper = 0, lower = 0;
  minMax(data, n, &upper, &lower);
  return histogram(data, nbins, out, rows, cols, outRows, outCols, upper, lower, perColumn);
}

}  // namespace

int DoMenseki(const double* x, const double* y, double* out, int n) {
  if (n <= 0) {
    *out = 0;
    return 1;
  }
  // Shifting by one vertex's y keeps the products small for polygons far from the origin.
  const double shift = y[n - 1];
  double sum = 0;
  int prev = n - 1;
  for (int i = 0; i < n; ++i) {
    sum += (x[prev] - x[i]) * ((y[prev] - shift) + (y[i] - shift));
    prev = i;
  }
  *out = std::fabs(sum) * 0.5;
  return 1;
}

int DoSekibun(int rows, int cols, const double* y, const double* x, double* out) {
  if (rows <= 0) return 1;
  for (int c = 0; c < cols; ++c) out[c] = 0;
  for (long long r = 1; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      out[at(r, cols, c)] =
          out[at(r - 1, cols, c)] + (y[at(r, cols, c)] + y[at(r - 1, cols, c)]) * (x[r] - x[r - 1]) * 0.5;
  return 1;
}

int DoIntegration(int rows, int cols, const double* y, const double*, double* out) {
  if (rows <= 0) return 1;
  for (int c = 0; c < cols; ++c) out[c] = y[c];
  for (long long r = 1; r < rows; ++r)
    for (int c = 0; c < cols; ++c) out[at(r, cols, c)] = out[at(r - 1, cols, c)] + y[at(r, cols, c)];
  return 1;
}

int DoErrorFunctionSub(double x, double* out) {
  const double t = std::fabs(x);
  if (t == 0) {
    *out = 0;
    return 1;
  }
  if (t >= 10) {
    *out = x < 0 ? -1.0 : 1.0;
    return 1;
  }
  // 1.0 and a1 .. a5; a6 starts Horner's rule.
  static constexpr double kA[6] = {1.0, 0.0705230784, 0.0422820123, 0.0092705272, 0.0001520143, 0.0002765672};
  double p = 0.0000430638;
  for (int i = 5; i >= 0; --i) p = p * t + kA[i];
  double r = 1.0 - std::exp(16.0 * std::log(1.0 / p));
  if (x < 0) r = -r;
  *out = r;
  return 1;
}

int DoErrorFunction(const double* in, int rows, int cols, double* out) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) DoErrorFunctionSub(in[i], &out[i]);
  return 1;
}

namespace {

// The closed forms: erf for one degree of freedom, the finite sums for more (their powers and
// factorials overflow for large n, which the caller detects).
int integrateChiSquareSeries(double x, int n, double* out) {
  if (n == 1) return DoErrorFunctionSub(std::sqrt(x / 2), out);
  if (n % 2 == 0) {
    const int k = n / 2;
    double s = 1, t = 1;
    for (int i = 2; i <= k; ++i) {
      t = 2 * t * (i - 1);
      s += std::pow(x, i - 1) / t;
    }
    *out = 1 - s * std::exp(-x / 2);
    return 1;
  }
  const int k = (n - 1) / 2;
  int m = 2 * k - 1;
  double s = std::pow(x, m / 2.0);
  double p = 1;
  for (int i = 2; i <= k; ++i) {
    m -= 2;
    p *= (m + 2);
    s += std::pow(x, m / 2.0) * p;
  }
  s *= std::exp(-x / 2);
  double e = 0;
  DoErrorFunctionSub(std::sqrt(x / 2), &e);
  *out = std::pow(2.0, k) * (2.5066282746310034 * e * p * 0.5 - s) /
         (p * std::pow(2.0, k - 0.5) * 1.7724538509055);
  return 1;
}

}  // namespace

int DoIntegrateChiSquare(double x, double n, double* out) {
  // The sums take n / 2 steps and overflow from about 257 degrees of freedom on, where the
  // gamma integral answers; past this bound it answers alone, so that no element takes long.
  constexpr double kSeriesDegrees = 1000;
  // Infinitely many degrees of freedom put all the mass past any finite bound.
  if (n == HUGE_VAL && x < HUGE_VAL) {
    *out = 0;
    return 1;
  }
  const bool series = n <= kSeriesDegrees && n > -kSeriesDegrees;
  if (!series || !integrateChiSquareSeries(x, static_cast<int>(n), out) ||
      (n >= 1 && !(*out >= 0.0 && *out <= 1.0)))
    *out = regularizedGammaP(n / 2.0, x / 2);
  return 1;
}

int DoFrequencyAll(const double* data, int nbins, double* out, int rows, int cols, int* outRows,
                   int* outCols) {
  return histogramAuto(data, nbins, out, rows, cols, outRows, outCols, false);
}

int DoFrequency(const double* data, int nbins, double* out, int rows, int cols, int* outRows, int* outCols) {
  return histogramAuto(data, nbins, out, rows, cols, outRows, outCols, true);
}

int DoFrequencyAllSP(const double* data, int nbins, double* out, int rows, int cols, int* outRows,
                     int* outCols, double upper, double lower) {
  return histogram(data, nbins, out, rows, cols, outRows, outCols, upper, lower, false);
}

int DoFrequencySP(const double* data, int nbins, double* out, int rows, int cols, int* outRows, int* outCols,
                  double upper, double lower) {
  return histogram(data, nbins, out, rows, cols, outRows, outCols, upper, lower, true);
}

int DoVertical(const double* in, double* out, int rows, int cols) {
  for (long long r = 0; r < rows; ++r)
    std::copy(in + at(r, cols, 0), in + at(r + 1, cols, 0), out + at(rows - 1 - r, cols, 0));
  return 1;
}

int DoHorizontal(const double* in, double* out, int rows, int cols) {
  for (long long r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) out[at(r, cols, cols - 1 - c)] = in[at(r, cols, c)];
  return 1;
}

int DoC21To77(const double* in, double* out) {
  std::fill(out, out + 49, 0.0);
  auto cell = [out](int r, int c) -> double& { return out[r * 7 + c]; };
  // Columns 1 and 5 come from inputs 10..15, columns 2 and 4 from 0..9 in pairs, column 3
  // from 16..20; the block's corners average a column-1/5 value with its neighbour.
  static constexpr int kOuter[5][5] = {
      {-1, 0, 16, 1, -1}, {10, 2, 17, 3, 11}, {12, 4, 18, 5, 13}, {14, 6, 19, 7, 15}, {-1, 8, 20, 9, -1}};
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c)
      if (kOuter[r][c] >= 0) cell(r + 1, c + 1) = in[kOuter[r][c]];
  cell(1, 1) = (in[0] + in[10]) * 0.25;
  cell(1, 5) = (in[1] + in[11]) * 0.25;
  cell(5, 1) = (in[14] + in[8]) * 0.25;
  cell(5, 5) = (in[15] + in[9]) * 0.25;
  return 1;
}

void dswap(double* a, double* b) { std::swap(*a, *b); }

bool vkSqrtOf(double x, double* out) {
  if (!(x >= 0)) return false;
  *out = std::sqrt(x);
  return true;
}

int DoSqrt(const double* in, const double*, double* out, int rows, int cols, int* outRows, int* outCols) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) {
    if (!vkSqrtOf(in[i], &out[i])) {
      error_disp("Invalid number.(sqrt)");
      return 0;
    }
  }
  *outRows = rows;
  *outCols = cols;
  return 1;
}

int DoMultiply(const double* a, const double* b, double* out, int rows, int cols) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) out[i] = a[i] * b[i];
  return 1;
}

int DoDivide(const double* a, const double* b, double* out, int rows, int cols) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) {
    if (b[i] == 0) {
      error_disp("divide by zero.");
      return 0;
    }
    out[i] = a[i] / b[i];
  }
  return 1;
}

int DoRandom(double* out, int rows, int cols) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) out[i] = std::rand() * 4.656612873077393e-10;
  return 1;
}

int cross_int_member(const double* values, int n, double* out, int* count) {
  std::vector<int32_t> v;
  try {
    v.resize(static_cast<std::size_t>(std::max(n, 0)));
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return 0;
  }
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = vkTruncToInt(values[i]);
  // Any ascending sort gives the same distinct values and counts as a selection sort.
  if (!pravella::numerics::breakableSort(v.begin(), v.end(), std::less<int32_t>())) {
    error_disp(kVkBreakMessage);
    return 0;
  }
  int k = 0;
  for (std::size_t i = 0; i < v.size();) {
    std::size_t j = i;
    while (j < v.size() && v[j] == v[i]) ++j;
    out[2 * k] = v[i];
    out[2 * k + 1] = static_cast<double>(j - i);
    ++k;
    i = j;
  }
  *count = k;
  return 1;
}

int corssCount(const double* a, int p, const double* b, int q, const double* pairs, int k, double* out) {
  if (!fitsCapacity(static_cast<long long>(p) * q)) {
    error_disp("Invalid arguments.");
    return 0;
  }
  std::vector<int32_t> ai(static_cast<std::size_t>(std::max(p, 0))),
      bi(static_cast<std::size_t>(std::max(q, 0)));
  for (int i = 0; i < p; ++i) ai[static_cast<std::size_t>(i)] = vkTruncToInt(a[i]);
  for (int j = 0; j < q; ++j) bi[static_cast<std::size_t>(j)] = vkTruncToInt(b[j]);
  // Every pair is looked at for every cell: many cells over many pairs take minutes.
  VkBreakByWork breakTest;
  for (int i = 0; i < p; ++i)
    for (int j = 0; j < q; ++j) {
      if (breakTest.held(k + 1)) {
        error_disp(kVkBreakMessage);
        return 0;
      }
      int n = 0;
      for (int r = 0; r < k; ++r)
        if (vkTruncToInt(pairs[2 * r]) == ai[static_cast<std::size_t>(i)] &&
            vkTruncToInt(pairs[2 * r + 1]) == bi[static_cast<std::size_t>(j)])
          ++n;
      out[at(i, q, j)] = n;
    }
  return 1;
}

int comp_long_int(const int32_t* a, const int32_t* b) { return (*a > *b) - (*a < *b); }
