#pragma once
// The argument forms the letter C's built-ins use most, on top of the shared pops and pushes.

#include "lang/builtins/builtin_args.h"

namespace pravella::builtins {

inline int invalidArguments() { return vkInvalidArguments(); }

// A real matrix of any shape; "Invalid arguments." for another type.
inline int popMatrix(CalcStackEntry* stack, int* sp, double* dst, int* rows, int* cols) {
  VkArg arg;
  if (!vkPopArg(stack, sp, dst, &arg)) return 0;
  *rows = arg.rows;
  *cols = arg.cols;
  return arg.isReal() ? 1 : invalidArguments();
}

// Any value; the caller tests the type. The out pointers may be null.
inline int popAny(CalcStackEntry* stack, int* sp, void* dst, int* type, int* rows, int* cols) {
  return PopFromStack(stack, sp, dst, type, rows, cols);
}

inline int pushMatrix(CalcStackEntry* stack, int* sp, const double* data, int rows, int cols) {
  return vkPushReals(stack, sp, data, rows, cols);
}

inline int pushString(CalcStackEntry* stack, int* sp, const char* text, int length) {
  return vkPushString(stack, sp, text, length);
}

}  // namespace pravella::builtins
