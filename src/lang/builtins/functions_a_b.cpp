// Built-ins A and B: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"
#include "lang/builtins/movie_builder_builtins.h"

#include <QByteArray>

#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "graphics/axis_range.h"
#include "graphics/picture_ops.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/volume_builtins.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/stdlib/numeric_kernels.h"
#include "lang/stdlib/random_dist.h"
#include "lang/stdlib/spline.h"

namespace {

// ---------------------------------------------------------------------------------------
// A

// A function of one real matrix, element by element, same shape.
template <double (*F)(double)>
int elementWise(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  for (long long i = 0; i < a.elements(); ++i) vk_ta[i] = F(vk_ta[i]);
  return vkPushReals(stack, sp, vk_ta, a.rows, a.cols);
}

double arcSine(double v) { return std::asin(v); }
double arcCosine(double v) { return std::acos(v); }
double arcTangent(double v) { return std::atan(v); }
double absolute(double v) { return std::fabs(v); }

int atan2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg x, y;
  if (!vkPopArg(stack, sp, vk_tb, &x)) return 0;
  if (!x.isReal()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &y)) return 0;
  if (!y.isReal() || y.rows != x.rows || y.cols != x.cols) return vkInvalidArguments();
  for (long long i = 0; i < y.elements(); ++i) vk_ta[i] = std::atan2(vk_ta[i], vk_tb[i]);
  return vkPushReals(stack, sp, vk_ta, y.rows, y.cols);
}

int ascBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  std::string text;
  try {
    text.resize(static_cast<std::size_t>(a.elements()));
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return 0;
  }
  for (long long i = 0; i < a.elements(); ++i) text[i] = static_cast<char>(vkTruncToInt(vk_ta[i]));
  // An element 0 ends the string.
  const int length = static_cast<int>(std::strlen(text.c_str()));
  return vkPushString(stack, sp, text.c_str(), length);
}

// A and B side by side: two pictures are joined, two matrices (real or int) with equal rows
// are concatenated by rows.
int addParameterBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a, b;
  if (!vkPopArg(stack, sp, vk_tb, &b)) return 0;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (a.isPicture() && b.isPicture()) {
    const QByteArray first(reinterpret_cast<const char*>(vk_ta), a.rows);
    const QByteArray second(reinterpret_cast<const char*>(vk_tb), b.rows);
    QByteArray joined;
    // The join draws its second picture first, at the left.
    if (!DoAddPictureToRight(second, first, joined)) return 0;
    return PushToStack(stack, sp, joined.constData(), kValuePicture, static_cast<int>(joined.size()), 0);
  }
  const bool matrices = (a.isReal() || a.isInt()) && (b.isReal() || b.isInt());
  if (!matrices || a.rows != b.rows) return vkInvalidArguments();
  const int rows = a.rows, cols = a.cols + b.cols;
  const long long elements = static_cast<long long>(rows) * cols;
  if (a.isReal() && b.isReal()) {
    if (elements > TNumber) return vkInvalidArguments();
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < a.cols; ++c)
        vk_tc[static_cast<long long>(r) * cols + c] = vk_ta[static_cast<long long>(r) * a.cols + c];
      for (int c = 0; c < b.cols; ++c)
        vk_tc[static_cast<long long>(r) * cols + a.cols + c] = vk_tb[static_cast<long long>(r) * b.cols + c];
    }
    return vkPushReals(stack, sp, vk_tc, rows, cols);
  }
  // Either one integer: the result is integer, real elements truncated toward zero.
  if (elements > 2LL * TNumber) return vkInvalidArguments();
  auto element = [](const VkArg& arg, const double* buf, long long i) -> int32_t {
    return arg.isInt() ? reinterpret_cast<const int32_t*>(buf)[i] : vkTruncToInt(buf[i]);
  };
  int32_t* out = reinterpret_cast<int32_t*>(vk_tc);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < a.cols; ++c)
      out[static_cast<long long>(r) * cols + c] = element(a, vk_ta, static_cast<long long>(r) * a.cols + c);
    for (int c = 0; c < b.cols; ++c)
      out[static_cast<long long>(r) * cols + a.cols + c] =
          element(b, vk_tb, static_cast<long long>(r) * b.cols + c);
  }
  return PushToStack(stack, sp, out, kValueInt, rows, cols);
}

int axisBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double low = 0, high = 0;
  if (!vkPopNumber(stack, sp, &low)) return 0;
  if (!vkPopNumber(stack, sp, &high)) return 0;
  if (!(low < high)) return vkInvalidArguments();
  double step = 0;
  // A range past 1e+300 gives no row to use: "Axis range overflow" fails the run.
  if (!AxisGet(&high, &low, &step)) return 0;
  const double row[3] = {high, low, step};
  return vkPushReals(stack, sp, row, 1, 3);
}

constexpr VkBuiltin kA[] = {
    {"acr_nema", 2, pravella::builtins::volume::acrNema},
    {"acr_nema_list", 1, pravella::builtins::volume::acrNemaList},
    {"angleVolumeData", 2, pravella::builtins::volume::angleVolumeData},
    {"addParameter", 2, addParameterBuiltin},
    {"addP", 2, addParameterBuiltin},
    {"addImageToMovie", 2, pravella::builtins::addImageToMovieBuiltin},
    {"asc", 1, ascBuiltin},
    {"asin", 1, elementWise<arcSine>, vkScalarOf<arcSine>},
    {"acos", 1, elementWise<arcCosine>, vkScalarOf<arcCosine>},
    {"atan", 1, elementWise<arcTangent>, vkScalarOf<arcTangent>},
    {"atan", 2, atan2Builtin},
    {"abs", 1, elementWise<absolute>, vkScalarOf<absolute>},
    {"axis", 2, axisBuiltin},
};

// ---------------------------------------------------------------------------------------
// B

int byteOrderBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  char* text = reinterpret_cast<char*>(vk_ta);
  if (!vkPopString(stack, sp, text)) return 0;
  static const char* const kBig[] = {"BigEndian", "bigEndian", "Big", "big", "ppc"};
  static const char* const kLittle[] = {"LittleEndian", "littleEndian", "Little", "little",
                                        "i386",         "Default",      "default"};
  for (const char* name : kBig)
    if (std::strcmp(text, name) == 0) {
      ByteOrderBigEndian = 1;
      return 1;
    }
  for (const char* name : kLittle)
    if (std::strcmp(text, name) == 0) {
      ByteOrderBigEndian = 0;
      return 1;
    }
  const char* current = ByteOrderBigEndian ? "BigEndian" : "LittleEndian";
  return vkPushString(stack, sp, current, static_cast<int>(std::strlen(current)));
}

int byteOrderBigEndianBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  if (v == 1) {
    ByteOrderBigEndian = 1;
    return 1;
  }
  if (v == 0 || v > 1) {
    ByteOrderBigEndian = 0;
    return 1;
  }
  return vkPushScalar(stack, sp, ByteOrderBigEndian ? 1.0 : 0.0);
}

int beepSoundStatusBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  if (v == 0) {
    pvSoundStatus = 0;
    return 1;
  }
  if (v > 0) {
    pvSoundStatus = 1;
    return 1;
  }
  return vkPushScalar(stack, sp, pvSoundStatus.load());
}

int bitDispBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  for (long long i = 0; i < a.elements(); ++i) {
    int32_t v = vkTruncToInt(vk_ta[i]);
    double digits = 0, place = 1;
    for (int bit = 0; bit < 8; ++bit, v /= 2, place *= 10)
      if (v % 2 != 0) digits += place;
    vk_ta[i] = digits;
  }
  return vkPushReals(stack, sp, vk_ta, a.rows, a.cols);
}

template <int (*Op)(int32_t, int32_t)>
int bitBinary(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a, b;
  if (!vkPopArg(stack, sp, vk_tb, &b)) return 0;
  if (!b.isReal()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  const bool scalar = b.rows == 1 && b.cols == 1;
  if (!scalar && (a.rows != b.rows || a.cols != b.cols)) return vkInvalidArguments();
  for (long long i = 0; i < a.elements(); ++i)
    vk_ta[i] = Op(vkTruncToInt(vk_ta[i]), vkTruncToInt(scalar ? vk_tb[0] : vk_tb[i]));
  return vkPushReals(stack, sp, vk_ta, a.rows, a.cols);
}

int bitAnd(int32_t x, int32_t y) { return x & y; }
int bitOr(int32_t x, int32_t y) { return x | y; }
int bitXor(int32_t x, int32_t y) { return x ^ y; }

int bitNotBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  for (long long i = 0; i < a.elements(); ++i) vk_ta[i] = vkTruncToInt(vk_ta[i]) == 0 ? 1.0 : 0.0;
  return vkPushReals(stack, sp, vk_ta, a.rows, a.cols);
}

// The low `bits` bits of each element in reverse order.
int bitReverse(CalcStackEntry* stack, int* sp, const VkArg& a, int bits) {
  for (long long i = 0; i < a.elements(); ++i) {
    int32_t v = vkTruncToInt(vk_ta[i]);
    double weight = std::ldexp(1.0, bits - 1), sum = 0;
    for (int bit = 0; bit < bits; ++bit, v /= 2, weight /= 2)
      if (v % 2 != 0) sum += weight;
    vk_ta[i] = sum;
  }
  return vkPushReals(stack, sp, vk_ta, a.rows, a.cols);
}

int bitRev1Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  return bitReverse(stack, sp, a, 8);
}

int bitRev2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!vkPopNumber(stack, sp, &n)) return 0;
  const int bits = vkTruncToInt(n);
  if (bits <= 0 || bits > 32) return vkInvalidArguments();
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  return bitReverse(stack, sp, a, bits);
}

int bitCalc3Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a, op, b;
  if (!vkPopArg(stack, sp, vk_tb, &b)) return 0;
  if (!b.isReal()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_tc, &op)) return 0;
  if (!op.isString()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.rows != b.rows || a.cols != b.cols) return vkInvalidArguments();
  if (!DoBitCalc(vk_ta, vk_tb, a.rows, a.cols, reinterpret_cast<const char*>(vk_tc))) {
    error_disp("Invalid calc.mode");
    return 0;
  }
  return vkPushReals(stack, sp, vk_ta, a.rows, a.cols);
}

// With no second operand only the unary operator makes sense; a binary one would combine A
// with whatever an earlier built-in left in a scratch buffer.
int bitCalc2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a, op;
  if (!vkPopArg(stack, sp, vk_tc, &op)) return 0;
  if (!op.isString()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  const char* name = reinterpret_cast<const char*>(vk_tc);
  if (std::strcmp(name, "~") != 0 || !DoBitCalc(vk_ta, nullptr, a.rows, a.cols, name)) {
    error_disp("Invalid calc.mode");
    return 0;
  }
  return vkPushReals(stack, sp, vk_ta, a.rows, a.cols);
}

int boundaryBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal() || m.rows <= 2 || m.cols <= 2) return vkInvalidArguments();
  const int rows = m.rows, cols = m.cols;
  auto at = [&](int r, int c) { return vk_ta[static_cast<long long>(r) * cols + c]; };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      double mark = 0.0;
      if (at(r, c) != 0)
        for (int i = r - 1; i <= r + 1 && mark == 0; ++i)
          for (int j = c - 1; j <= c + 1; ++j)
            if (i >= 0 && i < rows && j >= 0 && j < cols && at(i, j) == 0) {
              mark = 1.0;
              break;
            }
      vk_tc[static_cast<long long>(r) * cols + c] = mark;
    }
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

int betaBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg p, q;
  if (!vkPopArg(stack, sp, vk_tb, &q)) return 0;
  if (!q.isReal()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &p)) return 0;
  if (!p.isReal()) return vkInvalidArguments();
  int n = 0;
  bool pScalar = false, qScalar = false;
  if (p.rows == q.rows && p.cols == 1 && q.cols == 1) {
    n = p.rows;
  } else if (p.rows == 1 && p.cols == 1 && q.cols == 1) {
    n = q.rows;
    pScalar = true;
  } else if (q.rows == 1 && q.cols == 1 && p.cols == 1) {
    n = p.rows;
    qScalar = true;
  } else {
    error_disp("Invalid size.");
    return 0;
  }
  // Like gamma, the beta function is taken of arguments above 0 (its gammas give no meaningful
  // value at or below 0, and B(inf, -1) no number at all); infinity is the limit there.
  for (int i = 0; i < n; ++i)
    if (!(vk_ta[pScalar ? 0 : i] > 0) || !(vk_tb[qScalar ? 0 : i] > 0)) return vkInvalidArguments();
  for (int i = 0; i < n; ++i) DoBeta(vk_ta[pScalar ? 0 : i], vk_tb[qScalar ? 0 : i], &vk_tc[i]);
  return vkPushReals(stack, sp, vk_tc, n, 1);
}

int bibun2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double kv = 0;
  if (!vkPopNumber(stack, sp, &kv)) return 0;
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal()) return vkInvalidArguments();
  // A window of no width divides by zero, and one wider than the data leaves no rows.
  const int k = vkTruncToInt(kv);
  if (k < 1 || static_cast<long long>(m.rows) - 2LL * k < 1) return vkInvalidArguments();
  int rows = 0, cols = 0;
  DoBibunN(vk_ta, vk_tc, m.rows, m.cols, k, &rows, &cols);
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

// Derivative of each column of Y by the cubic spline over x, at the points xi.
int bibun3Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg xi, y, x;
  if (!vkPopArg(stack, sp, vk_tc, &xi)) return 0;
  if (!xi.isReal() || xi.cols != 1) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_tb, &y)) return 0;
  if (!y.isReal()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &x)) return 0;
  if (!x.isReal() || x.cols != 1 || x.rows != y.rows) return vkInvalidArguments();
  // The p x m result is built where the points were, so it must fit a value.
  if (static_cast<long long>(xi.rows) * y.cols > TNumber) return vkInvalidArguments();
  const std::vector<double> points(vk_tc, vk_tc + xi.rows);
  if (!DoSplineDif(vk_ta, vk_tb, points.data(), y.rows - 1, y.cols, xi.rows, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, xi.rows, y.cols);
}

constexpr VkBuiltin kB[] = {
    {"byteOrder", 1, byteOrderBuiltin},
    {"byteOrderBigEndian", 1, byteOrderBigEndianBuiltin},
    {"beepSoundStatus", 1, beepSoundStatusBuiltin},
    {"bit_disp", 1, bitDispBuiltin},
    {"bit_and", 2, bitBinary<bitAnd>},
    {"bit_or", 2, bitBinary<bitOr>},
    {"bit_xor", 2, bitBinary<bitXor>},
    {"bit_not", 1, bitNotBuiltin},
    {"bit_rev", 1, bitRev1Builtin},
    {"bit_rev", 2, bitRev2Builtin},
    {"bitCalc", 3, bitCalc3Builtin},
    {"bitCalc", 2, bitCalc2Builtin},
    {"boundary", 1, boundaryBuiltin},
    {"beta", 2, betaBuiltin},
    {"bibun", 2, bibun2Builtin},
    {"bibun", 3, bibun3Builtin},
};

}  // namespace

int DoFunctionA(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kA, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableA() { return kA; }

int DoFunctionB(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kB, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableB() { return kB; }
