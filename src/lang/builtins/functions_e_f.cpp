// Built-ins E and F: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "lang/builtins/builtin_table.h"

namespace {

constexpr std::array<VkBuiltin, 0> kE{};

constexpr std::array<VkBuiltin, 0> kF{};

}  // namespace

int DoFunctionE(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kE, count, code, pc, stack, sp);
}

int DoFunctionF(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kF, count, code, pc, stack, sp);
}
