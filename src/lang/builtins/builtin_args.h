#pragma once
// Small helpers of the letter dispatchers for popping and testing arguments and pushing
// results, so that each built-in reads as its argument tests and its work.

#include <cstdint>

#include "lang/report.h"
#include "lang/stack.h"
#include "lang/values.h"

// A popped argument's type and shape.
struct VkArg {
  int type = 0;
  int rows = 0;
  int cols = 0;
  long long elements() const { return static_cast<long long>(rows) * cols; }
  bool isReal() const { return type == kValueReal; }
  bool isNumber() const { return type == kValueReal && rows == 1 && cols == 1; }
  bool isString() const { return type == kValueString; }
  bool isPicture() const { return type == kValuePicture; }
  bool isInt() const { return type == kValueInt; }
};

// Pops the top argument into `dst` (a scratch buffer). 0 when the pop failed (it reported).
inline int vkPopArg(CalcStackEntry* stack, int* sp, void* dst, VkArg* arg) {
  return PopFromStack(stack, sp, dst, &arg->type, &arg->rows, &arg->cols);
}

// The frame's message for an argument that fails its test.
inline int vkInvalidArguments() {
  error_disp("Invalid arguments.");
  return 0;
}

inline int vkPushReals(CalcStackEntry* stack, int* sp, const double* values, int rows, int cols) {
  return PushToStack(stack, sp, values, kValueReal, rows, cols);
}

inline int vkPushString(CalcStackEntry* stack, int* sp, const char* text, int length) {
  return PushToStack(stack, sp, text, kValueString, length, 0);
}
