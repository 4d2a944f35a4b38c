#include "lang/builtin_seam.h"

#include "lang/report.h"

namespace {

// Written once by the start-up before any run thread exists, read by every run after it.
VkBuiltinSeam gSeam;

}  // namespace

void vkRegisterBuiltins(const VkBuiltinSeam& seam) { gSeam = seam; }

const VkBuiltinSeam& vkBuiltins() { return gSeam; }

int vkCallBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (gSeam.callFunction) return gSeam.callFunction(count, code, pc, stack, sp);
  error_disp_unknown("Unknown Function!");
  return 0;
}

VkCallFn vkResolvedBuiltin(vk_Code& record) {
  if (record.builtinState == 0) {
    record.builtin = gSeam.resolveFunction ? gSeam.resolveFunction(record.name, record.argc) : nullptr;
    record.builtinState = record.builtin ? 1 : 2;
  }
  return record.builtin;
}
