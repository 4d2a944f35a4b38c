#pragma once
// Operator, relation and logical records (kinds 2, 9 and 10): they take their operands from
// the value stack (right operand on top) and push one result. Numbers are real or integer
// matrices with broadcasting of scalars, rows and columns; strings and pictures have their own
// meanings of some operators.

#include "lang/values.h"

// Operator records by name: ";" display, "|" matrix literal, "+" "-" "*" "/" "x" "%", "'"
// transpose, "!" factorial, "^" power, "@" element access. Returns 1, or 0 after reporting.
int DoOperator(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoAddSub(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoMulDiv(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoMulDivOP(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

int DoRelation(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoLogical(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// The real matrix product c = a (r by k) times b (k by n), row-major, cache-blocked, on the
// processor's cores when it is large. False when the held button stopped it (c is then
// incomplete).
bool vkMatrixProduct(const double* a, const double* b, double* c, int r, int k, int n);
// Fixes the product's thread count (tests compare one thread with many); 0 restores the default.
void setMatrixProductThreadsForTests(int threads);

// A relation (kRelGt .. kRelNe) of two reals: 1.0 when it holds, else 0.0. Two values count as
// equal when they differ by less than 1e-17; a difference that is not a number makes only "<>"
// hold.
inline double vkRelate(int op, double x, double y) {
  // Each relation is one comparison of the difference with the bound of equality, which a
  // difference that is not a number fails.
  const double d = x - y;
  constexpr double kNear = 1e-17;
  // A loop's own test is nearly always "<=" or "<": those go before the switch.
  if (op == kRelLe) return d < kNear ? 1.0 : 0.0;
  if (op == kRelLt) return d <= -kNear ? 1.0 : 0.0;
  switch (op) {
    case kRelGt:
      return d >= kNear ? 1.0 : 0.0;
    case kRelGe:
      return d > -kNear ? 1.0 : 0.0;
    case kRelEq:
      return d > -kNear && d < kNear ? 1.0 : 0.0;
    case kRelNe:
      return d > -kNear && d < kNear ? 0.0 : 1.0;
    default:
      return 0.0;
  }
}
