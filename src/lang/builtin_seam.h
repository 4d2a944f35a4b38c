#pragma once
// How the interpreter reaches the built-ins without depending on them: the start-up of the
// bindings registers one set of entry points before any program runs, and the executor, the
// operators and variable assignment call through it. The language core therefore builds and
// links without the dispatchers and the picture support above it.

#include "lang/values.h"

struct VkBuiltinSeam {
  // Runs the built-in named by the record at *pc with its arguments on the stack (the frame of
  // the dispatchers). 1, or 0 after reporting.
  int (*callFunction)(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) = nullptr;
  // The built-in a call record of this name and argument count runs, looked up once so that
  // the executor calls it directly; null where the record must go through callFunction (the
  // name families, which report under their own name, and unknown names).
  VkCallFn (*resolveFunction)(const std::string& name, int argc) = nullptr;
  // The scalar form of the built-in such a record runs (see VkScalarFn); null where it has none.
  VkScalarFn (*resolveScalar)(const std::string& name, int argc) = nullptr;
  // The operators "+", "-", "*", "/", "x", "%" with a picture operand (operands already off the
  // stack, the result pushed), and the transpose of a picture.
  int (*pictureOperator)(char op, const CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack,
                         int* sp) = nullptr;
  int (*pictureTranspose)(const CalcStackEntry& a, CalcStackEntry* stack, int* sp) = nullptr;
  // A picture on the stack turned into the integer matrix of its pixels, in place.
  int (*pictureToNumbers)(CalcStackEntry& entry) = nullptr;
};

// Installs the entry points (called once at start-up, before the first run; a later call
// replaces them). An entry left empty fails its callers with a message.
void vkRegisterBuiltins(const VkBuiltinSeam& seam);
const VkBuiltinSeam& vkBuiltins();

// Calls the registered built-in entry; without one the name is an unknown function.
int vkCallBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// The built-in a call record runs, looked up on its first call (see resolveFunction); null
// where it goes the long way through vkCallBuiltin.
VkCallFn vkResolvedBuiltin(vk_Code& record);
