#include "lang/stdlib/matrix_utils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/cformat.h"

namespace {

bool withinTNumber(long long elements) { return elements <= TNumber; }

// Truncation toward zero to an index; values outside the int range never land in a grid.
long long truncIndex(double v) {
  if (!(std::fabs(v) < 9e18)) return v < 0 ? -1 : (1LL << 62);
  return static_cast<long long>(v);
}

}  // namespace

int DoHankel(const double* x, int n, int m, int* outRows, int* outCols, double* out) {
  const long long rows = static_cast<long long>(n) - m + 1;
  if (rows < 1 || m < 1 || !withinTNumber(rows * m)) return 0;
  for (long long i = 0; i < rows; ++i)
    for (int j = 0; j < m; ++j) out[i * m + j] = x[i + j];
  *outRows = static_cast<int>(rows);
  *outCols = m;
  return 1;
}

int DoConvolutionMatrix(const double* x, int n, int m, double* out) {
  if (m < 1 || n < m || !withinTNumber(static_cast<long long>(n) * m)) return 0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < m; ++j) out[static_cast<std::size_t>(i) * m + j] = i >= j ? x[i - j] : 0.0;
  return 1;
}

int DoRotate(const double* in, int rows, int cols, int k, double* out) {
  if (std::abs(static_cast<long long>(k)) > rows) {
    error_disp("invalid rotation number");
    return 0;
  }
  for (int i = 0; i < rows; ++i) {
    const int from = ((i + k) % rows + rows) % rows;
    std::copy(in + static_cast<std::size_t>(from) * cols, in + static_cast<std::size_t>(from + 1) * cols,
              out + static_cast<std::size_t>(i) * cols);
  }
  return 1;
}

int DoValuePattern(const double* points, int k, int rows, int cols, double* out) {
  if (rows < 2 || cols < 2 || !withinTNumber(2LL * rows * cols)) {
    error_disp("invalid matrix size");
    return 0;
  }
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  for (int p = 0; p < k; ++p) {
    const double x = points[p * 3], y = points[p * 3 + 1];
    if (p == 0 || x < xmin) xmin = x;
    if (p == 0 || x > xmax) xmax = x;
    if (p == 0 || y < ymin) ymin = y;
    if (p == 0 || y > ymax) ymax = y;
  }
  if (xmax == xmin || ymax == ymin) {
    error_disp("invalid range");
    return 0;
  }
  const std::size_t cells = static_cast<std::size_t>(rows) * cols;
  double* sums = out;
  double* counts = out + cells;
  std::fill(out, out + 2 * cells, 0.0);
  for (int p = 0; p < k; ++p) {
    const long long c = truncIndex((points[p * 3] - xmin) * (cols - 1) / (xmax - xmin));
    const long long r = truncIndex((points[p * 3 + 1] - ymin) * (rows - 1) / (ymax - ymin));
    if (r < 0 || r >= rows || c < 0 || c >= cols) continue;
    sums[r * cols + c] += points[p * 3 + 2];
    counts[r * cols + c] += 1;
  }
  for (std::size_t i = 0; i < cells; ++i) sums[i] = counts[i] != 0 ? sums[i] / counts[i] : 0.0;
  return 1;
}

namespace {

// The source position of output element (r, c): the row vector (c, r, 1) times H.
void warpSource(const double* h, int r, int c, double* xs, double* ys) {
  const double w = c * h[2] + r * h[5] + h[8];
  *xs = (c * h[0] + r * h[3] + h[6]) / w;
  *ys = (c * h[1] + r * h[4] + h[7]) / w;
}

}  // namespace

int DoConvXY(const double* image, int rows, int cols, const double* h, double* out) {
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      double xs = 0, ys = 0;
      warpSource(h, r, c, &xs, &ys);
      const long long ix = truncIndex(xs), iy = truncIndex(ys);
      double v = 0.0;
      if (iy >= 0 && iy < rows - 1 && ix >= 0 && ix < cols - 1) {
        const double fx = xs - ix, fy = ys - iy;
        const double* p = image + iy * cols + ix;
        v = (1 - fx) * (1 - fy) * p[0] + fx * (1 - fy) * p[1] + (1 - fx) * fy * p[cols] +
            fx * fy * p[cols + 1];
      }
      out[static_cast<std::size_t>(r) * cols + c] = v;
    }
  return 1;
}

int DoConvXY_old(const double* image, int rows, int cols, const double* h, double* out) {
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      double xs = 0, ys = 0;
      warpSource(h, r, c, &xs, &ys);
      const long long ix = truncIndex(xs), iy = truncIndex(ys);
      out[static_cast<std::size_t>(r) * cols + c] =
          (iy >= 0 && iy < rows && ix >= 0 && ix < cols) ? image[iy * cols + ix] : 0.0;
    }
  return 1;
}

int DoChangeXY(const double* matrix, int rows, int cols, double* out, int* outRows, int* outCols) {
  long long count = 0;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const double v = matrix[static_cast<std::size_t>(r) * cols + c];
      if (v == 0.0) continue;  // NaN compares unequal and is listed
      if (!withinTNumber(3 * (count + 1))) {
        error_disp("too many data!");
        return 0;
      }
      out[count * 3] = r + 1;
      out[count * 3 + 1] = c + 1;
      out[count * 3 + 2] = v;
      ++count;
    }
  *outRows = static_cast<int>(count);
  *outCols = 3;
  return 1;
}

int DoMulti3(const double* a, const double* b, double* out) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 3; ++k) sum += a[r * 3 + k] * b[k * 3 + c];
      out[r * 3 + c] = sum;
    }
  return 1;
}

int DecToHex(unsigned int value, std::string& out, int width) {
  switch (width) {
    case 1:
      out = pravella::cformat("%01X", value);
      break;
    case 2:
      out = pravella::cformat("%02X", value);
      break;
    case 3:
      out = pravella::cformat("%03X", value);
      break;
    case 4:
      out = pravella::cformat("%04X", value);
      break;
    case 5:
      out = pravella::cformat("%05X", value);
      break;
    case 6:
      out = pravella::cformat("%06X", value);
      break;
    case 7:
      out = pravella::cformat("%07X", value);
      break;
    case 8:
      out = pravella::cformat("%08X", value);
      break;
    default:
      out = pravella::cformat("%X", value);
      break;
  }
  return 1;
}

int DoSmoothMatrix(const double* in, double* out, int rows, int cols) {
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      double sum = 0.0;
      int count = 0;
      for (int i = std::max(r - 1, 0); i <= std::min(r + 1, rows - 1); ++i)
        for (int j = std::max(c - 1, 0); j <= std::min(c + 1, cols - 1); ++j) {
          sum += in[static_cast<std::size_t>(i) * cols + j];
          ++count;
        }
      out[static_cast<std::size_t>(r) * cols + c] = sum / count;
    }
  return 1;
}

namespace {

// Adds `value` (and a count of 1) to every cell within r of (iy, ix) inside the grid. Returns
// the number of cells it touched.
long long spread(long long iy, long long ix, int r, int gridRows, int gridCols, double value, double* sums,
                 std::vector<int>* counts) {
  if (r < 0) return 0;
  const long long r0 = std::max(iy - r, 0LL), r1 = std::min(iy + r, static_cast<long long>(gridRows) - 1);
  const long long c0 = std::max(ix - r, 0LL), c1 = std::min(ix + r, static_cast<long long>(gridCols) - 1);
  for (long long row = r0; row <= r1; ++row)
    for (long long col = c0; col <= c1; ++col) {
      sums[row * gridCols + col] += value;
      if (counts) ++(*counts)[row * gridCols + col];
    }
  return std::max(0LL, r1 - r0 + 1) * std::max(0LL, c1 - c0 + 1);
}

// A radius as wide as the grid makes every point touch every cell: many points over a large
// grid take minutes, so the break is looked at as the cells touched add up.
int broken() {
  error_disp(kVkBreakMessage);
  return 0;
}

}  // namespace

int DoTensya(const double* x, const double* y, double* valuesAndGrid, int rows, int cols, int gridRows,
             int gridCols, int r) {
  const std::size_t points = static_cast<std::size_t>(rows) * cols;
  const std::size_t cells = static_cast<std::size_t>(std::max(gridRows, 0)) * std::max(gridCols, 0);
  std::vector<double> values;
  std::vector<int> counts;
  try {
    values.assign(valuesAndGrid, valuesAndGrid + points);
    counts.assign(cells, 0);
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return 0;
  }
  std::fill(valuesAndGrid, valuesAndGrid + cells, 0.0);
  VkBreakByWork breakTest;
  for (std::size_t p = 0; p < points; ++p)
    if (breakTest.held(1 + spread(truncIndex(y[p] - 1), truncIndex(x[p] - 1), r, gridRows, gridCols,
                                  values[p], valuesAndGrid, &counts)))
      return broken();
  for (std::size_t i = 0; i < cells; ++i)
    if (counts[i] != 0) valuesAndGrid[i] /= counts[i];
  return 1;
}

int DoTensyaCount(const double* x, const double* y, double* out, int rows, int cols, int gridRows,
                  int gridCols, int r) {
  const std::size_t points = static_cast<std::size_t>(rows) * cols;
  const std::size_t cells = static_cast<std::size_t>(std::max(gridRows, 0)) * std::max(gridCols, 0);
  std::fill(out, out + cells, 0.0);
  VkBreakByWork breakTest;
  for (std::size_t p = 0; p < points; ++p)
    if (breakTest.held(1 +
                       spread(truncIndex(y[p]), truncIndex(x[p]), r, gridRows, gridCols, 1.0, out, nullptr)))
      return broken();
  return 1;
}

namespace {

// C(n, k), or `cap` + 1 once it passes cap.
long long combinationsUpTo(int n, int k, long long cap) {
  k = std::min(k, n - k);
  long long c = 1;
  for (int i = 1; i <= k; ++i) {
    // C(n - k + i, i): exact at every step, and growing, so it stops at the cap before the
    // product of two ints could overflow.
    c = c * (n - k + i) / i;
    if (c > cap) return cap + 1;
  }
  return c;
}

}  // namespace

int vectorCombination(const double* vectors, int n, int m, int k, double* out) {
  if (n < 1 || k < 1 || m < 1 || k > n) return 0;
  // The result holds C(n, k) blocks of k x m values; when they cannot all fit, say so at once
  // rather than counting through every combination first.
  const long long perBlock = static_cast<long long>(k) * m;
  if (!withinTNumber(perBlock)) return 0;
  const long long blocks = combinationsUpTo(n, k, TNumber / perBlock);
  if (!withinTNumber(blocks * perBlock)) return 0;
  // The sets in the order of a counter whose digit 0 runs fastest, each digit above the next:
  // ascending index sets c[0] < ... < c[k - 1] in lexicographic order, block row j being input
  // row c[k - 1 - j].
  std::vector<int> c(static_cast<std::size_t>(k));
  for (int i = 0; i < k; ++i) c[static_cast<std::size_t>(i)] = i;
  for (long long b = 0; b < blocks; ++b) {
    double* block = out + b * perBlock;
    for (int j = 0; j < k; ++j) {
      const int row = c[static_cast<std::size_t>(k - 1 - j)];
      std::copy(vectors + static_cast<std::size_t>(row) * m, vectors + static_cast<std::size_t>(row + 1) * m,
                block + static_cast<std::size_t>(j) * m);
    }
    // The next set: raise the last index that can still rise and restart those after it.
    int i = k - 1;
    while (i >= 0 && c[static_cast<std::size_t>(i)] == n - k + i) --i;
    if (i < 0) break;
    ++c[static_cast<std::size_t>(i)];
    for (int j = i + 1; j < k; ++j) c[static_cast<std::size_t>(j)] = c[static_cast<std::size_t>(j - 1)] + 1;
  }
  return static_cast<int>(blocks);
}
