// Built-ins G: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "graphics/picture_builtins.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/image_builtins.h"

namespace {

constexpr VkBuiltin kG[] = {
    {"gazoHosei", kAnyArgc, vkGazoHoseiBuiltin},
    // Pictures (graphics/picture_builtins.h).
    {"getPictSize", kAnyArgc, vkPictureBuiltinEntry},
    {"graphBlendLevel", kAnyArgc, vkPictureBuiltinEntry},
    {"graphOpeMode", kAnyArgc, vkPictureBuiltinEntry},
    {"graphTitle", kAnyArgc, vkPictureBuiltinEntry},
};

}  // namespace

int DoFunctionG(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kG, count, code, pc, stack, sp);
}
