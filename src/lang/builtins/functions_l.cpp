// Built-ins L: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <string>

#include "graphics/picture_builtins.h"
#include "lang/builtins/builtin_table.h"
#include "lang/stack.h"
#include "lang/variables.h"

namespace {

int listVariables(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  std::string text;
  listVariableTable(text);
  return PushToStack(stack, sp, text.c_str(), kValueString, static_cast<int>(text.size()), 0);
}

constexpr VkBuiltin kL[] = {
    {"listVariableTable", 1, listVariables},
    // Pictures (graphics/picture_builtins.h).
    {"loadPicture", kAnyArgc, vkPictureBuiltinEntry},
};

}  // namespace

int DoFunctionL(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kL, count, code, pc, stack, sp);
}
