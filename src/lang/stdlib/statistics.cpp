#include "lang/stdlib/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <new>
#include <utility>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/breakable_sort.h"
#include "lang/stdlib/spread.h"
#include "lang/values.h"

std::vector<SortRecord> msData;
std::vector<SortRecord> wsData;

namespace {

std::size_t at(long long r, int cols, int c) { return static_cast<std::size_t>(r * cols + c); }

// One group of values of a matrix: `count` values from `start`, `stride` apart.
struct Group {
  const double* start;
  long long count;
  long long stride;
  double operator[](long long i) const { return start[i * stride]; }
};

enum class Over { All, Rows, Columns };

// Calls f(group, k) for every group of the matrix, k counting the groups; gives the shape of
// a one-value-per-group result.
template <typename F>
int eachGroup(const double* in, int rows, int cols, Over over, int* outRows, int* outCols, F f) {
  if (rows <= 0 || cols <= 0) {
    error_disp("Invalid arguments.");
    return 0;
  }
  switch (over) {
    case Over::All:
      f(Group{in, static_cast<long long>(rows) * cols, 1}, 0);
      *outRows = *outCols = 1;
      break;
    case Over::Rows:
      for (int r = 0; r < rows; ++r) f(Group{in + at(r, cols, 0), cols, 1}, r);
      *outRows = rows;
      *outCols = 1;
      break;
    case Over::Columns:
      for (int c = 0; c < cols; ++c) f(Group{in + c, rows, cols}, c);
      *outRows = 1;
      *outCols = cols;
      break;
  }
  return 1;
}

double sumOf(const Group& g) {
  double s = 0;
  for (long long i = 0; i < g.count; ++i) s += g[i];
  return s;
}

// Population deviation, in two passes (a one-pass sum of squares loses the spread of values
// far from 0).
pravella::numerics::Spread spreadOf(const Group& g) {
  return pravella::numerics::spreadOf(g.count, [&g](long long i) { return g[i]; });
}

double sdOf(const Group& g) { return spreadOf(g).deviation(static_cast<double>(g.count)); }

double minOf(const Group& g) {
  double m = g[0];
  for (long long i = 1; i < g.count; ++i)
    if (g[i] < m) m = g[i];
  return m;
}

double maxOf(const Group& g) {
  double m = g[0];
  for (long long i = 1; i < g.count; ++i)
    if (g[i] > m) m = g[i];
  return m;
}

double rangeOf(const Group& g) {
  double lo = g[0], hi = g[0];
  for (long long i = 1; i < g.count; ++i) {
    if (g[i] < lo) lo = g[i];
    if (g[i] > hi) hi = g[i];
  }
  return hi - lo;
}

template <double (*F)(const Group&)>
int reduce(const double* in, double* out, int rows, int cols, Over over, int* outRows, int* outCols) {
  return eachGroup(in, rows, cols, over, outRows, outCols, [out](const Group& g, int k) { out[k] = F(g); });
}

double meanOf(const Group& g) { return sumOf(g) / static_cast<double>(g.count); }

// Z-scores keep the input's shape: each value of a group is written where it was read.
int zScore(const double* in, double* out, int rows, int cols, Over over, int* outRows, int* outCols) {
  int r = 0, c = 0;
  const int ok = eachGroup(in, rows, cols, over, &r, &c, [in, out](const Group& g, int) {
    const pravella::numerics::Spread s = spreadOf(g);
    const double mean = s.mean, sd = s.deviation(static_cast<double>(g.count));
    const long long offset = g.start - in;
    for (long long i = 0; i < g.count; ++i) out[offset + i * g.stride] = (g[i] - mean) / sd;
  });
  if (!ok) return 0;
  *outRows = rows;
  *outCols = cols;
  return 1;
}

// The top-down merge sort of data[first..last] by key(element), with a work area of half the
// range plus one: the left half is copied aside and merged back, the left element winning ties,
// so equal keys keep their input order. False when the held button stopped it (looked at
// before each merge of a long range).
template <typename T, typename Key>
bool mergeSortRange(T* data, T* work, int first, int last, Key key) {
  if (first >= last) return true;
  const int middle = (first + last) / 2;
  if (!mergeSortRange(data, work, first, middle, key) || !mergeSortRange(data, work, middle + 1, last, key))
    return false;
  if (last - first >= (1 << 14) && vkBreakHeld()) return false;
  const int leftCount = middle - first + 1;
  std::copy(data + first, data + first + leftCount, work);
  int i = 0, j = middle + 1, k = first;
  while (i < leftCount && j <= last) {
    if (key(data[j]) >= key(work[i]))
      data[k++] = work[i++];
    else
      data[k++] = data[j++];
  }
  while (i < leftCount) data[k++] = work[i++];
  return true;
}

double valueOf(double v) { return v; }
double recordValue(const SortRecord& r) { return r.value; }

// nPr or nCr of the truncated n and r, false when they are refused. Doubles throughout: the
// counts may lie beyond the int range. Both products end once infinite (all but the last
// factor are 2 or more, so that takes at most about 1,024 steps), and nCr is taken over the
// smaller of r and n - r as the running quotient C(n - k + i, i), never as inf / inf.
bool permutationOf(double nv, double rv, bool combination, double* out) {
  const double n = std::trunc(nv), r = std::trunc(rv);
  if (!std::isfinite(n) || !std::isfinite(r) || n < 0 || r < 0 || n < r) return false;
  double p = 1;
  if (!combination) {
    for (double i = 0; i < r && std::isfinite(p); ++i) p *= n - i;
    *out = p;
    return true;
  }
  const double k = std::min(r, n - r);
  for (double i = 1; i <= k && std::isfinite(p); ++i) {
    const double factor = n - k + i;
    // Multiplying first keeps small results exact; near the top of the range divide first.
    p = std::isfinite(p * factor) ? p * factor / i : p / i * factor;
  }
  *out = p;
  return true;
}

int pairwise(const double* n, int nRows, int nCols, const double* r, int rRows, int rCols, double* out,
             int* outRows, int* outCols, bool combination) {
  long long count = 0;
  int rows = 0, cols = 0;
  enum { kEach, kScalarN, kScalarR } pairing;
  if (nRows == rRows && nCols == rCols) {
    pairing = kEach;
    rows = rRows;
    cols = rCols;
  } else if (nRows == 1 && nCols == 1) {
    pairing = kScalarN;
    rows = rRows;
    cols = rCols;
  } else if (rRows == 1 && rCols == 1) {
    pairing = kScalarR;
    rows = nRows;
    cols = nCols;
  } else {
    error_disp("Invalid number.");
    return 0;
  }
  count = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < count; ++i) {
    const double nv = pairing == kScalarN ? n[0] : n[i];
    const double rv = pairing == kScalarR ? r[0] : r[i];
    if (!permutationOf(nv, rv, combination, &out[i])) {
      error_disp("Invalid number.");
      return 0;
    }
  }
  *outRows = rows;
  *outCols = cols;
  return 1;
}

}  // namespace

int DoMakeSortInfo(int n) {
  try {
    msData.assign(static_cast<std::size_t>(n), SortRecord{0.0, 0});
    wsData.assign(static_cast<std::size_t>(n / 2 + 1), SortRecord{0.0, 0});
  } catch (const std::bad_alloc&) {
    DoDisposeSortInfo();
    return 0;
  }
  for (int i = 0; i < n; ++i) msData[static_cast<std::size_t>(i)].index = i;
  return 1;
}

int DoDisposeSortInfo() {
  std::vector<SortRecord>().swap(msData);
  std::vector<SortRecord>().swap(wsData);
  return 1;
}

bool mergesort_vk(int first, int last) {
  if (first < 0 || last >= static_cast<int>(msData.size())) return true;
  return mergeSortRange(msData.data(), wsData.data(), first, last, recordValue);
}

int DoSortValues(double* values, int n, double* work) {
  if (n < 2) return 1;
  bool notANumber = false;
  std::size_t negativeZeros = 0, zeros = 0;
  for (int i = 0; i < n && !notANumber; ++i) {
    notANumber = std::isnan(values[i]);
    if (values[i] == 0.0) {
      ++zeros;
      if (std::signbit(values[i])) ++negativeZeros;
    }
  }
  if (notANumber) {
    // Where a value that is not a number ends up depends on the merge's comparisons: run it.
    std::vector<double> own;
    if (!work) {
      try {
        own.resize(static_cast<std::size_t>(n / 2 + 1));
      } catch (const std::bad_alloc&) {
        return 0;
      }
      work = own.data();
    }
    if (mergeSortRange(values, work, 0, n - 1, valueOf)) return 1;
    error_disp(kVkBreakMessage);
    return 0;
  }
  // Without such values, equal values are the same bits except 0 and -0: any sort gives the
  // merge's order once the zeros are put back in their input order.
  std::vector<bool> zeroSigns;
  const bool mixedZeros = negativeZeros != 0 && negativeZeros != zeros;
  if (mixedZeros) {
    try {
      zeroSigns.reserve(zeros);
    } catch (const std::bad_alloc&) {
      return 0;
    }
    for (int i = 0; i < n; ++i)
      if (values[i] == 0.0) zeroSigns.push_back(std::signbit(values[i]));
  }
  if (!pravella::numerics::breakableSort(values, values + n, std::less<double>())) {
    error_disp(kVkBreakMessage);
    return 0;
  }
  if (mixedZeros) {
    double* zero = std::lower_bound(values, values + n, 0.0);
    for (bool negative : zeroSigns) *zero++ = negative ? -0.0 : 0.0;
  }
  return 1;
}

int DoMergeSort(const double* in, double* out, int rows, int cols, int key) {
  if (key < 1 || key > cols || rows < 0) {
    error_disp("Invalid arguments.");
    return 0;
  }
  if (cols == 1) {
    std::copy(in, in + rows, out);
    return DoSortValues(out, rows, nullptr);
  }
  if (!DoMakeSortInfo(rows)) return 0;
  for (int r = 0; r < rows; ++r) msData[static_cast<std::size_t>(r)].value = in[at(r, cols, key - 1)];
  if (!mergesort_vk(0, rows - 1)) {
    DoDisposeSortInfo();
    error_disp(kVkBreakMessage);
    return 0;
  }
  for (int r = 0; r < rows; ++r) {
    const double* src = in + at(msData[static_cast<std::size_t>(r)].index, cols, 0);
    std::copy(src, src + cols, out + at(r, cols, 0));
  }
  DoDisposeSortInfo();
  return 1;
}

int DoSmoothN(const double* in, double* out, int rows, int cols, int w, int* outRows, int* outCols) {
  if (w < 1 || w > rows) {
    error_disp("Invalid arguments.");
    return 0;
  }
  const int n = rows - w + 1;
  // A wide window over a long column takes minutes.
  VkBreakByWork breakTest;
  for (int c = 0; c < cols; ++c)
    for (int i = 0; i < n; ++i) {
      if (breakTest.held(w)) {
        error_disp(kVkBreakMessage);
        return 0;
      }
      double s = 0;
      for (int j = 0; j < w; ++j) s += in[at(i + j, cols, c)];
      out[at(i, cols, c)] = s / w;
    }
  *outRows = n;
  *outCols = cols;
  return 1;
}

int DoPermutation(const double* n, int nRows, int nCols, const double* r, int rRows, int rCols, double* out,
                  int* outRows, int* outCols) {
  return pairwise(n, nRows, nCols, r, rRows, rCols, out, outRows, outCols, false);
}

int DoCombination(const double* n, int nRows, int nCols, const double* r, int rRows, int rCols, double* out,
                  int* outRows, int* outCols) {
  return pairwise(n, nRows, nCols, r, rRows, rCols, out, outRows, outCols, true);
}

int DoHendouKeisu(const double* in, double* out, int rows, int cols, int* outRows, int* outCols) {
  if (rows <= 0 || cols <= 0) {
    error_disp("Invalid arguments.");
    return 0;
  }
  for (int c = 0; c < cols; ++c) {
    const Group g{in + c, rows, cols};
    const double s = sumOf(g);
    if (s == 0) {
      error_disp("Invalid number.");
      return 0;
    }
    const pravella::numerics::Spread spread = spreadOf(g);
    out[c] = 100.0 * (spread.deviation(rows) / spread.mean);
  }
  *outRows = 1;
  *outCols = cols;
  return 1;
}

void fswap(double* a, double* b) { std::swap(*a, *b); }

#define VK_REDUCE(name, f, over)                                                            \
  int name(const double* in, double* out, int rows, int cols, int* outRows, int* outCols) { \
    return reduce<f>(in, out, rows, cols, over, outRows, outCols);                          \
  }
VK_REDUCE(DoSum, sumOf, Over::All)
VK_REDUCE(DoLSum, sumOf, Over::Rows)
VK_REDUCE(DoRSum, sumOf, Over::Columns)
VK_REDUCE(DoMean, meanOf, Over::All)
VK_REDUCE(DoLMean, meanOf, Over::Rows)
VK_REDUCE(DoRMean, meanOf, Over::Columns)
VK_REDUCE(DoSD, sdOf, Over::All)
VK_REDUCE(DoLSD, sdOf, Over::Rows)
VK_REDUCE(DoRSD, sdOf, Over::Columns)
VK_REDUCE(DoMin, minOf, Over::All)
VK_REDUCE(DoLMin, minOf, Over::Rows)
VK_REDUCE(DoRMin, minOf, Over::Columns)
VK_REDUCE(DoMax, maxOf, Over::All)
VK_REDUCE(DoLMax, maxOf, Over::Rows)
VK_REDUCE(DoRMax, maxOf, Over::Columns)
VK_REDUCE(DoRange, rangeOf, Over::All)
VK_REDUCE(DoLRange, rangeOf, Over::Rows)
VK_REDUCE(DoRRange, rangeOf, Over::Columns)
#undef VK_REDUCE

int DoZScore(const double* in, double* out, int rows, int cols, int* outRows, int* outCols) {
  return zScore(in, out, rows, cols, Over::All, outRows, outCols);
}
int DoLZScore(const double* in, double* out, int rows, int cols, int* outRows, int* outCols) {
  return zScore(in, out, rows, cols, Over::Rows, outRows, outCols);
}
int DoRZScore(const double* in, double* out, int rows, int cols, int* outRows, int* outCols) {
  return zScore(in, out, rows, cols, Over::Columns, outRows, outCols);
}
