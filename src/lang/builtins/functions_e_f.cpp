// Built-ins E and F: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "graphics/picture_builtins.h"
#include "lang/builtins/builtin_table.h"

namespace {

constexpr std::array<VkBuiltin, 0> kE{};

constexpr VkBuiltin kF[] = {
    // Pictures (graphics/picture_builtins.h).
    {"flipHorizontal", kAnyArgc, vkPictureBuiltinEntry},
    {"flipH", kAnyArgc, vkPictureBuiltinEntry},
    {"flipVertical", kAnyArgc, vkPictureBuiltinEntry},
    {"flipV", kAnyArgc, vkPictureBuiltinEntry},
};

}  // namespace

int DoFunctionE(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kE, count, code, pc, stack, sp);
}

int DoFunctionF(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kF, count, code, pc, stack, sp);
}
