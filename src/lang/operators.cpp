#include "lang/operators.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "lang/assignment_target.h"
#include "lang/picture_ops.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stack.h"
#include "lang/variables.h"

namespace {

// ---------------------------------------------------------------------------------------
// Shapes.

enum class Shape { None, Same, BScalar, AScalar, BColumn, BRow, OuterColRow, OuterRowCol, Product };

struct Dims {
  int r, c, r2, c2;  // a is r by c, b is r2 by c2
};

bool fits(Shape s, const Dims& d) {
  switch (s) {
    case Shape::Same:
      return d.r == d.r2 && d.c == d.c2;
    case Shape::BScalar:
      return d.r2 == 1 && d.c2 == 1;
    case Shape::AScalar:
      return d.r == 1 && d.c == 1;
    case Shape::BColumn:
      return d.c2 == 1 && d.r2 == d.r;
    case Shape::BRow:
      return d.r2 == 1 && d.c2 == d.c;
    case Shape::OuterColRow:
      return d.c == 1 && d.r2 == 1;
    case Shape::OuterRowCol:
      return d.r == 1 && d.c2 == 1;
    case Shape::Product:
      return d.c == d.r2;
    default:
      return false;
  }
}

// Each operator family tries its shape cases in its own order; the first that fits decides.
template <std::size_t N>
Shape firstFit(const Shape (&order)[N], const Dims& d) {
  for (Shape s : order)
    if (fits(s, d)) return s;
  return Shape::None;
}

constexpr Shape kAddSubOrder[] = {Shape::Same,    Shape::BScalar, Shape::AScalar,
                                  Shape::BColumn, Shape::BRow,    Shape::OuterColRow};
constexpr Shape kElementOrder[] = {Shape::BScalar, Shape::AScalar, Shape::Same,
                                   Shape::BRow,    Shape::BColumn, Shape::OuterColRow};
constexpr Shape kDivOrder[] = {Shape::BScalar, Shape::AScalar, Shape::BRow, Shape::Same, Shape::BColumn};
constexpr Shape kMulOrder[] = {Shape::BScalar, Shape::AScalar, Shape::Product};
constexpr Shape kPowOrder[] = {Shape::BScalar, Shape::AScalar,     Shape::Same,       Shape::BRow,
                               Shape::BColumn, Shape::OuterColRow, Shape::OuterRowCol};

void resultDims(Shape s, const Dims& d, int* rows, int* cols) {
  switch (s) {
    case Shape::AScalar:
      *rows = d.r2, *cols = d.c2;
      return;
    case Shape::OuterColRow:
      *rows = d.r, *cols = d.c2;
      return;
    case Shape::OuterRowCol:
      *rows = d.r2, *cols = d.c;
      return;
    case Shape::Product:
      *rows = d.r, *cols = d.c2;
      return;
    default:
      *rows = d.r, *cols = d.c;
      return;
  }
}

// Calls f(k, ia, ib) for every result element k with the indices of its two operands.
template <typename F>
inline void forEachPair(Shape s, const Dims& d, F&& f) {
  switch (s) {
    case Shape::Same: {
      const std::size_t n = static_cast<std::size_t>(d.r) * d.c;
      for (std::size_t k = 0; k < n; ++k) f(k, k, k);
      return;
    }
    case Shape::BScalar: {
      const std::size_t n = static_cast<std::size_t>(d.r) * d.c;
      for (std::size_t k = 0; k < n; ++k) f(k, k, std::size_t{0});
      return;
    }
    case Shape::AScalar: {
      const std::size_t n = static_cast<std::size_t>(d.r2) * d.c2;
      for (std::size_t k = 0; k < n; ++k) f(k, std::size_t{0}, k);
      return;
    }
    case Shape::BColumn:
      for (int i = 0; i < d.r; ++i)
        for (int j = 0; j < d.c; ++j) {
          const std::size_t k = static_cast<std::size_t>(i) * d.c + j;
          f(k, k, static_cast<std::size_t>(i));
        }
      return;
    case Shape::BRow:
      for (int i = 0; i < d.r; ++i)
        for (int j = 0; j < d.c; ++j) {
          const std::size_t k = static_cast<std::size_t>(i) * d.c + j;
          f(k, k, static_cast<std::size_t>(j));
        }
      return;
    case Shape::OuterColRow:
      for (int i = 0; i < d.r; ++i)
        for (int j = 0; j < d.c2; ++j)
          f(static_cast<std::size_t>(i) * d.c2 + j, static_cast<std::size_t>(i), static_cast<std::size_t>(j));
      return;
    case Shape::OuterRowCol:
      for (int i = 0; i < d.r2; ++i)
        for (int j = 0; j < d.c; ++j)
          f(static_cast<std::size_t>(i) * d.c + j, static_cast<std::size_t>(j), static_cast<std::size_t>(i));
      return;
    default:
      return;
  }
}

// ---------------------------------------------------------------------------------------
// Element arithmetic.

enum class Arith { Add, Sub, Mul, Div, Pow };

inline double realOp(Arith op, double x, double y) {
  switch (op) {
    case Arith::Add:
      return x + y;
    case Arith::Sub:
      return x - y;
    case Arith::Mul:
      return x * y;
    case Arith::Div:
      return x / y;
    case Arith::Pow:
      return std::pow(x, y);
  }
  return 0.0;
}

// Integer arithmetic wraps modulo 2^32 like the machine's; the quotient truncates toward zero
// and INT_MIN / -1 wraps to INT_MIN instead of trapping.
inline int32_t intOp(Arith op, int32_t x, int32_t y) {
  const auto ux = static_cast<uint32_t>(x);
  const auto uy = static_cast<uint32_t>(y);
  switch (op) {
    case Arith::Add:
      return static_cast<int32_t>(ux + uy);
    case Arith::Sub:
      return static_cast<int32_t>(ux - uy);
    case Arith::Mul:
      return static_cast<int32_t>(ux * uy);
    case Arith::Div:
      if (y == -1) return static_cast<int32_t>(0u - ux);
      return x / y;
    default:
      return 0;
  }
}

inline bool isNumber(int type) { return type == kValueReal || type == kValueInt; }
inline bool isScalarReal(const CalcStackEntry& e) {
  return e.type == kValueReal && e.msize == 1 && e.nsize == 1;
}

inline std::size_t elementsOf(const CalcStackEntry& e) { return static_cast<std::size_t>(e.msize) * e.nsize; }

// Whether any used divisor is zero ("Divide by Zero" when that element is reached; the whole
// result is computed only when none is).
bool hasZero(const CalcStackEntry& b, std::size_t used) {
  if (b.type == kValueReal) {
    const double* p = b.data.doubles();
    for (std::size_t k = 0; k < used; ++k)
      if (p[k] == 0.0) return true;
  } else {
    const int32_t* p = b.data.ints();
    for (std::size_t k = 0; k < used; ++k)
      if (p[k] == 0) return true;
  }
  return false;
}

// Replaces the two operands on top of the stack by the result built in vk_tc.
int pushResult(CalcStackEntry* stack, int* sp, int type, int rows, int cols) {
  *sp -= 2;
  return PushToStack(stack, sp, vk_tc, type, rows, cols);
}

// Where the statement puts the operator's result: "c = a x b" compiles to a, b, "x", c, "=".
struct StoreTarget {
  int count = 0;
  vk_Code* code = nullptr;
  int pc = -1;
  VkBytes* block(int type, std::size_t bytes) const {
    return code ? vkAssignmentTargetBlock(count, code, pc, type, bytes) : nullptr;
  }
};

// The block an operator writes its result into: the left operand's own, when it has no other
// owner, the same size and type and every result element depends only on the operand element
// at the same place (so the value is written once, in place); else the block of the variable
// the result is assigned to, when that holds a value of this size that nothing else shares
// (a loop that assigns a large result every turn then writes into memory already mapped,
// instead of faulting in a new block and freeing the old one); else a fresh one. Null after
// reporting when memory cannot be had.
unsigned char* resultBlock(Shape s, CalcStackEntry& a, int type, std::size_t bytes, VkBytes& fresh,
                           const StoreTarget& target) {
  if ((s == Shape::Same || s == Shape::BScalar) && a.type == type && a.data.size() == bytes && bytes > 64 &&
      !a.data.shared())
    return a.data.data();
  if (bytes > 64) {
    if (VkBytes* into = target.block(type, bytes)) {
      unsigned char* out = into->data();  // its only owner: no copy
      // The result shares the block until the assignment takes it back.
      fresh = *into;
      return out;
    }
  }
  if (!fresh.resize(bytes)) {
    error_disp("Memory allocation error.");
    return nullptr;
  }
  return fresh.data();
}

// Replaces the two operands on top of the stack by the result (in `fresh`, or written into the
// left operand when `fresh` is empty).
int finishResult(CalcStackEntry* stack, int* sp, VkBytes& fresh, bool inPlace, int type, int rows, int cols) {
  *sp -= 2;
  CalcStackEntry& e = stack[*sp];
  if (!inPlace) e.data = std::move(fresh);
  e.type = type;
  e.msize = rows;
  e.nsize = cols;
  // The right operand's entry is dead now: it must not keep a variable's block alive.
  stack[*sp + 1].data.releaseIfShared();
  ++*sp;
  return 1;
}

// Combines two numeric operands by a shape case and replaces them by the result.
int combine(Arith op, Shape s, CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack, int* sp,
            const StoreTarget& target, bool realResult = false) {
  const Dims d{a.msize, a.nsize, b.msize, b.nsize};
  int rows = 0, cols = 0;
  resultDims(s, d, &rows, &cols);
  const bool aInt = a.type == kValueInt;
  const bool bInt = b.type == kValueInt;
  const double* pa = a.data.cdoubles();
  const double* pb = b.data.cdoubles();
  const int32_t* ia = a.data.cints();
  const int32_t* ib = b.data.cints();
  const std::size_t n = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
  VkBytes fresh;
  if (realResult || (!aInt && !bInt)) {
    unsigned char* block = resultBlock(s, a, kValueReal, n * 8, fresh, target);
    if (!block) return 0;
    double* out = reinterpret_cast<double*>(block);
    if (!aInt && !bInt) {
      switch (op) {
        case Arith::Add:
          forEachPair(s, d, [&](std::size_t k, std::size_t x, std::size_t y) { out[k] = pa[x] + pb[y]; });
          break;
        case Arith::Sub:
          forEachPair(s, d, [&](std::size_t k, std::size_t x, std::size_t y) { out[k] = pa[x] - pb[y]; });
          break;
        case Arith::Mul:
          forEachPair(s, d, [&](std::size_t k, std::size_t x, std::size_t y) { out[k] = pa[x] * pb[y]; });
          break;
        case Arith::Div:
          forEachPair(s, d, [&](std::size_t k, std::size_t x, std::size_t y) { out[k] = pa[x] / pb[y]; });
          break;
        case Arith::Pow:
          forEachPair(s, d,
                      [&](std::size_t k, std::size_t x, std::size_t y) { out[k] = std::pow(pa[x], pb[y]); });
          break;
      }
    } else {
      forEachPair(s, d, [&](std::size_t k, std::size_t x, std::size_t y) {
        out[k] = realOp(op, aInt ? ia[x] : pa[x], bInt ? ib[y] : pb[y]);
      });
    }
    return finishResult(stack, sp, fresh, block != fresh.cdata(), kValueReal, rows, cols);
  }
  unsigned char* block = resultBlock(s, a, kValueInt, n * 4, fresh, target);
  if (!block) return 0;
  auto* out = reinterpret_cast<int32_t*>(block);
  if (aInt && bInt) {
    forEachPair(s, d, [&](std::size_t k, std::size_t x, std::size_t y) { out[k] = intOp(op, ia[x], ib[y]); });
  } else {
    // One integer and one real operand: the operation in doubles, the result truncated.
    forEachPair(s, d, [&](std::size_t k, std::size_t x, std::size_t y) {
      out[k] = vkTruncToInt(realOp(op, aInt ? ia[x] : pa[x], bInt ? ib[y] : pb[y]));
    });
  }
  return finishResult(stack, sp, fresh, block != fresh.cdata(), kValueInt, rows, cols);
}

// Whether a result of rows x cols of the given type fits the scratch buffer.
bool resultFits(int rows, int cols, bool integer) {
  const int64_t n = static_cast<int64_t>(rows) * cols;
  return integer ? n <= 2 * static_cast<int64_t>(TNumber) : n <= TNumber;
}

bool needOperands(int* sp, int n) {
  if (*sp >= n) return true;
  // Compiled code always provides the operands; code built by hand may not.
  error_disp("Stack (calc)");
  return false;
}

// ---------------------------------------------------------------------------------------
// Strings.

int stringOperator(char op, const CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack,
                   int* sp) {
  const std::string_view left(a.data.chars());
  const std::string_view right(b.data.chars());
  std::string result;
  int msize = 0, nsize = 0;
  if (op == '+') {
    if (left.size() + right.size() + 1 > static_cast<std::size_t>(TNumber) * 8) {
      error_disp("Too big data.");
      return 0;
    }
    result.reserve(left.size() + right.size());
    result.append(left).append(right);
    msize = a.msize + b.msize;
    nsize = a.nsize + b.nsize;
  } else if (op == '-') {
    const std::size_t at = right.empty() ? 0 : left.find(right);
    result.assign(left.substr(0, at == std::string_view::npos ? left.size() : at));
    msize = static_cast<int>(result.size());
  } else {
    const std::size_t at = right.empty() ? std::string_view::npos : left.find(right);
    result.assign(left);
    if (at != std::string_view::npos) result.erase(at, right.size());
    msize = static_cast<int>(result.size());
  }
  *sp -= 2;
  return PushToStack(stack, sp, result.c_str(), kValueString, msize, nsize);
}

// ---------------------------------------------------------------------------------------
// The arithmetic families.

int arithmetic(char op, CalcStackEntry* stack, int* sp, const StoreTarget& target = {}) {
  if (!needOperands(sp, 2)) return 0;
  CalcStackEntry& a = stack[*sp - 2];
  const CalcStackEntry& b = stack[*sp - 1];

  // Scalars: the common case, computed in place without the scratch buffers.
  if (isScalarReal(a) && isScalarReal(b)) {
    const double x = a.data.doubles()[0];
    const double y = b.data.doubles()[0];
    double r;
    switch (op) {
      case '+':
        r = x + y;
        break;
      case '-':
        r = x - y;
        break;
      case '*':
      case 'x':
        r = x * y;
        break;
      case '/':
        if (y == 0.0) {
          error_disp("Divide by zero");
          return 0;
        }
        r = x / y;
        break;
      default:  // '%'
        if (y == 0.0) {
          error_disp("Divide by Zero");
          return 0;
        }
        r = x / y;
        break;
    }
    a.data.doubles()[0] = r;
    --*sp;
    return 1;
  }

  if (isNumber(a.type) && isNumber(b.type)) {
    const Dims d{a.msize, a.nsize, b.msize, b.nsize};
    const bool intResult = a.type == kValueInt || b.type == kValueInt;
    int rows = 0, cols = 0;
    if (op == '+' || op == '-') {
      const Shape s = firstFit(kAddSubOrder, d);
      if (s == Shape::None) {
        error_disp("Invalid data structure.");
        return 0;
      }
      resultDims(s, d, &rows, &cols);
      if (!resultFits(rows, cols, intResult)) {
        error_disp("Too big data.");
        return 0;
      }
      return combine(op == '+' ? Arith::Add : Arith::Sub, s, a, b, stack, sp, target);
    }
    if (op == 'x' || op == '%') {
      const Shape s = firstFit(kElementOrder, d);
      if (s == Shape::None) {
        error_disp("Invalid data size.");
        return 0;
      }
      resultDims(s, d, &rows, &cols);
      if (!resultFits(rows, cols, intResult)) {
        error_disp("size overflow.");
        return 0;
      }
      if (op == '%' && rows * static_cast<int64_t>(cols) > 0 && hasZero(b, elementsOf(b))) {
        error_disp("Divide by Zero");
        return 0;
      }
      return combine(op == 'x' ? Arith::Mul : Arith::Div, s, a, b, stack, sp, target);
    }
    if (op == '/') {
      const Shape s = firstFit(kDivOrder, d);
      if (s == Shape::None) {
        error_disp("Invalid data structure.");
        return 0;
      }
      if (s == Shape::BScalar && hasZero(b, 1)) {
        error_disp("Divide by zero");
        return 0;
      }
      resultDims(s, d, &rows, &cols);
      if (!resultFits(rows, cols, intResult)) {
        error_disp("Elements overflow");
        return 0;
      }
      if (rows * static_cast<int64_t>(cols) > 0 && hasZero(b, elementsOf(b))) {
        error_disp("Divide by Zero");
        return 0;
      }
      return combine(Arith::Div, s, a, b, stack, sp, target);
    }
    // '*': scaling by a 1 by 1 value, or the matrix product.
    const Shape s = firstFit(kMulOrder, d);
    if (s == Shape::None) {
      error_disp("Invalid data structure.");
      return 0;
    }
    resultDims(s, d, &rows, &cols);
    if (!resultFits(rows, cols, intResult)) {
      error_disp("Invalid data structure.");
      return 0;
    }
    if (s != Shape::Product) return combine(Arith::Mul, s, a, b, stack, sp, target);
    const int k = a.nsize;
    const std::size_t n = static_cast<std::size_t>(rows) * cols;
    if (!intResult) {
      if (!vkMatrixProduct(a.data.cdoubles(), b.data.cdoubles(), vk_tc, rows, k, cols)) {
        error_disp(kVkBreakMessage);
        return 0;
      }
      return pushResult(stack, sp, kValueReal, rows, cols);
    }
    auto* out = reinterpret_cast<int32_t*>(vk_tc);
    if (a.type == kValueInt && b.type == kValueInt) {
      const int32_t* pa = a.data.cints();
      const int32_t* pb = b.data.cints();
      std::fill(out, out + n, 0);
      for (int i = 0; i < rows; ++i) {
        if (vkBreakHeld()) {
          error_disp(kVkBreakMessage);
          return 0;
        }
        for (int m = 0; m < k; ++m) {
          const auto x = static_cast<uint32_t>(pa[static_cast<std::size_t>(i) * k + m]);
          const int32_t* brow = pb + static_cast<std::size_t>(m) * cols;
          int32_t* crow = out + static_cast<std::size_t>(i) * cols;
          for (int j = 0; j < cols; ++j)
            crow[j] =
                static_cast<int32_t>(static_cast<uint32_t>(crow[j]) + x * static_cast<uint32_t>(brow[j]));
        }
      }
    } else {
      // Mixed: the running sum is an integer, truncated after every addition.
      for (int i = 0; i < rows; ++i) {
        if (vkBreakHeld()) {
          error_disp(kVkBreakMessage);
          return 0;
        }
        for (int j = 0; j < cols; ++j) {
          int32_t sum = 0;
          for (int m = 0; m < k; ++m) {
            const std::size_t ia = static_cast<std::size_t>(i) * k + m;
            const std::size_t ib = static_cast<std::size_t>(m) * cols + j;
            const double x = a.type == kValueInt ? a.data.cints()[ia] : a.data.cdoubles()[ia];
            const double y = b.type == kValueInt ? b.data.cints()[ib] : b.data.cdoubles()[ib];
            sum = vkTruncToInt(sum + x * y);
          }
          out[static_cast<std::size_t>(i) * cols + j] = sum;
        }
      }
    }
    return pushResult(stack, sp, kValueInt, rows, cols);
  }

  if (a.type == kValueString && b.type == kValueString) {
    if (op == '+' || op == '-' || op == '/') return stringOperator(op, a, b, stack, sp);
    error_disp("Invalid data type.");
    return 0;
  }
  if (a.type == kValuePicture || (b.type == kValuePicture && a.type == kValuePicture)) {
    const CalcStackEntry left = a;
    const CalcStackEntry right = b;
    *sp -= 2;
    return DoPictureOperator(op, left, right, stack, sp);
  }
  error_disp(op == '+' || op == '-' ? "Invalid data structure." : "Invalid data type.");
  return 0;
}

// ---------------------------------------------------------------------------------------
// One-operand operators.

int transpose(CalcStackEntry* stack, int* sp) {
  if (!needOperands(sp, 1)) return 0;
  const CalcStackEntry& a = stack[*sp - 1];
  if (a.type == kValuePicture) {
    const CalcStackEntry picture = a;
    --*sp;
    return DoPictureTranspose(picture, stack, sp);
  }
  if (!isNumber(a.type)) {
    error_disp("Invalid data type.");
    return 0;
  }
  const int r = a.msize, c = a.nsize;
  if (a.type == kValueReal) {
    const double* p = a.data.doubles();
    for (int i = 0; i < r; ++i)
      for (int j = 0; j < c; ++j)
        vk_tc[static_cast<std::size_t>(j) * r + i] = p[static_cast<std::size_t>(i) * c + j];
  } else {
    const int32_t* p = a.data.ints();
    auto* out = reinterpret_cast<int32_t*>(vk_tc);
    for (int i = 0; i < r; ++i)
      for (int j = 0; j < c; ++j)
        out[static_cast<std::size_t>(j) * r + i] = p[static_cast<std::size_t>(i) * c + j];
  }
  const int type = a.type;
  --*sp;
  return PushToStack(stack, sp, vk_tc, type, c, r);
}

int factorial(CalcStackEntry* stack, int* sp) {
  if (!needOperands(sp, 1)) return 0;
  const CalcStackEntry& a = stack[*sp - 1];
  if (!isNumber(a.type)) {
    error_disp("Invalid data type.");
    return 0;
  }
  const std::size_t n = elementsOf(a);
  if (a.type == kValueReal) {
    const double* p = a.data.doubles();
    for (std::size_t k = 0; k < n; ++k) {
      const int32_t m = vkTruncToInt(p[k]);
      double f = 1.0;
      // Past 170! a double is infinite; further factors change nothing.
      for (int32_t i = 2; i <= m && i <= 171; ++i) f *= i;
      vk_tc[k] = f;
    }
  } else {
    const int32_t* p = a.data.ints();
    auto* out = reinterpret_cast<int32_t*>(vk_tc);
    for (std::size_t k = 0; k < n; ++k) {
      uint32_t f = 1;
      // Modulo 2^32 the product is 0 from 34! on.
      for (int32_t i = 2; i <= p[k] && f != 0; ++i) f *= static_cast<uint32_t>(i);
      out[k] = static_cast<int32_t>(f);
    }
  }
  const int type = a.type, r = a.msize, c = a.nsize;
  --*sp;
  return PushToStack(stack, sp, vk_tc, type, r, c);
}

int power(CalcStackEntry* stack, int* sp, const StoreTarget& target) {
  if (!needOperands(sp, 2)) return 0;
  CalcStackEntry& a = stack[*sp - 2];
  const CalcStackEntry& b = stack[*sp - 1];
  if (b.type != kValueReal) {
    error_disp("Invalid data type.");
    return 0;
  }
  // The base is read as reals; an integer base is converted, a string or picture is refused.
  if (!isNumber(a.type)) {
    error_disp("Invalid data type.");
    return 0;
  }
  if (isScalarReal(a) && isScalarReal(b)) {
    a.data.doubles()[0] = std::pow(a.data.doubles()[0], b.data.doubles()[0]);
    --*sp;
    return 1;
  }
  const Dims d{a.msize, a.nsize, b.msize, b.nsize};
  const Shape s = firstFit(kPowOrder, d);
  if (s == Shape::None) {
    error_disp("Invalid data structure.");
    return 0;
  }
  int rows = 0, cols = 0;
  resultDims(s, d, &rows, &cols);
  if (!resultFits(rows, cols, false)) {
    error_disp("Too big data.");
    return 0;
  }
  return combine(Arith::Pow, s, a, b, stack, sp, target, true);
}

// ---------------------------------------------------------------------------------------
// Matrix literal, display, element access.

int matrixLiteral(const vk_Code& rec, CalcStackEntry* stack, int* sp) {
  const int rows = rec.jump;
  const int cols = rec.argc;
  const int64_t n = static_cast<int64_t>(rows) * cols;
  if (n < 0 || n > TNumber || !needOperands(sp, static_cast<int>(n))) {
    if (n > TNumber) error_disp("Too big data.");
    return 0;
  }
  const int base = *sp - static_cast<int>(n);
  for (int k = 0; k < n; ++k) {
    const CalcStackEntry& e = stack[base + k];
    if (!isScalarReal(e)) {
      error_disp("Illegal type of matrix element.");
      return 0;
    }
    vk_tc[k] = e.data.doubles()[0];
  }
  *sp = base;
  return PushToStack(stack, sp, vk_tc, kValueReal, rows, cols);
}

int display(CalcStackEntry* stack, int* sp) {
  if (*sp < 0) {
    error_disp("Invalid stack count before ';'.");
    return 0;
  }
  if (*sp != 1) return 1;
  const CalcStackEntry& e = stack[0];
  --*sp;
  return DispData(e.data.data(), e.type, e.msize, e.nsize);
}

int elementAccess(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (*pc + 1 >= count) {
    error_disp("Undefined variable");
    return 0;
  }
  vk_Code& varRec = code[*pc + 1];
  const bool assignment = *pc + 2 < count && code[*pc + 2].name == "=";
  const int v = vkLookupVariable(varRec);
  if (v < 0) {
    error_disp("Undefined variable");
    return 0;
  }
  if (!needOperands(sp, 4)) return 0;
  for (int k = 1; k <= 4; ++k) {
    if (stack[*sp - k].type != kValueReal) {
      *pc += assignment ? 2 : 1;
      return 1;
    }
  }
  int bounds[4];  // row-from, row-to, column-from, column-to
  for (int k = 3; k >= 0; --k) {
    const CalcStackEntry& e = stack[--*sp];
    if (e.msize != 1 || e.nsize != 1 || !(e.data.doubles()[0] >= 0.0)) {
      error_disp("Invalid arguments.");
      return 0;
    }
    bounds[k] = vkTruncToInt(e.data.doubles()[0]);
  }
  int rf = bounds[0], rt = bounds[1], cf = bounds[2], ct = bounds[3];
  if (rt == 0) rt = rf;
  if (ct == 0) ct = cf;
  if (rt < rf || ct < cf || rf < 1 || cf < 1) {
    error_disp("Invalid arguments.");
    return 0;
  }
  VariableRecord& var = variableTable[v];
  const bool numeric = var.kind == kVarReal || var.kind == kVarInt;
  const auto inRange = [&] { return var.state == 1 && numeric && rt <= var.msize && ct <= var.nsize; };
  const int rows = rt - rf + 1, cols = ct - cf + 1;
  const bool intVar = var.kind == kVarInt;

  if (!assignment) {
    if (!inRange()) {
      error_disp("Invalid arguments.");
      return 0;
    }
    for (int i = 0; i < rows; ++i)
      for (int j = 0; j < cols; ++j) {
        const std::size_t from = static_cast<std::size_t>(rf - 1 + i) * var.nsize + (cf - 1 + j);
        const std::size_t to = static_cast<std::size_t>(i) * cols + j;
        if (intVar)
          reinterpret_cast<int32_t*>(vk_tc)[to] = var.data.cints()[from];
        else
          vk_tc[to] = var.data.cdoubles()[from];
      }
    ++*pc;
    return PushToStack(stack, sp, vk_tc, intVar ? kValueInt : kValueReal, rows, cols);
  }

  if (!needOperands(sp, 1)) return 0;
  const CalcStackEntry& value = stack[--*sp];
  const std::size_t n = elementsOf(value);
  if (n != 1 && n != static_cast<std::size_t>(rows) * cols) {
    error_disp("Invalid arguments.");
    return 0;
  }
  if (!isNumber(value.type)) {
    error_disp("Invalid data tupe.");
    return 0;
  }
  if (!inRange()) {
    error_disp("Invalid arguments.");
    return 0;
  }
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) {
      const std::size_t src = n == 1 ? 0 : static_cast<std::size_t>(i) * cols + j;
      const double x = value.type == kValueInt ? value.data.ints()[src] : value.data.doubles()[src];
      const std::size_t to = static_cast<std::size_t>(rf - 1 + i) * var.nsize + (cf - 1 + j);
      if (intVar) {
        var.data.ints()[to] = value.type == kValueInt ? value.data.ints()[src] : vkTruncToInt(x);
      } else {
        var.data.doubles()[to] = x;
      }
    }
  *pc += 2;
  return 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------

int DoAddSub(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return arithmetic(code[*pc].name[0], stack, sp);
}

int DoMulDiv(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return arithmetic(code[*pc].name[0], stack, sp);
}

int DoMulDivOP(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return arithmetic(code[*pc].name[0], stack, sp);
}

int DoOperator(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const std::string& name = code[*pc].name;
  if (name.size() == 1) {
    switch (name[0]) {
      case ';':
        return display(stack, sp);
      case '|':
        return matrixLiteral(code[*pc], stack, sp);
      case '+':
      case '-':
      case '*':
      case '/':
      case 'x':
      case '%':
        return arithmetic(name[0], stack, sp, StoreTarget{count, code, *pc});
      case '\'':
        return transpose(stack, sp);
      case '!':
        return factorial(stack, sp);
      case '^':
        return power(stack, sp, StoreTarget{count, code, *pc});
      case '@':
        return elementAccess(count, code, pc, stack, sp);
      default:
        break;
    }
  }
  error_disp("Unknown operator (calc).");
  return 0;
}

// ---------------------------------------------------------------------------------------
// Relations and logical operators.

namespace {

int relationOf(vk_Code& rec) {
  const int op = rec.op ? rec.op : vkOpcodeOf(rec);
  return op >= kRelGt && op <= kRelNe ? op : kOpOther;
}

inline double relateCmp(int r, int c) {
  switch (r) {
    case kRelGt:
      return c > 0;
    case kRelGe:
      return c >= 0;
    case kRelEq:
      return c == 0;
    case kRelLe:
      return c <= 0;
    case kRelLt:
      return c < 0;
    case kRelNe:
      return c != 0;
    default:
      return 0.0;
  }
}

}  // namespace

int DoRelation(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (!needOperands(sp, 2)) return 0;
  CalcStackEntry& a = stack[*sp - 2];
  const CalcStackEntry& b = stack[*sp - 1];
  const int rel = relationOf(code[*pc]);
  if (isScalarReal(a) && isScalarReal(b) && rel != kOpOther) {
    a.data.doubles()[0] = vkRelate(rel, a.data.doubles()[0], b.data.doubles()[0]);
    --*sp;
    return 1;
  }
  if (a.type == kValueString && b.type == kValueString) {
    if (rel == kOpOther) {
      error_disp("Invalid Relation Code.");
      return 0;
    }
    const double r = relateCmp(rel, std::strcmp(a.data.chars(), b.data.chars()));
    *sp -= 2;
    return vkPushScalar(stack, sp, r);
  }
  if (a.type != kValueReal || b.type != kValueReal) {
    error_disp("Invalid data type.");
    return 0;
  }
  const Dims d{a.msize, a.nsize, b.msize, b.nsize};
  Shape s = Shape::None;
  if (fits(Shape::Same, d))
    s = Shape::Same;
  else if (fits(Shape::AScalar, d))
    s = Shape::AScalar;
  else if (fits(Shape::BScalar, d))
    s = Shape::BScalar;
  if (s == Shape::None) {
    error_disp("Invalid data size");
    return 0;
  }
  if (rel == kOpOther) {
    error_disp(s == Shape::Same ? "Invalid Relation code." : "Invalid Relation Code.");
    return 0;
  }
  int rows = 0, cols = 0;
  resultDims(s, d, &rows, &cols);
  const double* pa = a.data.cdoubles();
  const double* pb = b.data.cdoubles();
  forEachPair(s, d,
              [&](std::size_t k, std::size_t x, std::size_t y) { vk_tc[k] = vkRelate(rel, pa[x], pb[y]); });
  return pushResult(stack, sp, kValueReal, rows, cols);
}

int DoLogical(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const std::string& name = code[*pc].name;
  if (name == "not" || name == "notF") {
    if (!needOperands(sp, 1)) return 0;
    CalcStackEntry& a = stack[*sp - 1];
    if (a.type != kValueReal) {
      error_disp("Invalid data type.");
      return 0;
    }
    double* p = a.data.doubles();
    const std::size_t n = elementsOf(a);
    // The value is replaced in place: same shape, same type.
    for (std::size_t k = 0; k < n; ++k)
      p[k] = name == "not" ? (vkTruncToInt(p[k]) == 0 ? 1.0 : 0.0) : 1.0 - p[k];
    return 1;
  }
  if (!needOperands(sp, 2)) return 0;
  CalcStackEntry& a = stack[*sp - 2];
  const CalcStackEntry& b = stack[*sp - 1];
  if (a.type != kValueReal || b.type != kValueReal) {
    error_disp("Invalid data type.");
    return 0;
  }
  if (a.msize != b.msize || a.nsize != b.nsize) {
    error_disp("Invalid data size.");
    return 0;
  }
  int which;
  if (name == "and")
    which = 0;
  else if (name == "or")
    which = 1;
  else if (name == "andF")
    which = 2;
  else if (name == "orF")
    which = 3;
  else {
    error_disp("Invalid Logical code.");
    return 0;
  }
  double* pa = a.data.doubles();
  const double* pb = b.data.doubles();
  const std::size_t n = elementsOf(a);
  for (std::size_t k = 0; k < n; ++k) {
    const double x = pa[k], y = pb[k];
    switch (which) {
      case 0:
        pa[k] = (vkTruncToInt(x) != 0 && vkTruncToInt(y) != 0) ? 1.0 : 0.0;
        break;
      case 1:
        pa[k] = (vkTruncToInt(x) != 0 || vkTruncToInt(y) != 0) ? 1.0 : 0.0;
        break;
      case 2:
        pa[k] = x < y ? x : y;
        break;
      default:
        pa[k] = x > y ? x : y;
        break;
    }
  }
  --*sp;
  return 1;
}
