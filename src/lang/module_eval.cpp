#include "lang/module_eval.h"

#include <string>

#include "lang/executor.h"
#include "lang/modules.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/variables.h"

namespace pravella {

namespace {

// A module run from a built-in may itself call such a built-in; every level costs native stack
// on the run's thread, so the nesting is bounded like plain module calls are.
int nestedRuns = 0;
constexpr int kMaxNestedRuns = kMaxModuleDepth / 4;

struct NestedRun {
  NestedRun() { ++nestedRuns; }
  ~NestedRun() { --nestedRuns; }
};

}  // namespace

int vkBindModuleArguments(int module, const VkModuleValue (&values)[3], std::shared_ptr<VkCodeArray>* body) {
  const UserModuleSlot& slot = UFNtable[module];
  *body = slot.code;
  const int bound = slot.argc < 3 ? slot.argc : 3;
  ++vk_level;
  for (int a = 0; a < bound; ++a) {
    int index = 0;
    const std::string& name = slot.argNames[a];
    if (!setNewVariable(name, kVarReal, &index) ||
        !PushToVariableTable(index, name, kVarReal, values[a].data, values[a].rows, values[a].cols)) {
      vkUnbindModuleArguments();
      return 0;
    }
  }
  return 1;
}

void vkUnbindModuleArguments() {
  const int level = vk_level;
  vk_level = level - 1;
  deleteHighLevelVariable(level);
}

int vkRunModuleOnce(int module, const VkModuleValue (&values)[3], CalcStackEntry* stack, int* sp) {
  if (nestedRuns >= kMaxNestedRuns) {
    error_disp("Too deep module call.");
    return 0;
  }
  const NestedRun nested;
  std::shared_ptr<VkCodeArray> body;
  if (!vkBindModuleArguments(module, values, &body)) return 0;
  const int before = *sp;
  const int ok = body && !body->empty() ? Keisan(static_cast<int>(body->size()), body->data(), stack, sp) : 1;
  vkUnbindModuleArguments();
  if (!ok) return 0;
  if (*sp != before + 1) {
    // Nothing was pushed: popping now would take a value that belongs to the caller.
    error_disp("Invalid arguments.");
    return 0;
  }
  return 1;
}

int vkPopModuleReal(CalcStackEntry* stack, int* sp, double* dst, int* rows, int* cols) {
  int type = 0;
  if (!PopFromStack(stack, sp, dst, &type, rows, cols)) return 0;
  if (type != kValueReal) {
    error_disp("Invalid arguments.");
    return 0;
  }
  return 1;
}

int vkFindNumericModule(const char* name, int minArgs, int* index) {
  int found = 0;
  if (!findModule(name, &found)) return 0;
  const UserModuleSlot& slot = UFNtable[found];
  if (slot.argc < minArgs) return 0;
  for (int a = 0; a < slot.argc && a < 3; ++a)
    if (slot.argTypes[a] != kValueReal) return 0;
  *index = found;
  return 1;
}

}  // namespace pravella
