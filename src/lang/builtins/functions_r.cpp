// Built-ins R: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"


#include "lang/builtins/builtin_table.h"
#include "lang/report.h"
#include "lang/stack.h"

namespace {

// Ends the running code (a module body or a program); the argument stays on the stack as its
// value.
int returnBuiltin(int count, vk_Code*, int* pc, CalcStackEntry*, int*) {
  *pc = count;
  return 1;
}

int restMN(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!PopFromStack(stack, sp, vk_ta, &type, &rows, &cols)) return 0;
  if (type != kValueReal || rows != 1 || cols != 2) {
    error_disp("Invalid arguments.");
    return 0;
  }
  restM = vkTruncToInt(vk_ta[0]);
  restN = vkTruncToInt(vk_ta[1]);
  return 1;
}

constexpr VkBuiltin kR[] = {
    {"return", 1, returnBuiltin},
    {"restMN", 1, restMN},
};

}  // namespace

int DoFunctionR(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kR, count, code, pc, stack, sp);
}
