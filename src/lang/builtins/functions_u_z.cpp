// Built-ins U, W, X, Y and Z: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "graphics/picture_builtins.h"
#include "lang/builtins/builtin_table.h"

namespace {

constexpr VkBuiltin kU[] = {
    // Pictures (graphics/picture_builtins.h).
    {"unixColor", kAnyArgc, vkPictureBuiltinEntry},
};

constexpr std::array<VkBuiltin, 0> kW{};

constexpr std::array<VkBuiltin, 0> kX{};

constexpr std::array<VkBuiltin, 0> kY{};

constexpr std::array<VkBuiltin, 0> kZ{};

}  // namespace

int DoFunctionU(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kU, count, code, pc, stack, sp);
}

int DoFunctionW(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kW, count, code, pc, stack, sp);
}

int DoFunctionX(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kX, count, code, pc, stack, sp);
}

int DoFunctionY(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kY, count, code, pc, stack, sp);
}

int DoFunctionZ(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kZ, count, code, pc, stack, sp);
}
