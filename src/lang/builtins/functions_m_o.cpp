// Built-ins M, N and O: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "lang/builtins/builtin_table.h"
#include "lang/stack.h"

namespace {

// msize and nsize take any value without a type test: rows (a string's or picture's byte
// length) and columns. The parser writes them for the whole-range mark "#" of an index.
int msize(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!PopFromStack(stack, sp, nullptr, &type, &rows, &cols)) return 0;
  return vkPushScalar(stack, sp, rows);
}

int nsize(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!PopFromStack(stack, sp, nullptr, &type, &rows, &cols)) return 0;
  return vkPushScalar(stack, sp, cols);
}

constexpr VkBuiltin kM[] = {
    {"msize", 1, msize},
};

// Does nothing: the call record that "function" leaves behind after rewriting its call.
int nonOperation(int, vk_Code*, int*, CalcStackEntry*, int*) { return 1; }

constexpr VkBuiltin kN[] = {
    {"nonOperation", kAnyArgc, nonOperation},
    {"nsize", 1, nsize},
};

constexpr std::array<VkBuiltin, 0> kO{};

}  // namespace

int DoFunctionM(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kM, count, code, pc, stack, sp);
}

int DoFunctionN(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kN, count, code, pc, stack, sp);
}

int DoFunctionO(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kO, count, code, pc, stack, sp);
}
