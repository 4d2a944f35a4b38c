#include "lang/scalar_run.h"

namespace {

// A run long enough to matter and short enough that its value stack fits in registers.
constexpr int kMaxRunRecords = 24;
constexpr int kMaxRunDepth = 8;

bool isScalarOperator(vk_Code& r) {
  if (r.kind != kCodeOperator) return false;
  const int op = r.op ? r.op : vkOpcodeOf(r);
  return op >= kOpAdd && op <= kOpElemDiv;
}

bool isAssignment(const vk_Code& r) { return r.kind == kCodeOperator && r.name.size() == 1 && r.name[0] == '='; }

bool isDisplayRecord(const vk_Code& r) { return r.kind == kCodeOperator && r.name.size() == 1 && r.name[0] == ';'; }

}  // namespace

std::shared_ptr<const VkScalarRun> vkCompileScalarRun(vk_Code* code, int count, int pc) {
  auto run = std::make_shared<VkScalarRun>();
  int depth = 0;
  // The longest prefix after which exactly one value stands: where the run can end.
  int bestEnd = pc;
  std::size_t bestSteps = 0;
  int bestDepth = 0;
  for (int end = pc; end < count && end - pc < kMaxRunRecords; ++end) {
    vk_Code& r = code[end];
    const int at = end - pc;
    if (r.kind == kCodeNumber || r.kind == kCodeNumVariable) {
      // A variable followed by "=" is assigned, not read: the run ends before it.
      if (r.kind == kCodeNumVariable && end + 1 < count && isAssignment(code[end + 1])) break;
      if (depth == kMaxRunDepth) break;
      const bool number = r.kind == kCodeNumber;
      run->steps.push_back({number ? VkScalarStep::kPushNumber : VkScalarStep::kPushVariable, 0, at, r.number});
      ++depth;
      if (depth > bestDepth) bestDepth = depth;
    } else if (isScalarOperator(r)) {
      // An operator that would take a value pushed before the run ends it.
      if (depth < 2) break;
      VkScalarStep& last = run->steps.back();
      if (last.what == VkScalarStep::kPushNumber || last.what == VkScalarStep::kPushVariable) {
        // An operand pushed just before its operator is applied to the value below it directly.
        last.what = last.what == VkScalarStep::kPushNumber ? VkScalarStep::kNumber : VkScalarStep::kVariable;
        last.op = r.op;
      } else {
        run->steps.push_back({VkScalarStep::kTop, r.op, at, 0.0});
      }
      --depth;
    } else {
      break;
    }
    if (depth == 1) {
      bestEnd = end + 1;
      bestSteps = run->steps.size();
      run->depth = bestDepth;
    }
  }
  const int values = bestEnd - pc;
  if (values < 3) return nullptr;
  run->steps.resize(bestSteps);
  run->records = values;
  if (bestEnd + 1 < count && code[bestEnd].kind == kCodeNumVariable && isAssignment(code[bestEnd + 1])) {
    run->store = values;
    run->records = values + 2;
    run->displayAfter = bestEnd + 2 < count && isDisplayRecord(code[bestEnd + 2]);
  }
  return run;
}
