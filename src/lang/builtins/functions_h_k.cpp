// Built-ins H to K: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "lang/builtins/builtin_table.h"

namespace {

constexpr std::array<VkBuiltin, 0> kH{};

constexpr std::array<VkBuiltin, 0> kI{};

constexpr std::array<VkBuiltin, 0> kJ{};

constexpr std::array<VkBuiltin, 0> kK{};

}  // namespace

int DoFunctionH(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kH, count, code, pc, stack, sp);
}

int DoFunctionI(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kI, count, code, pc, stack, sp);
}

int DoFunctionJ(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kJ, count, code, pc, stack, sp);
}

int DoFunctionK(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kK, count, code, pc, stack, sp);
}
