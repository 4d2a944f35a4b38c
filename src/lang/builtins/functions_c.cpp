// Built-ins C: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <array>

#include "graphics/picture_builtins.h"
#include "lang/builtins/builtin_table.h"

namespace {

constexpr VkBuiltin kC[] = {
    // Pictures (graphics/picture_builtins.h).
    {"changeCopyBitsMode", kAnyArgc, vkPictureBuiltinEntry},
    {"copyPicture", kAnyArgc, vkPictureBuiltinEntry},
    {"copyPictureToScrap", kAnyArgc, vkPictureBuiltinEntry},
};

}  // namespace

int DoFunctionC(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kC, count, code, pc, stack, sp);
}
