// Built-ins G: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "lang/builtins/builtin_table.h"

namespace {

constexpr std::array<VkBuiltin, 0> kG{};

}  // namespace

int DoFunctionG(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kG, count, code, pc, stack, sp);
}
