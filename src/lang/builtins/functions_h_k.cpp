// Built-ins H to K: one table per letter, in the order of precedence. K holds the dictionary
// searches, whose hits eBookMidashiList turns into headings.

#include "lang/builtins/dictionary_builtins.h"
#include "lang/builtins/dispatch.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "diary/calendar_arithmetic.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/run_state.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/czt.h"
#include "lang/stdlib/image_stats.h"
#include "lang/stdlib/kanji_code.h"
#include "lang/stdlib/linear_algebra.h"
#include "lang/stdlib/matrix_utils.h"
#include "lang/stdlib/random_dist.h"
#include "lang/stdlib/spline.h"
#include "lang/stdlib/statistics.h"
#include "lang/text_services.h"
#include "lang/variables.h"

namespace {

using namespace pravella::builtins;

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

// Pops a 1 x 1 real through `buffer` into *value; "Invalid arguments." otherwise.
int popNumber(CalcStackEntry* stack, int* sp, double* buffer, double* value) {
  VkArg arg;
  if (!vkPopArg(stack, sp, buffer, &arg)) return 0;
  if (!arg.isNumber()) return invalidArguments();
  *value = buffer[0];
  return 1;
}

int popString(CalcStackEntry* stack, int* sp, double* buffer) {
  VkArg arg;
  if (!vkPopArg(stack, sp, buffer, &arg)) return 0;
  return arg.isString() ? 1 : invalidArguments();
}

// Truncation toward zero into an int; values beyond the int range are clamped so that the
// tests that follow refuse them instead of wrapping.
// ---------------------------------------------------------------------------------------
// H

int hex2dec(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_ta)) return 0;
  const double value = HexToDec(text(vk_ta));
  if (!std::isfinite(value)) {
    error_disp("The hexadecimal number is too large.");
    return 0;
  }
  return pushMatrix(stack, sp, &value, 1, 1);
}

int hendou(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  int outRows = 0, outCols = 0;
  if (!DoHendouKeisu(vk_ta, vk_tc, rows, cols, &outRows, &outCols)) return 0;
  return pushMatrix(stack, sp, vk_tc, outRows, outCols);
}

int hankel(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double m = 0;
  if (!popNumber(stack, sp, vk_ta, &m)) return 0;
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (cols != 1) return invalidArguments();
  int outRows = 0, outCols = 0;
  if (!DoHankel(vk_ta, rows, vkTruncToInt(m), &outRows, &outCols, vk_tc)) {
    error_disp("Invalid matrix size.");
    return 0;
  }
  return pushMatrix(stack, sp, vk_tc, outRows, outCols);
}

// The new size: with 2 arguments a 1 x 2 row (columns, rows), with 3 the numbers rows, columns.
int popNewSize(int count, CalcStackEntry* stack, int* sp, int* newRows, int* newCols) {
  if (count == 2) {
    VkArg arg;
    if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
    if (!arg.isReal() || arg.rows != 1 || arg.cols != 2) return invalidArguments();
    *newCols = vkTruncToInt(vk_ta[0]);
    *newRows = vkTruncToInt(vk_ta[1]);
    return 1;
  }
  double r = 0, c = 0;
  if (!popNumber(stack, sp, vk_ta, &c) || !popNumber(stack, sp, vk_ta, &r)) return 0;
  *newRows = vkTruncToInt(r);
  *newCols = vkTruncToInt(c);
  return 1;
}

int hokan(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  int newRows = 0, newCols = 0, rows = 0, cols = 0;
  if (!popNewSize(count, stack, sp, &newRows, &newCols)) return 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 1 || cols < 1) return invalidArguments();
  if (!DoHokan(vk_ta, vk_tb, vk_tc, rows, cols, newRows, newCols)) return 0;
  return pushMatrix(stack, sp, vk_tc, newRows, newCols);
}

int hokanN(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = code[*pc].argc;
  int newRows = 0, newCols = 0, rows = 0, cols = 0;
  if (!popNewSize(count, stack, sp, &newRows, &newCols)) return 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (count == 2) {
    if (rows < 3 || cols < 3) return invalidArguments();
  } else {
    // A dimension that keeps its size (or is a single line) needs no three samples.
    const bool accepted = newRows >= 1 && newCols >= 1 &&
                          ((rows >= 3 && (cols >= 3 || cols == newCols || cols == 1)) ||
                           (rows >= 1 && rows < 3 && cols >= 3 && (rows == newRows || rows == 1)));
    if (!accepted) return invalidArguments();
  }
  if (!DoHokanN(vk_ta, vk_tb, vk_tc, rows, cols, newRows, newCols)) return 0;
  return pushMatrix(stack, sp, vk_tc, newRows, newCols);
}

constexpr std::array kH{
    VkBuiltin{"hex2dec", 1, hex2dec}, VkBuiltin{"hendou", 1, hendou}, VkBuiltin{"hankel", 2, hankel},
    VkBuiltin{"hokan", 2, hokan},     VkBuiltin{"hokanN", 2, hokanN}, VkBuiltin{"hokan", 3, hokan},
    VkBuiltin{"hokanN", 3, hokanN},
};

// ---------------------------------------------------------------------------------------
// I

using WindowStat = int (*)(const double*, int, int, int, double*);

template <WindowStat Routine>
int imageWindowStat(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double kValue = 0;
  if (!popNumber(stack, sp, vk_tc, &kValue)) return 0;
  const int k = vkTruncToInt(kValue);
  if (k < 1) return invalidArguments();
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 2 || cols < 2 || k >= rows || k >= cols) return invalidArguments();
  if (!Routine(vk_ta, rows, cols, k, vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

// Unlike the mean and deviation, the window is not tested against the image size.
int imageCorrelationAB(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double kValue = 0;
  if (!popNumber(stack, sp, vk_tc, &kValue)) return 0;
  if (!(kValue >= 1)) return invalidArguments();
  const int k = vkTruncToInt(kValue);
  VkArg a, b;
  if (!vkPopArg(stack, sp, vk_tb, &b)) return 0;
  if (!b.isReal() || b.rows < 2 || b.cols < 2) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.rows != b.rows || a.cols != b.cols) return invalidArguments();
  if (!doImageCorrelationAB(vk_ta, vk_tb, a.rows, a.cols, k, vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, a.rows, a.cols);
}

int imaginaryPart(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows % 2 != 0) return invalidArguments();
  const int half = rows / 2;
  return pushMatrix(stack, sp, vk_ta + static_cast<std::size_t>(half) * cols, half, cols);
}

int inUse(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_ta)) return 0;
  int index = 0;
  double found = 0.0;
  if (findVariable(text(vk_ta), &index)) {
    const VariableRecord& record = variableTable[static_cast<std::size_t>(index)];
    if (record.state == 1 && record.data.size() > 0) found = 1.0;
  }
  return pushMatrix(stack, sp, &found, 1, 1);
}

template <double (*Round)(double)>
int roundEach(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) vk_ta[i] = Round(vk_ta[i]);
  return pushMatrix(stack, sp, vk_ta, rows, cols);
}

double roundDown(double v) { return std::floor(v); }
double roundUp(double v) { return std::ceil(v); }

template <int (*Routine)(const double*, int, int, double, double*)>
int tDistribution(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!popNumber(stack, sp, vk_tb, &n)) return 0;
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (!Routine(vk_ta, rows, cols, n, vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int intNormalDist(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (cols != 4) return invalidArguments();
  for (int i = 0; i < rows; ++i) {
    const double* row = vk_ta + static_cast<std::size_t>(i) * 4;
    const double m = row[0], s = row[1], a = row[2], b = row[3];
    if (!(s > 0)) return invalidArguments();
    const double c = s * 1.4142135623730951;
    double A = 0, B = 0;
    DoErrorFunctionSub((a - m) / c, &A);
    DoErrorFunctionSub((b - m) / c, &B);
    A = std::fabs(A);
    B = std::fabs(B);
    const bool sameSide = (a >= m && b >= m) || (a <= m && b <= m);
    // On one side the farther bound has the larger |erf|, so the difference is the area between.
    vk_tc[i] = sameSide ? std::fabs(A - B) * 0.5 : (A + B) * 0.5;
  }
  return pushMatrix(stack, sp, vk_tc, rows, 1);
}

int integration(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 2) return invalidArguments();
  if (!DoIntegration(rows, cols, vk_ta, vk_tb, vk_tc)) return invalidArguments();
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int intChiSquare(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!popNumber(stack, sp, vk_ta, &n)) return 0;
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  // The degrees of freedom stay a double: a count past the int range is still a count.
  n = std::trunc(n);
  if (!(n >= 1)) return invalidArguments();
  const long long count = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < count; ++i) {
    // Infinite degrees of freedom to an infinite bound has no limit to give.
    if (!(vk_ta[i] > 0) || (n == HUGE_VAL && vk_ta[i] == HUGE_VAL)) return invalidArguments();
    // With many degrees of freedom an element takes a long series.
    if (vkBreakHeld()) {
      error_disp(kVkBreakMessage);
      return 0;
    }
    if (!DoIntegrateChiSquare(vk_ta[i], n, vk_tc + i)) return 0;
  }
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int inverse(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  std::vector<int> pivots(static_cast<std::size_t>(rows > 0 ? rows : 1));
  double det = 0;
  if (!DoInv(vk_ta, pivots.data(), vk_tc, rows, cols, &det)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

constexpr std::array kI{
    VkBuiltin{"imageMean", 2, imageWindowStat<doImageMean>},
    VkBuiltin{"imageSD", 2, imageWindowStat<doImageSD>},
    VkBuiltin{"imageCorrelationAB", 3, imageCorrelationAB},
    VkBuiltin{"Image", 1, imaginaryPart},
    VkBuiltin{"inUse", 1, inUse},
    VkBuiltin{"int", 1, roundEach<roundDown>, vkScalarOf<roundDown>},
    VkBuiltin{"intL", 1, roundEach<roundDown>, vkScalarOf<roundDown>},
    VkBuiltin{"intH", 1, roundEach<roundUp>, vkScalarOf<roundUp>},
    VkBuiltin{"intTDistUp", 2, tDistribution<DoIntTDistUp>},
    VkBuiltin{"intTDistDown", 2, tDistribution<DoIntTDistDown>},
    VkBuiltin{"intNormalDist", 1, intNormalDist},
    VkBuiltin{"integrate", 1, integration},
    VkBuiltin{"integration", 1, integration},
    VkBuiltin{"intChiSquare", 2, intChiSquare},
    VkBuiltin{"inv", 1, inverse},
};

// ---------------------------------------------------------------------------------------
// J

int jis2sjis(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_ta)) return 0;
  if (!DoJis2sJis(text(vk_ta))) return 0;
  return pushString(stack, sp, text(vk_ta), static_cast<int>(std::strlen(text(vk_ta))));
}

int jImageCZT3(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double threshold = 0;
  if (!popNumber(stack, sp, vk_tb, &threshold)) return 0;
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 3 || cols < 3) return invalidArguments();
  long long found = 0;
  for (int i = 1; i <= rows - 2; ++i) {
    for (int j = 1; j <= cols - 2; ++j) {
      if (vk_ta[static_cast<std::size_t>(i) * cols + j] < threshold) continue;
      double re[9], im[9] = {};
      for (int u = 0; u < 3; ++u)
        for (int v = 0; v < 3; ++v)
          re[u * 3 + v] = vk_ta[static_cast<std::size_t>(i - 1 + u) * cols + (j - 1 + v)];
      if (!fft_czt2(re, im, 3, 3, 1)) continue;
      if ((found + 1) * 7 > TNumber) return 0;
      double* out = vk_tc + found * 7;
      out[0] = i;
      out[1] = j;
      constexpr int kTaps[5] = {0, 1, 3, 4, 5};  // (0,0) (0,1) (1,0) (1,1) (1,2)
      for (int k = 0; k < 5; ++k)
        out[2 + k] = std::hypot(re[kTaps[k]], im[kTaps[k]]);  // no square to overflow
      ++found;
    }
  }
  return pushMatrix(stack, sp, vk_tc, static_cast<int>(found), 7);
}

int jst2mjd(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (cols != 3 && cols != 6) return invalidArguments();
  // Row by row, so that widening n x 3 rows to six columns never needs more than one buffer.
  for (int i = 0; i < rows; ++i) {
    double row[6] = {};
    std::memcpy(row, vk_ta + static_cast<std::size_t>(i) * cols,
                sizeof(double) * static_cast<std::size_t>(cols));
    if (!doJST2MJD(row, 1, vk_tc + static_cast<std::size_t>(i) * 2)) return 0;
  }
  return pushMatrix(stack, sp, vk_tc, rows, 2);
}

constexpr std::array kJ{
    VkBuiltin{"jis2sjis", 1, jis2sjis},
    VkBuiltin{"jImageCZT3", 2, jImageCZT3},
    VkBuiltin{"jst2mjd", 1, jst2mjd},
};

constexpr std::array kK{
    VkBuiltin{"kensakuJikkou_Hyouki", 3, kensakuJikkouHyoukiEntry},
    VkBuiltin{"kensakuJikkou_Cond", 3, kensakuJikkouCondEntry},
    VkBuiltin{"kensakuJikkou_Kana", 3, kensakuJikkouKanaEntry},
    VkBuiltin{"kensakuJikkou_Kana", 4, kensakuJikkouKanaEntry},
};

}  // namespace

int DoFunctionH(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kH, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableH() { return kH; }

int DoFunctionI(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kI, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableI() { return kI; }

int DoFunctionJ(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kJ, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableJ() { return kJ; }

int DoFunctionK(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kK, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableK() { return kK; }
