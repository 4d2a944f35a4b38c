// Built-ins S: elementary functions, sums and standard deviations, sorting, cumulative
// integrals, row selection, series, zero matrices, smoothing and splines.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/builtins/functions_s_parts.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/matrix_utils.h"
#include "lang/stdlib/spline.h"
#include "lang/stdlib/statistics.h"
#include "lang/stdlib/string_utils.h"
#include "lang/stdlib/symmetric_line_image.h"

namespace pravella::builtins::s {

namespace {

using Elementwise = double (*)(double);

int elementwise(CalcStackEntry* stack, int* sp, Elementwise f) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) vk_ta[i] = f(vk_ta[i]);
  return pushMatrix(stack, sp, vk_ta, rows, cols);
}

// A statistics routine of the family: one matrix in, the routine gives the result's shape.
using Statistic = int (*)(const double*, double*, int, int, int*, int*);

int statistic(CalcStackEntry* stack, int* sp, Statistic f) {
  int rows = 0, cols = 0, outRows = 0, outCols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (!f(vk_ta, vk_tb, rows, cols, &outRows, &outCols)) return 0;
  return pushMatrix(stack, sp, vk_tb, outRows, outCols);
}

// Start, end and step of a series: the first three elements of one matrix, or the first
// element of each of three arguments.
int popSeriesArgs(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp, double* start, double* end,
                  double* step) {
  VkArg a;
  if (code[*pc].argc == 1) {
    if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
    if (!a.isReal() || a.elements() < 3) return invalidArguments();
    *start = vk_ta[0];
    *end = vk_ta[1];
    *step = vk_ta[2];
    return 1;
  }
  double* values[3] = {step, end, start};
  for (double* v : values) {
    if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
    if (!a.isReal() || a.elements() < 1) return invalidArguments();
    *v = vk_ta[0];
  }
  return 1;
}

// A real column on top of the stack sorted in its own block (a copy of a variable's block when
// one shares it) instead of through two scratch buffers, so that a long column costs no memory
// beyond its result. 1 done, 0 failed, -1 when the top is not such a column.
int sortColumnOnStack(CalcStackEntry* stack, int* sp) {
  if (*sp <= 0) return -1;
  CalcStackEntry& e = stack[*sp - 1];
  const std::size_t n = static_cast<std::size_t>(e.msize);
  if (e.type != kValueReal || e.nsize != 1 || e.msize < 1 || n > static_cast<std::size_t>(TNumber) ||
      e.data.size() != n * 8)
    return -1;
  bool ok = true;
  if (e.data.shared()) {
    VkBytes own;
    ok = own.assign(e.data.cdata(), n * 8);
    if (ok) e.data = std::move(own);
  }
  // The merge's work area (only for values that are not numbers) is the scratch buffer vk_tb.
  if (ok && DoSortValues(e.data.doubles(), e.msize, vk_tb)) return 1;
  // As the row sort: memory that cannot be had fails the built-in without a message.
  --*sp;
  e.data.release();
  return 0;
}

}  // namespace

int sort1Entry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (const int done = sortColumnOnStack(stack, sp); done >= 0) return done;
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (a.isString()) {
    if (std::strlen(text(vk_ta)) > static_cast<std::size_t>(TNumber) * 8 - 1)
      return fail("Invalid String Size.");
    std::string out;
    const int sorted = SortString(text(vk_ta), out);
    if (sorted < 0) return 0;
    if (!sorted) return fail("Can not allocate memory.");
    return pushString(stack, sp, out.c_str(), static_cast<int>(out.size()));
  }
  if (!a.isReal()) return fail("Invalid Data type.");
  if (a.elements() == 0) return pushMatrix(stack, sp, vk_ta, a.rows, a.cols);
  if (!DoMergeSort(vk_ta, vk_tb, a.rows, a.cols, 1)) return 0;
  return pushMatrix(stack, sp, vk_tb, a.rows, a.cols);
}

int sort2Entry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double key = 0;
  if (!vkPopNumber(stack, sp, &key)) return 0;
  if (vkTruncToInt(key) == 1)
    if (const int done = sortColumnOnStack(stack, sp); done >= 0) return done;
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  const int k = vkTruncToInt(key);
  if (!a.isReal() || k <= 0 || k > a.cols) return invalidArguments();
  if (a.rows == 0) return pushMatrix(stack, sp, vk_ta, a.rows, a.cols);
  if (!DoMergeSort(vk_ta, vk_tb, a.rows, a.cols, k)) return 0;
  return pushMatrix(stack, sp, vk_tb, a.rows, a.cols);
}

int sekibunEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg y, x;
  if (!vkPopArg(stack, sp, vk_tb, &y)) return 0;
  if (!y.isReal()) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &x)) return 0;
  if (!x.isReal() || x.rows != y.rows || x.cols != 1 || y.rows < 1) return invalidArguments();
  if (!DoSekibun(y.rows, y.cols, vk_tb, vk_ta, vk_tc)) return invalidArguments();
  return pushMatrix(stack, sp, vk_tc, y.rows, y.cols);
}

int selectIfEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg sel, m;
  if (!vkPopArg(stack, sp, vk_tb, &sel)) return 0;
  if (!sel.isReal() || sel.cols != 1) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal() || m.rows != sel.rows) return invalidArguments();
  int k = 0;
  for (int i = 0; i < m.rows; ++i) {
    // Truncated: a selector strictly between -1 and 1 does not select.
    if (vkTruncToInt(vk_tb[i]) == 0) continue;
    std::memmove(vk_tc + static_cast<std::size_t>(k) * m.cols, vk_ta + static_cast<std::size_t>(i) * m.cols,
                 sizeof(double) * static_cast<std::size_t>(m.cols));
    ++k;
  }
  return pushMatrix(stack, sp, vk_tc, k, m.cols);
}

int symmetricLineImageEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg line, image;
  if (!vkPopArg(stack, sp, vk_tb, &line)) return 0;
  if (!line.isReal() || line.rows != 2 || line.cols != 2) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &image)) return 0;
  if (!image.isReal() || image.rows < 2 || image.cols < 2) return invalidArguments();
  if (!DoSymmetricLineImage(vk_ta, image.rows, image.cols, vk_tb, vk_tc)) return fail("Calculation Error");
  return pushMatrix(stack, sp, vk_tc, image.rows, image.cols);
}

double sineOf(double v) { return std::sin(v); }
double hyperbolicSineOf(double v) { return std::sinh(v); }

int sinEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return elementwise(stack, sp, sineOf); }
int sinhEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return elementwise(stack, sp, hyperbolicSineOf);
}

int sqrtEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  // A real matrix on the stack is replaced by its roots directly: one read and one write per
  // element, in its own block when no variable shares it, instead of two scratch-buffer copies.
  if (*sp > 0) {
    CalcStackEntry& e = stack[*sp - 1];
    const std::size_t n = static_cast<std::size_t>(e.msize) * static_cast<std::size_t>(e.nsize);
    if (e.type == kValueReal && e.msize >= 0 && e.nsize >= 0 && n <= static_cast<std::size_t>(TNumber) &&
        e.data.size() == n * 8) {
      VkBytes result;
      const bool inPlace = !e.data.shared();
      if (!inPlace && !result.resize(n * 8)) {
        error_disp("Memory allocation error.");
        return 0;
      }
      int outRows = 0, outCols = 0;
      --*sp;
      double* out = inPlace ? e.data.doubles() : result.doubles();
      if (!DoSqrt(e.data.cdoubles(), nullptr, out, e.msize, e.nsize, &outRows, &outCols)) return 0;
      if (!inPlace) e.data = std::move(result);
      ++*sp;
      return 1;
    }
  }
  int rows = 0, cols = 0, outRows = 0, outCols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (!DoSqrt(vk_ta, nullptr, vk_tb, rows, cols, &outRows, &outCols)) return 0;
  return pushMatrix(stack, sp, vk_tb, outRows, outCols);
}

int sumEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return statistic(stack, sp, DoSum); }
int sdEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return statistic(stack, sp, DoSD); }

int seriesEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  double start = 0, end = 0, step = 0;
  if (!popSeriesArgs(code, pc, stack, sp, &start, &end, &step)) return 0;
  if (!(end > start && step > 0)) return invalidArguments();
  const double limit = end + 1e-15;
  // Repeated addition of a step below the spacing of the doubles at the series' end would
  // leave the value where it is: 1e+17 + 1 is 1e+17.
  const double largest = std::max(std::fabs(start), std::fabs(limit));
  if (!(step >= std::nextafter(largest, HUGE_VAL) - largest)) {
    error_disp("Series step too fine for the numbers");
    return 0;
  }
  int k = 0;
  // Repeated addition, as the series has always been made.
  for (double x = start; x <= limit; x += step) {
    if (k >= TNumber - 1) return invalidArguments();
    vk_tb[k++] = x;
  }
  return pushMatrix(stack, sp, vk_tb, k, 1);
}

int seriesXEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  double start = 0, end = 0, step = 0;
  if (!popSeriesArgs(code, pc, stack, sp, &start, &end, &step)) return 0;
  if (!(end > start && step > 0)) return invalidArguments();
  const double count = std::trunc((end - start) / step);
  if (!(count < TNumber)) return invalidArguments();
  const int k = static_cast<int>(count);
  // One value cannot be spread from start to end: it is the start.
  const double d = k > 1 ? (end - start) / (k - 1) : 0.0;
  for (int i = 0; i < k; ++i) vk_tb[i] = start + i * d;
  return pushMatrix(stack, sp, vk_tb, k, 1);
}

int sizeEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double m = 0, n = 0;
  if (!vkPopNumber(stack, sp, &n)) return 0;
  if (!vkPopNumber(stack, sp, &m)) return 0;
  const long long rows = vkTruncToInt(m), cols = vkTruncToInt(n);
  if (rows < 0 || cols < 0 || rows * cols > TNumber) return invalidArguments();
  std::fill_n(vk_ta, rows * cols, 0.0);
  return pushMatrix(stack, sp, vk_ta, static_cast<int>(rows), static_cast<int>(cols));
}

int smoothEntry(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int argc = code[*pc].argc;
  if (*sp >= argc && stack[*sp - argc].type == kValuePicture)
    return vkPictureBuiltinEntry(count, code, pc, stack, sp);
  VkArg a;
  if (argc == 1) {
    if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
    if (!a.isReal()) return invalidArguments();
    if (a.elements() > 0) DoSmoothMatrix(vk_ta, vk_tb, a.rows, a.cols);
    return pushMatrix(stack, sp, vk_tb, a.rows, a.cols);
  }
  VkArg w;
  if (!vkPopArg(stack, sp, vk_tb, &w)) return 0;
  if (!w.isNumber()) return invalidArguments();  // a 1 x 3 goes with a picture only
  const int window = vkTruncToInt(vk_tb[0]);
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  // A window below one row would average nothing.
  if (!a.isReal() || window < 1 || window > a.rows) return invalidArguments();
  int outRows = 0, outCols = 0;
  if (!DoSmoothN(vk_ta, vk_tb, a.rows, a.cols, window, &outRows, &outCols)) return 0;
  return pushMatrix(stack, sp, vk_tb, outRows, outCols);
}

int splineEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg nx, y, x;
  if (!vkPopArg(stack, sp, vk_tc, &nx)) return 0;
  if (!nx.isReal() || nx.cols != 1) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_tb, &y)) return 0;
  if (!y.isReal()) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &x)) return 0;
  if (!x.isReal() || x.cols != 1 || x.rows != y.rows) return invalidArguments();
  if (static_cast<long long>(nx.rows) * y.cols > TNumber) return invalidArguments();
  std::vector<double> out(static_cast<std::size_t>(nx.rows) * static_cast<std::size_t>(y.cols));
  if (!DoSpline(vk_ta, vk_tb, vk_tc, x.rows, y.cols, nx.rows, out.data())) return 0;
  return pushMatrix(stack, sp, out.data(), nx.rows, y.cols);
}

int smoothBSEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double degree = 0;
  if (!vkPopNumber(stack, sp, &degree)) return 0;
  const int d = vkTruncToInt(degree);
  if (d < 1 || d > 8) return invalidArguments();
  const int p = d + 1;  // the order
  VkArg knots, y, x;
  if (!vkPopArg(stack, sp, vk_tc, &knots)) return 0;
  if (!knots.isReal() || knots.cols != 1) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_tb, &y)) return 0;
  if (!y.isReal() || y.cols != 1 || y.rows < 1) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &x)) return 0;
  if (!x.isReal() || x.cols != 1 || x.rows != y.rows) return invalidArguments();
  const int m = knots.rows, n = x.rows;
  if (!(m + p < n) || static_cast<long long>(n) * 3 > TNumber) return invalidArguments();
  std::vector<double> t;
  t.reserve(static_cast<std::size_t>(m + 2 * p));
  t.insert(t.end(), static_cast<std::size_t>(p), vk_ta[0]);
  t.insert(t.end(), vk_tc, vk_tc + m);
  t.insert(t.end(), static_cast<std::size_t>(p), vk_ta[n - 1]);
  for (std::size_t i = 1; i < t.size(); ++i)
    if (!(t[i - 1] <= t[i])) return invalidArguments();
  std::vector<double> out(static_cast<std::size_t>(n) * 3);
  if (!CFITSP(vk_ta, vk_tb, n, t.data(), static_cast<int>(t.size()), p, out.data())) return 0;
  return pushMatrix(stack, sp, out.data(), n, 3);
}

}  // namespace pravella::builtins::s
