#include "lang/scalar_run.h"

#include <vector>

namespace {

// A run long enough to matter and short enough that its values fit in registers.
constexpr int kMaxRunRecords = VkScalarRun::kMaxRecords;
constexpr int kMaxRunDepth = 8;

int scalarOperator(vk_Code& r) {
  if (r.kind != kCodeOperator) return 0;
  const int op = r.op ? r.op : vkOpcodeOf(r);
  return op >= kOpAdd && op <= kOpElemDiv ? op : 0;
}

bool isAssignment(const vk_Code& r) { return r.kind == kCodeOperator && r.name.size() == 1 && r.name[0] == '='; }

bool isDisplayRecord(const vk_Code& r) { return r.kind == kCodeOperator && r.name.size() == 1 && r.name[0] == ';'; }

// The step code of an operator: 0 add, 1 subtract, 2 multiply, 3 divide ("x" multiplies and "%"
// divides two numbers).
int arithmeticOf(int op) {
  switch (op) {
    case kOpAdd:
      return 0;
    case kOpSub:
      return 1;
    case kOpMul:
    case kOpElemMul:
      return 2;
    default:
      return 3;
  }
}

// A value or operator record as the compiler first sees it, before operands are numbered.
struct Item {
  bool push;
  int arithmetic;  // for an operator
  bool variable;   // for a push
  int offset;      // of a variable push
  double number;   // of a number push
};

}  // namespace

std::shared_ptr<const VkScalarRun> vkCompileScalarRun(vk_Code* code, int count, int pc) {
  std::vector<Item> items;
  int depth = 0, maxDepth = 0;
  // The longest prefix after which exactly one value stands: where the run can end.
  int bestEnd = pc, bestDepth = 0;
  std::size_t bestItems = 0;
  for (int end = pc; end < count && end - pc < kMaxRunRecords; ++end) {
    vk_Code& r = code[end];
    if (r.kind == kCodeNumber || r.kind == kCodeNumVariable) {
      // A variable followed by "=" is assigned, not read: the run ends before it.
      if (r.kind == kCodeNumVariable && end + 1 < count && isAssignment(code[end + 1])) break;
      if (depth == kMaxRunDepth) break;
      items.push_back({true, 0, r.kind == kCodeNumVariable, end - pc, r.number});
      if (++depth > maxDepth) maxDepth = depth;
    } else if (const int op = scalarOperator(r)) {
      // An operator that would take a value pushed before the run ends it.
      if (depth < 2) break;
      items.push_back({false, arithmeticOf(op), false, 0, 0.0});
      --depth;
    } else {
      break;
    }
    if (depth == 1) {
      bestEnd = end + 1;
      bestItems = items.size();
      bestDepth = maxDepth;
    }
  }
  const int values = bestEnd - pc;
  if (values < 3) return nullptr;
  items.resize(bestItems);

  auto run = std::make_shared<VkScalarRun>();
  run->depth = bestDepth;
  for (std::size_t k = 0; k < items.size(); ++k) {
    const Item& it = items[k];
    if (!it.push) {
      run->steps[run->stepCount++] = {static_cast<VkScalarStep::Code>(VkScalarStep::kAddTop + it.arithmetic), 0};
      continue;
    }
    const int operand = run->operandCount++;
    int record = it.variable ? it.offset : -1;
    // A variable read twice is looked up once: both records name it at the same level.
    for (int j = 0; j < operand && record >= 0; ++j) {
      const int other = run->operandRecord[j];
      if (other >= 0 && code[pc + other].name == code[pc + record].name) record = other;
    }
    run->operandRecord[operand] = static_cast<int16_t>(record);
    run->number[operand] = it.variable ? 0.0 : it.number;
    // An operand pushed just before its operator is applied to the value below it directly.
    if (k + 1 < items.size() && !items[k + 1].push) {
      run->steps[run->stepCount++] = {static_cast<VkScalarStep::Code>(VkScalarStep::kAdd + items[k + 1].arithmetic),
                                      static_cast<uint8_t>(operand)};
      ++k;
    } else {
      run->steps[run->stepCount++] = {VkScalarStep::kPush, static_cast<uint8_t>(operand)};
    }
  }
  const auto codeAt = [&](int k) { return run->steps[k].code; };
  const auto isOperandStep = [](VkScalarStep::Code c) { return c >= VkScalarStep::kAdd && c <= VkScalarStep::kDiv; };
  const auto isTopStep = [](VkScalarStep::Code c) { return c >= VkScalarStep::kAddTop; };
  if (run->stepCount == 2 && isOperandStep(codeAt(1)))
    run->form = VkScalarRun::kBinary;
  else if (run->stepCount == 3 && isOperandStep(codeAt(1)) && isOperandStep(codeAt(2)))
    run->form = VkScalarRun::kChain;
  else if (run->stepCount == 4 && codeAt(1) == VkScalarStep::kPush && isOperandStep(codeAt(2)) &&
           isTopStep(codeAt(3)))
    run->form = VkScalarRun::kNested;
  run->records = values;
  if (bestEnd + 1 < count && code[bestEnd].kind == kCodeNumVariable && isAssignment(code[bestEnd + 1])) {
    run->store = values;
    run->records = values + 2;
    run->displayAfter = bestEnd + 2 < count && isDisplayRecord(code[bestEnd + 2]);
  } else if (bestEnd < count) {
    const vk_Code& next = code[bestEnd];
    run->returnAfter = next.kind == kCodeFunction && next.argc == 1 && next.name == "return";
  }
  return run;
}

bool vkScalarRunValue(const VkScalarRun& run, const double* operands, double* out) {
  const auto operand = [&](int k) { return run.operandRecord[k] < 0 ? run.number[k] : operands[k]; };
  double st[kMaxRunDepth];
  int t = -1;
  for (int k = 0; k < run.stepCount; ++k) {
    const VkScalarStep& s = run.steps[k];
    if (s.code >= VkScalarStep::kAddTop) {
      if (!vkScalarStepArith(s.code, st[t - 1], st[t], &st[t - 1])) return false;
      --t;
    } else if (s.code == VkScalarStep::kPush) {
      st[++t] = operand(s.operand);
    } else if (!vkScalarStepArith(s.code, st[t], operand(s.operand), &st[t])) {
      return false;
    }
  }
  *out = st[0];
  return true;
}
