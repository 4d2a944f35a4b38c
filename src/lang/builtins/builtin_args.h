#pragma once
// Argument pops with their tests, shared by the letter dispatchers that take matrices: each
// pops one entry into `dst` (a scratch buffer), tests it right away and reports
// "Invalid arguments." when the test fails. A failed pop has reported its own message.

#include "lang/report.h"
#include "lang/stack.h"
#include "lang/values.h"

namespace pravella::builtins {

inline int invalidArguments() {
  error_disp("Invalid arguments.");
  return 0;
}

// A real matrix of any shape.
inline int popMatrix(CalcStackEntry* stack, int* sp, double* dst, int* rows, int* cols) {
  int type = 0;
  if (!PopFromStack(stack, sp, dst, &type, rows, cols)) return 0;
  return type == kValueReal ? 1 : invalidArguments();
}

// Any value; the caller tests the type.
inline int popAny(CalcStackEntry* stack, int* sp, void* dst, int* type, int* rows, int* cols) {
  return PopFromStack(stack, sp, dst, type, rows, cols);
}

inline int pushMatrix(CalcStackEntry* stack, int* sp, const double* data, int rows, int cols) {
  return PushToStack(stack, sp, data, kValueReal, rows, cols);
}

inline int pushString(CalcStackEntry* stack, int* sp, const char* text, int length) {
  return PushToStack(stack, sp, text, kValueString, length, 0);
}

}  // namespace pravella::builtins
