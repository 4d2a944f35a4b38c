// Built-ins P and Q: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "graphics/picture_builtins.h"
#include "lang/builtins/builtin_table.h"

namespace {

constexpr VkBuiltin kP[] = {
    // Pictures (graphics/picture_builtins.h).
    {"pastePictWithPath", kAnyArgc, vkPictureBuiltinEntry},
    {"popRGBColor", kAnyArgc, vkPictureBuiltinEntry},
};

constexpr std::array<VkBuiltin, 0> kQ{};

}  // namespace

int DoFunctionP(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kP, count, code, pc, stack, sp);
}

int DoFunctionQ(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kQ, count, code, pc, stack, sp);
}
