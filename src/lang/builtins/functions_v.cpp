// Built-ins V: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "lang/builtins/builtin_table.h"

namespace {

constexpr std::array<VkBuiltin, 0> kV{};

}  // namespace

int DoFunctionV(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kV, count, code, pc, stack, sp);
}
