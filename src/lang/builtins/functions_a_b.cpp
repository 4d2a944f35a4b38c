// Built-ins A and B: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "lang/builtins/builtin_table.h"

namespace {

constexpr std::array<VkBuiltin, 0> kA{};

constexpr std::array<VkBuiltin, 0> kB{};

}  // namespace

int DoFunctionA(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kA, count, code, pc, stack, sp);
}

int DoFunctionB(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kB, count, code, pc, stack, sp);
}
