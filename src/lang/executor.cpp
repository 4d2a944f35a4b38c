#include "lang/executor.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "lang/builtin_seam.h"
#include "lang/modules.h"
#include "lang/operators.h"
#include "lang/parser.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/tokenizer.h"
#include "lang/variables.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

int DoNumValue(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkPushScalar(stack, sp, code[*pc].number);
}

int DoStrValue(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const vk_Code& rec = code[*pc];
  return PushToStack(stack, sp, rec.data.c_str(), kValueString, static_cast<int>(rec.data.size()), 0);
}

int DoCntrl(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const vk_Code& rec = code[*pc];
  const std::string& name = rec.name;
  if (name == "if") {
    if (*sp <= 0) {
      error_disp("Stack (calc)");
      return 0;
    }
    const CalcStackEntry& cond = stack[*sp - 1];
    double value = 0.0;
    switch (cond.type) {
      case kValueReal:
        if (cond.msize > 0 && cond.nsize > 0) value = cond.data.doubles()[0];
        break;
      case kValueInt:
        if (cond.msize > 0 && cond.nsize > 0) value = cond.data.ints()[0];
        break;
      default:
        // A string or a picture has no first number to test.
        error_disp("Invalid data type.");
        return 0;
    }
    --*sp;
    if (vkTruncToInt(value) == 0) *pc += rec.jump - 1;
    return 1;
  }
  if (name == "goto" || name.compare(0, 6, "gotoX-") == 0) {
    *pc += rec.jump - 1;
    return 1;
  }
  error_disp("Invalid Control code.");
  return 0;
}

int DoCommand(int count, vk_Code* code, int* pc) {
  const std::string& name = code[*pc].name;
  if (name.compare(0, 6, "break-") == 0) {
    const std::string target = "gotoX-" + name.substr(6);
    for (int i = *pc; i < count; ++i) {
      if (code[i].name == target) {
        *pc = i;
        return 1;
      }
    }
    error_disp("Can not find break point");
    return 0;
  }
  error_disp("Unknown Command.");
  return 0;
}

namespace {

// A module call (kinds 1 and 12): the module's level and its variables go when it returns,
// whether it succeeded or not.
int moduleCall(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int level = vk_level;
  const int ok = DoUsrFunction(code, pc, stack, sp);
  if (vk_level != level) {
    const int high = vk_level;
    vk_level = high - 1;
    deleteHighLevelVariable(high);
  }
  return ok;
}

// The console-only line after a failing record: prefix + "[" name "]" + suffix.
inline bool isScalarReal(const CalcStackEntry& e) {
  return e.type == kValueReal && e.msize == 1 && e.nsize == 1;
}

inline bool bothScalars(const CalcStackEntry* stack, int sp) {
  return sp >= 2 && isScalarReal(stack[sp - 2]) && isScalarReal(stack[sp - 1]);
}

// The real 1 by 1 variable a record names, when the slot it was last found in still holds it.
inline VariableRecord* cachedScalar(const vk_Code& rec) {
  const int s = rec.varSlot;
  if (s < 0 || s >= static_cast<int>(variableTable.size())) return nullptr;
  VariableRecord& v = variableTable[s];
  if (v.state != 1 || v.level != vk_level || v.nameId != rec.nameId || v.kind != kVarReal || v.msize != 1 ||
      v.nsize != 1)
    return nullptr;
  return &v;
}

void consoleNotFound(const char* what, const std::string& name) {
  showErrMessageToConsole(std::string("Could not be found the [") + name + "] " + what + "\n");
}

}  // namespace

int keisanJikko(vk_Code* code, int count, int* pc, CalcStackEntry* stack, int* sp) {
  vk_Code& rec = code[*pc];
  int ok = 1;
  switch (rec.kind) {
    case kCodeInvalid:
      error_disp("Unknown instruction.");
      return 0;
    case kCodeCommand:
      ok = DoCommand(count, code, pc);
      break;
    case kCodeFunction: {
      int slot = 0;
      if (findModule(rec.name, &slot)) {
        ok = moduleCall(code, pc, stack, sp);
      } else {
        // A built-in may move the counter; the console line names the record that failed.
        const int at = *pc;
        ok = vkCallBuiltin(count, code, pc, stack, sp);
        if (!ok) consoleNotFound("function.", code[at].name);
      }
      break;
    }
    case kCodeOperator: {
      // Scalars take a short road; everything else, and every failure, goes to the handler.
      const int op = rec.op ? rec.op : vkOpcodeOf(rec);
      if (op <= kOpElemMul && op >= kOpAdd && op != kOpDiv && bothScalars(stack, *sp)) {
        CalcStackEntry& a = stack[*sp - 2];
        const double x = a.data.doubles()[0];
        const double y = stack[*sp - 1].data.doubles()[0];
        a.data.setScalar(op == kOpAdd ? x + y : op == kOpSub ? x - y : x * y);
        --*sp;
        break;
      }
      if (op == kOpDisplay && *sp != 1 && *sp >= 0) break;
      ok = DoOperator(count, code, pc, stack, sp);
      break;
    }
    case kCodeNumber:
      if (*sp >= 0 && *sp < kCalcStackSize - 1) {
        CalcStackEntry& e = stack[*sp];
        e.type = kValueReal;
        e.msize = e.nsize = 1;
        e.data.setScalar(rec.number);
        ++*sp;
      } else {
        ok = vkPushScalar(stack, sp, rec.number);
      }
      break;
    case kCodeNumVariable: {
      // A scalar real variable found where the record last found it: read or assign it here.
      VariableRecord* v = cachedScalar(rec);
      if (v) {
        const bool assign = *pc + 1 < count && code[*pc + 1].name.size() == 1 && code[*pc + 1].name[0] == '=';
        if (!assign && *sp >= 0 && *sp < kCalcStackSize - 1) {
          CalcStackEntry& e = stack[*sp];
          e.type = kValueReal;
          e.msize = e.nsize = 1;
          e.data.setScalar(v->data.doubles()[0]);
          ++*sp;
          break;
        }
        if (assign && *sp > 0 && isScalarReal(stack[*sp - 1])) {
          v->data.doubles()[0] = stack[*sp - 1].data.doubles()[0];
          --*sp;
          ++*pc;
          break;
        }
      }
      ok = DoNumVariable(count, code, pc, stack, sp);
      if (!ok) consoleNotFound("(Num.Variable)", rec.name);
      break;
    }
    case kCodeString:
      ok = DoStrValue(code, pc, stack, sp);
      break;
    case kCodeStrVariable:
      ok = DoStrVariable(count, code, pc, stack, sp);
      if (!ok) consoleNotFound("(String.Variable)", rec.name);
      break;
    case kCodeRelation: {
      const int op = rec.op ? rec.op : vkOpcodeOf(rec);
      if (op >= kRelGt && op <= kRelNe && bothScalars(stack, *sp)) {
        CalcStackEntry& a = stack[*sp - 2];
        a.data.setScalar(vkRelate(op, a.data.doubles()[0], stack[*sp - 1].data.doubles()[0]));
        --*sp;
        break;
      }
      ok = DoRelation(code, pc, stack, sp);
      break;
    }
    case kCodeLogical:
      ok = DoLogical(code, pc, stack, sp);
      break;
    case kCodeControl: {
      const int op = rec.op ? rec.op : vkOpcodeOf(rec);
      if (op == kCtlGoto) {
        *pc += rec.jump - 1;
        break;
      }
      if (op == kCtlIf && *sp > 0 && isScalarReal(stack[*sp - 1])) {
        --*sp;
        if (vkTruncToInt(stack[*sp].data.doubles()[0]) == 0) *pc += rec.jump - 1;
        break;
      }
      ok = DoCntrl(code, pc, stack, sp);
      break;
    }
    case kCodeModule:
      ok = moduleCall(code, pc, stack, sp);
      break;
    case kCodeGraphVariable:
      ok = DoGraphVariable(count, code, pc, stack, sp);
      if (!ok) consoleNotFound("(Graph.Variable)", rec.name);
      break;
    case kCodeIntVariable:
      ok = DoIntVariable(count, code, pc, stack, sp);
      break;
    default:
      break;
  }
  if (!ok) return 0;
  ++*pc;
  if (vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0 && ButtonPress()) {
    error_disp("**** BREAK *****");
    return 0;
  }
  return 1;
}

int Keisan(int count, vk_Code* code, CalcStackEntry* outerStack, int* outerSp) {
  VkStackLease lease;
  CalcStackEntry* stack = lease.get();
  int pc = 0;
  int sp = 0;
  while (pc < count) {
    if (!keisanJikko(code, count, &pc, stack, &sp)) return 0;
  }
  if (!outerStack || sp != 1) return 1;
  const CalcStackEntry& e = stack[0];
  return PushToStack(outerStack, outerSp, e.data.data(), e.type, e.msize, e.nsize);
}

namespace pravella {

VkRunResult runVkProgram(std::string_view source, const void* window) {
  std::lock_guard guard(vkRunLock());
  const VkActiveRun active;
  VkRunResult result;
  mainWindowRef.store(window);
  ResultString.clear();
  if (!vkTablesReady()) {
    // Without its scratch buffers and tables the language must not run at all.
    result.text = "...<Error>...Memory allocation error.\n";
    return result;
  }
  // A failed run must not leave the program in a folder a built-in switched to on its way.
  const std::string beforeCurrentDirectory = current_fullPath;

  std::string tokens;
  if (!shikiBunri(source, tokens)) {
    result.tokenizerFailed = true;
    result.text = std::move(tokens);
    return result;
  }
  VkCodeArray code;
  int count = 0;
  HeapCodeMoemory(code, kCodeRecords);
  bool ok = kaisekiMaesyori(tokens, code, &count) == 1;
  if (ok) {
    VkStackLease lease;
    CalcStackEntry* stack = lease.get();
    int pc = 0;
    int sp = 0;
    while (pc < count) {
      if (!keisanJikko(code.data(), count, &pc, stack, &sp)) {
        ok = false;
        break;
      }
    }
  }
  freeCodeData(code, kCodeRecords);
  if (!ok) {
    current_fullPath = beforeCurrentDirectory;
  } else if (!backup_fullPath.empty()) {
    // A successful run ends a "useTempDirectory" switch the program left on.
    current_fullPath = backup_fullPath;
    backup_fullPath.clear();
  }
  result.ok = ok;
  result.text = ResultString;
  return result;
}

}  // namespace pravella
