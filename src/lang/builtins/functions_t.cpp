// Built-ins T: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "lang/builtins/builtin_table.h"

namespace {

constexpr std::array<VkBuiltin, 0> kT{};

}  // namespace

int DoFunctionT(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kT, count, code, pc, stack, sp);
}
