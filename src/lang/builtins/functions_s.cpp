// Built-ins S: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <cstring>
#include <string>

#include "graphics/picture_builtins.h"
#include "lang/builtins/builtin_table.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/variables.h"

namespace {

int showVariables(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  std::string text;
  showVariableTable(text);
  return PushToStack(stack, sp, text.c_str(), kValueString, static_cast<int>(text.size()), 0);
}

// A format is user text: it is stored only when it fits its buffer, and the display checks
// that it takes exactly one number before using it.
int storeFormat(CalcStackEntry* stack, int* sp, std::string& target) {
  char* text = reinterpret_cast<char*>(vk_ta);
  if (!vkPopString(stack, sp, text)) return 0;
  if (std::strlen(text) >= static_cast<std::size_t>(kFormatBytes)) {
    error_disp("Invalid arguments.");
    return 0;
  }
  target = text;
  return 1;
}

int setFormat(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return storeFormat(stack, sp, DispFormat); }
int setSaveFormat(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return storeFormat(stack, sp, SaveFormat);
}

constexpr VkBuiltin kS[] = {
    {"showVariableTable", 1, showVariables}, {"setFormat", 1, setFormat}, {"setSaveFormat", 1, setSaveFormat},
    // Pictures (graphics/picture_builtins.h).
    {"save", kAnyArgc, vkPictureBuiltinEntry},
    {"saveJPEG", kAnyArgc, vkPictureBuiltinEntry},
    {"setJpegQuality", kAnyArgc, vkPictureBuiltinEntry},
    {"smooth", kAnyArgc, vkPictureBuiltinEntry},
};

}  // namespace

int DoFunctionS(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kS, count, code, pc, stack, sp);
}
