// Built-ins D: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <cstring>

#include "graphics/picture_builtins.h"
#include "lang/builtins/builtin_table.h"
#include "lang/modules.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/variables.h"

namespace {

int deleteModule(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  char* name = reinterpret_cast<char*>(vk_ta);
  if (!vkPopString(stack, sp, name)) return 0;
  if (std::strcmp(name, "all") == 0) return DoDeleteModuleAll();
  int index = 0;
  if (!findModule(name, &index)) {
    error_disp("Module is not exist.");
    return 0;
  }
  return DoDeleteModule(index);
}

// The argument is not used; the table is emptied whatever it is.
int deleteAllVariableBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  deleteAllVariable();
  return 1;
}

constexpr VkBuiltin kD[] = {
    {"deleteModule", 1, deleteModule}, {"deleteAllVariable", 1, deleteAllVariableBuiltin},
    // Pictures (graphics/picture_builtins.h).
    {"densityPlot", kAnyArgc, vkPictureBuiltinEntry},
};

}  // namespace

int DoFunctionD(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kD, count, code, pc, stack, sp);
}
