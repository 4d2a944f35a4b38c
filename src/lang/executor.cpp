#include "lang/executor.h"

#include <new>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>

#include "lang/builtin_seam.h"
#include "lang/modules.h"
#include "lang/operators.h"
#include "lang/parser.h"
#include "lang/report.h"
#include "lang/scalar_loop.h"
#include "lang/scalar_run.h"
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
  const VkLevelMark mark = vkEnterLevel();
  const int ok = DoUsrFunction(code, pc, stack, sp);
  if (vk_level != level) {
    const int high = vk_level;
    vk_level = high - 1;
    deleteHighLevelVariable(high);
  }
  vkLeaveLevel(mark);
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
  VariableRecord* const base = variableTable.data();
  // Found before at this epoch and level: nothing about the table has changed since.
  if (rec.varEpoch == vkVariableEpoch && rec.varLevel == vk_level) return base + rec.varSlot;
  const int s = rec.varSlot;
  // A pointer comparison: the table's size would cost a division.
  if (s < 0 || base + s >= base + variableTable.size()) return nullptr;
  VariableRecord& v = base[s];
  if (v.state != 1 || v.level != vk_level || v.nameId != rec.nameId || v.kind != kVarReal || v.msize != 1 ||
      v.nsize != 1)
    return nullptr;
  vk_Code& r = const_cast<vk_Code&>(rec);
  r.varEpoch = vkVariableEpoch;
  r.varLevel = vk_level;
  return &v;
}

void consoleNotFound(const char* what, const std::string& name) {
  showErrMessageToConsole(std::string("Could not be found the [") + name + "] " + what + "\n");
}

// Runs a built-in; the console line naming the record follows only an unknown name or a
// failure that said nothing: after a built-in's own reason it would be a second, wrong one.
int runBuiltinSayingWhy(VkCallFn run, int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int at = *pc;  // a built-in may move the counter
  const std::uint64_t linesBefore = pravella::consoleLinesWritten();
  vkTakeUnknownFunctionMark();
  const int ok = run(count, code, pc, stack, sp);
  if (!ok && (vkTakeUnknownFunctionMark() || pravella::consoleLinesWritten() == linesBefore))
    consoleNotFound("function.", code[at].name);
  return ok;
}

}  // namespace

namespace {

// One record by its kind, without the counter step and the break test.
int dispatchRecord(vk_Code* code, int count, int* pc, CalcStackEntry* stack, int* sp) {
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
        ok = runBuiltinSayingWhy(vkCallBuiltin, count, code, pc, stack, sp);
      }
      break;
    }
    case kCodeOperator: {
      // Scalars take a short road; everything else, and every failure, goes to the handler.
      const int op = rec.op ? rec.op : vkOpcodeOf(rec);
      if (op <= kOpElemMul && op >= kOpAdd && op != kOpDiv && bothScalars(stack, *sp)) {
        CalcStackEntry& a = stack[*sp - 2];
        const double x = a.data.cdoubles()[0];
        const double y = stack[*sp - 1].data.cdoubles()[0];
        a.data.setScalar(op == kOpAdd ? x + y : op == kOpSub ? x - y : x * y);
        --*sp;
        break;
      }
      if (op == kOpDisplay && *sp != 1 && *sp >= 0) break;
      ok = DoOperator(count, code, pc, stack, sp);
      break;
    }
    case kCodeNumber:
      ok = vkPushScalar(stack, sp, rec.number);
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
          e.data.setScalar(v->data.cdoubles()[0]);
          ++*sp;
          break;
        }
        if (assign && *sp > 0 && isScalarReal(stack[*sp - 1])) {
          v->data.doubles()[0] = stack[*sp - 1].data.cdoubles()[0];
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
        a.data.setScalar(vkRelate(op, a.data.cdoubles()[0], stack[*sp - 1].data.cdoubles()[0]));
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
        if (vkTruncToInt(stack[*sp].data.cdoubles()[0]) == 0) *pc += rec.jump - 1;
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
  return ok;
}

inline bool breakRequested() {
  return vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0 && ButtonPress();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The run loop. Each record is decoded once, when it first runs, into what the loop does with
// it; a few frequent sequences of records (a comparison with its "if", a variable stepped by a
// value, a string variable extended by a literal) are run as one step when their operands allow
// it. Every short road checks its preconditions and otherwise hands the record to
// dispatchRecord, which reports what the record reports, so results and messages are the same.

namespace {

enum XOp : int {
  kXUndecoded = 0,
  kXGeneric,
  kXNumber,
  kXLoad,
  kXStore,
  kXArith,
  kXRel,
  kXIf,
  kXGoto,
  kXDisplay,
  kXCall,
  kXCompareBranch,  // variable, number or variable, relation, "if"
  kXStep,           // variable, number or variable, "+" or "-", the same variable, "="
  kXStrAppend,      // string variable, string literal, "+", the same variable, "="
  kXOperandArith,   // number or variable, then an arithmetic operator: applied to the top value
  kXArithStore,     // an arithmetic operator, then a variable and "=": the result stored
  kXElement,        // "@" with its variable (and "="): one element read or written
  kXElementDirect,  // four number or variable bounds, "@", its variable (and "=", ";")
  kXStepLoop,       // a step, (";"), the loop's backward jump and the comparison it jumps to
  kXScalarRun,      // numbers, variables and arithmetic operators (and "=" to a variable): see scalar_run.h
};

// Flags in the aux word of a store (kXStore, kXArithStore): a ";" follows the "=".
constexpr int kAuxDisplayAfter = 1;

inline bool isAssign(const vk_Code& r) { return r.name.size() == 1 && r.name[0] == '='; }

inline bool isArith(vk_Code& r) {
  if (r.kind != kCodeOperator) return false;
  const int op = r.op ? r.op : vkOpcodeOf(r);
  return op >= kOpAdd && op <= kOpElemDiv;
}

inline bool sameVariable(const vk_Code& a, const vk_Code& b) { return a.kind == b.kind && a.name == b.name; }

inline bool isOperandRecord(const vk_Code* c) {
  return c && (c->kind == kCodeNumber || c->kind == kCodeNumVariable);
}

inline bool isDisplay(const vk_Code* c) { return c && c->kind == kCodeOperator && c->name == ";"; }

int decode(vk_Code* code, int count, int pc) {
  vk_Code& r = code[pc];
  const auto at = [&](int k) -> const vk_Code* { return pc + k < count ? &code[pc + k] : nullptr; };
  int x = kXGeneric;
  if (isOperandRecord(&r) && isOperandRecord(at(1)) && isOperandRecord(at(2)) && isOperandRecord(at(3)) && at(4) &&
      at(4)->kind == kCodeOperator && at(4)->name == "@" && at(5) && at(5)->kind == kCodeNumVariable) {
    r.aux = at(6) && isAssign(*at(6)) ? 1 : 0;
    if (r.aux == 1 && isDisplay(at(7))) r.aux |= 2;
    r.xop = kXElementDirect;
    return kXElementDirect;
  }
  switch (r.kind) {
    case kCodeNumber:
      x = pc + 1 < count && isArith(code[pc + 1]) ? kXOperandArith : kXNumber;
      break;
    case kCodeNumVariable: {
      const vk_Code* n1 = at(1);
      if (n1 && isAssign(*n1)) {
        x = kXStore;
        const vk_Code* n2 = at(2);
        if (n2 && n2->kind == kCodeOperator && n2->name == ";") r.aux = kAuxDisplayAfter;
        break;
      }
      x = kXLoad;
      const vk_Code* n2 = at(2);
      const vk_Code* n3 = at(3);
      const vk_Code* n4 = at(4);
      const bool operand = n1 && (n1->kind == kCodeNumber || n1->kind == kCodeNumVariable);
      if (operand && n2 && n3 && n2->kind == kCodeRelation && n3->kind == kCodeControl) {
        const int rel = n2->op ? n2->op : vkOpcodeOf(code[pc + 2]);
        const int ctl = n3->op ? n3->op : vkOpcodeOf(code[pc + 3]);
        if (rel >= kRelGt && rel <= kRelNe && ctl == kCtlIf) {
          x = kXCompareBranch;
          r.aux = rel;
        }
      } else if (operand && n2 && n3 && n4 && n2->kind == kCodeOperator && n2->name.size() == 1 &&
                 (n2->name[0] == '+' || n2->name[0] == '-') && sameVariable(r, *n3) && isAssign(*n4)) {
        x = kXStep;
        const bool plus = n2->name[0] == '+';
        r.aux = plus ? 1 : -1;
        // The step that ends a loop turn: the backward jump and the loop's comparison join it.
        int after = pc + 5;
        const bool display = isDisplay(at(5));
        if (display) ++after;
        if (after < count && code[after].kind == kCodeControl && code[after].jump <= 0) {
          vk_Code& jump = code[after];
          const int t = after + jump.jump;
          if ((jump.op ? jump.op : vkOpcodeOf(jump)) == kCtlGoto && t >= 0 && t < pc &&
              (code[t].xop ? code[t].xop : decode(code, count, t)) == kXCompareBranch) {
            x = kXStepLoop;
            // Bit 2: the comparison reads the stepped variable itself (the usual loop).
            r.aux = (t << 3) | (display ? 4 : 0) | (sameVariable(r, code[t]) ? 2 : 0) | (plus ? 1 : 0);
          }
        }
      } else if (n1 && isArith(code[pc + 1])) {
        x = kXOperandArith;
      }
      break;
    }
    case kCodeStrVariable: {
      const vk_Code* n1 = at(1);
      const vk_Code* n2 = at(2);
      const vk_Code* n3 = at(3);
      const vk_Code* n4 = at(4);
      if (n1 && n2 && n3 && n4 && n1->kind == kCodeString && std::strlen(n1->data.c_str()) == n1->data.size() &&
          n2->kind == kCodeOperator && n2->name == "+" && sameVariable(r, *n3) && isAssign(*n4))
        x = kXStrAppend;
      break;
    }
    case kCodeOperator: {
      const int op = r.op ? r.op : vkOpcodeOf(r);
      const vk_Code* n1 = at(1);
      const vk_Code* n2 = at(2);
      const vk_Code* n3 = at(3);
      if (op >= kOpAdd && op <= kOpElemDiv) {
        x = kXArith;
        if (n1 && n2 && n1->kind == kCodeNumVariable && isAssign(*n2)) {
          x = kXArithStore;
          r.aux = n3 && n3->kind == kCodeOperator && n3->name == ";" ? kAuxDisplayAfter : 0;
        }
      } else if (op == kOpDisplay) {
        x = kXDisplay;
      } else if (r.name == "@" && n1 && n1->kind == kCodeNumVariable) {
        x = kXElement;
        r.aux = n2 && isAssign(*n2) ? 1 : 0;
      }
      break;
    }
    case kCodeRelation: {
      const int op = r.op ? r.op : vkOpcodeOf(r);
      if (op >= kRelGt && op <= kRelNe) x = kXRel;
      break;
    }
    case kCodeControl: {
      const int op = r.op ? r.op : vkOpcodeOf(r);
      if (op == kCtlIf)
        x = kXIf;
      else if (op == kCtlGoto)
        x = kXGoto;
      break;
    }
    case kCodeFunction:
    case kCodeModule:
      x = kXCall;
      // "return" ends the body it stands in (its built-in sets the counter past the end); it is
      // taken here without the dispatch unless a module of that name hides it.
      r.aux = r.kind == kCodeFunction && r.argc == 1 && r.name == "return" ? 1 : 0;
      break;
    default:
      break;
  }
  r.scalarRun.reset();
  if (x == kXLoad || x == kXNumber || x == kXOperandArith) {
    r.scalarRun = vkCompileScalarRun(code, count, pc);
    if (r.scalarRun) x = kXScalarRun;
  }
  r.xop = x;
  return x;
}

// The scalar value of a number record or of a real 1 by 1 variable record; false when the
// variable is not such a value where the record last found it.
inline bool operandValue(const vk_Code& r, double* value) {
  if (r.kind == kCodeNumber) {
    *value = r.number;
    return true;
  }
  const VariableRecord* v = cachedScalar(r);
  if (!v) return false;
  *value = v->data.cdoubles()[0];
  return true;
}

// The variable a string record names at this level, when it holds a string.
inline VariableRecord* stringVariable(vk_Code& r) {
  const int i = vkLookupVariable(r);
  if (i < 0) return nullptr;
  VariableRecord& v = variableTable[i];
  return v.state == 1 && v.kind == kVarString && v.data.size() >= 1 ? &v : nullptr;
}

inline void pushScalarAt(CalcStackEntry* stack, int sp, double value) {
  CalcStackEntry& e = stack[sp];
  e.type = kValueReal;
  e.msize = e.nsize = 1;
  e.data.setScalar(value);
}

// The module a call record names, resolved again whenever a module was defined or deleted.
inline int moduleOf(vk_Code& r) {
  if (r.moduleEpoch != vkModuleEpoch) {
    int slot = -1;
    if (!findModule(r.name, &slot)) slot = -1;
    r.moduleSlot = slot;
    r.moduleEpoch = vkModuleEpoch;
  }
  return r.moduleSlot;
}

int moduleCallSlot(int slot, CalcStackEntry* stack, int* sp) {
  const int level = vk_level;
  const VkLevelMark mark = vkEnterLevel();
  const int ok = vkCallModule(slot, stack, sp);
  if (vk_level != level) {
    const int high = vk_level;
    vk_level = high - 1;
    deleteHighLevelVariable(high);
  }
  vkLeaveLevel(mark);
  return ok;
}

// At the head of the loop whose backward jump is code[back], just reached by that jump: the rest
// of the loop in its compact form when it can run so. kLoopBroken when the break test stopped it
// (reported); kLoopLeft when it ran, *pc being where the records go on; kLoopDeclined when it
// did not run (*pc unchanged).
VkLoopOutcome runCompactLoop(vk_Code* code, int count, int back, int* pc, int sp) {
  vk_Code& jump = code[back];
  if (jump.loopState == 0) {
    jump.loop = vkCompileScalarLoop(code, count, back + jump.jump, back);
    jump.loopState = jump.loop ? 1 : 2;
  }
  if (jump.loopState != 1 ||
      (jump.loopDeclinedEpoch == vkVariableEpoch && jump.loopDeclinedLevel == vk_level))
    return kLoopDeclined;
  const VkLoopOutcome outcome = vkRunScalarLoop(*jump.loop, code, sp, pc);
  if (outcome == kLoopDeclined) {
    jump.loopDeclinedEpoch = vkVariableEpoch;
    jump.loopDeclinedLevel = vk_level;
  }
  return outcome;
}

}  // namespace

// x op y for the arithmetic opcodes; false for a zero divisor, which the operator's own handler
// reports.
inline bool scalarArith(int op, double u, double w, double* r) {
  switch (op) {
    case kOpAdd:
      *r = u + w;
      return true;
    case kOpSub:
      *r = u - w;
      return true;
    case kOpMul:
    case kOpElemMul:
      *r = u * w;
      return true;
    default:  // "/" and "%"
      if (w == 0.0) return false;
      *r = u / w;
      return true;
  }
}

// The one element m[i,j] of bounds b (row from, row to, column from, column to) when they name
// a single element inside a real matrix variable; null otherwise (the "@" record's handler then
// does the general case and reports what is wrong).
inline double* elementAt(vk_Code& varRec, const double (&b)[4], bool forWrite) {
  for (double x : b)
    if (!(x >= 0.0)) return nullptr;
  const int rf = vkTruncToInt(b[0]), cf = vkTruncToInt(b[2]);
  int rt = vkTruncToInt(b[1]), ct = vkTruncToInt(b[3]);
  if (rt == 0) rt = rf;
  if (ct == 0) ct = cf;
  if (rt != rf || ct != cf || rf < 1 || cf < 1) return nullptr;
  const int i = vkLookupVariable(varRec);
  if (i < 0) return nullptr;
  VariableRecord& v = variableTable[i];
  if (v.state != 1 || v.kind != kVarReal || rf > v.msize || cf > v.nsize) return nullptr;
  const std::size_t at = static_cast<std::size_t>(rf - 1) * static_cast<std::size_t>(v.nsize) + (cf - 1);
  return forWrite ? v.data.doubles() + at : const_cast<double*>(v.data.cdoubles() + at);
}

// The same with the four bounds on top of the stack.
inline double* singleElement(vk_Code& varRec, CalcStackEntry* stack, int sp, bool forWrite) {
  double b[4];
  for (int k = 0; k < 4; ++k) {
    const CalcStackEntry& e = stack[sp - 4 + k];
    if (!isScalarReal(e)) return nullptr;
    b[k] = e.data.cdoubles()[0];
  }
  return elementAt(varRec, b, forWrite);
}

// Operand k of a scalar run: its number, or the value of its real 1 by 1 variable.
inline bool runOperand(const vk_Code* at, const VkScalarRun& run, int k, double* value) {
  const int record = run.operandRecord[k];
  if (record < 0) {
    *value = run.number[k];
    return true;
  }
  const VariableRecord* v = cachedScalar(at[record]);
  if (!v) return false;
  *value = v->data.cdoubles()[0];
  return true;
}

// The value of a scalar run whose first record is at[0]; false when a variable it reads is not a
// real 1 by 1 value where its record last found it, or a divisor is zero (the records then run
// one by one and report what they report).
inline bool scalarRunValue(const vk_Code* at, const VkScalarRun& run, double* out) {
  const VkScalarStep* steps = run.steps;
  double a, b, c, r;
  switch (run.form) {
    case VkScalarRun::kBinary:
      return runOperand(at, run, 0, &a) && runOperand(at, run, 1, &b) && vkScalarStepArith(steps[1].code, a, b, out);
    case VkScalarRun::kChain:
      return runOperand(at, run, 0, &a) && runOperand(at, run, 1, &b) && runOperand(at, run, 2, &c) &&
             vkScalarStepArith(steps[1].code, a, b, &r) && vkScalarStepArith(steps[2].code, r, c, out);
    case VkScalarRun::kNested:
      return runOperand(at, run, 0, &a) && runOperand(at, run, 1, &b) && runOperand(at, run, 2, &c) &&
             vkScalarStepArith(steps[2].code, b, c, &r) && vkScalarStepArith(steps[3].code, a, r, out);
    default:
      break;
  }
  double st[8];
  int t = -1;
  for (int k = 0; k < run.stepCount; ++k) {
    const VkScalarStep& s = steps[k];
    if (s.code >= VkScalarStep::kAddTop) {
      if (!vkScalarStepArith(s.code, st[t - 1], st[t], &st[t - 1])) return false;
      --t;
      continue;
    }
    double w;
    if (!runOperand(at, run, s.operand, &w)) return false;
    if (s.code == VkScalarStep::kPush)
      st[++t] = w;
    else if (!vkScalarStepArith(s.code, st[t], w, &st[t]))
      return false;
  }
  *out = st[0];
  return true;
}

int vkExecute(vk_Code* code, int count, CalcStackEntry* stack, int* spInOut) {
  int pc = 0;
  int sp = *spInOut;
  constexpr int kPushLimit = kCalcStackSize - 1;  // a push needs sp below this
  while (pc < count) {
    vk_Code& rec = code[pc];
    int x = rec.xop;
    if (x == kXUndecoded) x = decode(code, count, pc);
    switch (x) {
      case kXNumber:
        if (sp >= 0 && sp < kPushLimit) {
          pushScalarAt(stack, sp++, rec.number);
          ++pc;
          continue;
        }
        break;
      case kXLoad:
        if (sp >= 0 && sp < kPushLimit) {
          if (const VariableRecord* v = cachedScalar(rec)) {
            pushScalarAt(stack, sp++, v->data.cdoubles()[0]);
            ++pc;
            continue;
          }
        }
        break;
      case kXStore:
        if (sp > 0 && isScalarReal(stack[sp - 1])) {
          if (VariableRecord* v = cachedScalar(rec)) {
            v->data.setScalar(stack[--sp].data.cdoubles()[0]);
            // A following ";" displays only a single value left on the stack.
            pc += (rec.aux & kAuxDisplayAfter) && sp != 1 ? 3 : 2;
            continue;
          }
        }
        break;
      case kXArith:
        if (bothScalars(stack, sp)) {
          CalcStackEntry& a = stack[sp - 2];
          const double u = a.data.cdoubles()[0];
          const double w = stack[sp - 1].data.cdoubles()[0];
          double r;
          switch (rec.op) {
            case kOpAdd:
              r = u + w;
              break;
            case kOpSub:
              r = u - w;
              break;
            case kOpMul:
            case kOpElemMul:
              r = u * w;
              break;
            default:  // "/" and "%": a zero divisor is the handler's to report
              if (w == 0.0) goto generic;
              r = u / w;
              break;
          }
          a.data.setScalar(r);
          --sp;
          ++pc;
          continue;
        }
        break;
      case kXRel:
        if (bothScalars(stack, sp)) {
          CalcStackEntry& a = stack[sp - 2];
          a.data.setScalar(vkRelate(rec.op, a.data.cdoubles()[0], stack[sp - 1].data.cdoubles()[0]));
          --sp;
          ++pc;
          continue;
        }
        break;
      case kXIf:
        if (sp > 0 && isScalarReal(stack[sp - 1])) {
          --sp;
          pc += vkTruncToInt(stack[sp].data.cdoubles()[0]) == 0 ? rec.jump : 1;
          continue;
        }
        break;
      case kXGoto:
        if (rec.jump <= 0) {
          const int back = pc;
          pc += rec.jump;
          if (breakRequested()) {
            error_disp("**** BREAK *****");
            *spInOut = sp;
            return 0;
          }
          if (runCompactLoop(code, count, back, &pc, sp) == kLoopBroken) {
            *spInOut = sp;
            return 0;
          }
          continue;
        }
        pc += rec.jump;
        continue;
      case kXDisplay:
        if (sp != 1 && sp >= 0) {
          ++pc;
          continue;
        }
        break;
      case kXCompareBranch: {
        double u, w;
        if (sp >= 0 && sp + 1 < kPushLimit && operandValue(rec, &u) && operandValue(code[pc + 1], &w)) {
          const double holds = vkRelate(rec.aux, u, w);
          pc += vkTruncToInt(holds) == 0 ? 3 + code[pc + 3].jump : 4;
          continue;
        }
        break;
      }
      case kXStep: {
        double w;
        if (sp >= 0 && sp + 1 < kPushLimit) {
          if (VariableRecord* v = cachedScalar(rec); v && operandValue(code[pc + 1], &w)) {
            const double u = v->data.cdoubles()[0];
            v->data.setScalar(rec.aux > 0 ? u + w : u - w);
            pc += 5;
            continue;
          }
        }
        break;
      }
      case kXStrAppend: {
        if (sp >= 0 && sp + 1 < kPushLimit) {
          if (VariableRecord* v = stringVariable(rec)) {
            const vk_Code& lit = code[pc + 1];
            const std::size_t length = v->data.size() - 1;
            const std::size_t total = length + lit.data.size() + 1;
            if (total <= static_cast<std::size_t>(TNumber) * 8 && v->data.grow(total)) {
              unsigned char* p = v->data.data();
              std::memcpy(p + length, lit.data.data(), lit.data.size());
              p[total - 1] = 0;
              v->msize += static_cast<int>(lit.data.size());
              pc += 5;
              continue;
            }
          }
        }
        break;
      }
      case kXOperandArith: {
        double w, r;
        if (sp > 0 && sp < kPushLimit && isScalarReal(stack[sp - 1]) && operandValue(rec, &w)) {
          CalcStackEntry& a = stack[sp - 1];
          if (scalarArith(code[pc + 1].op, a.data.cdoubles()[0], w, &r)) {
            a.data.setScalar(r);
            pc += 2;
            continue;
          }
        }
        break;
      }
      case kXArithStore: {
        double r;
        if (bothScalars(stack, sp) &&
            scalarArith(rec.op, stack[sp - 2].data.cdoubles()[0], stack[sp - 1].data.cdoubles()[0], &r)) {
          sp -= 1;
          if (VariableRecord* v = cachedScalar(code[pc + 1])) {
            v->data.setScalar(r);
            sp -= 1;
            pc += (rec.aux & kAuxDisplayAfter) && sp != 1 ? 4 : 3;
            // An assignment that ends a loop body goes straight on to the loop's step.
            if (pc < count && code[pc].xop == kXStepLoop) goto stepLoop;
          } else {
            stack[sp - 1].data.setScalar(r);
            pc += 1;
          }
          continue;
        }
        break;
      }
      case kXElement:
        if (rec.aux == 0 && sp >= 4) {
          if (const double* p = singleElement(code[pc + 1], stack, sp, false)) {
            sp -= 4;
            pushScalarAt(stack, sp++, *p);
            pc += 2;
            continue;
          }
        } else if (rec.aux == 1 && sp >= 5 && isScalarReal(stack[sp - 5])) {
          if (double* p = singleElement(code[pc + 1], stack, sp, true)) {
            *p = stack[sp - 5].data.cdoubles()[0];
            sp -= 5;
            pc += 3;
            continue;
          }
        }
        break;
      case kXElementDirect: {
        double b[4];
        if (sp >= 0 && sp + 4 < kPushLimit && operandValue(rec, &b[0]) && operandValue(code[pc + 1], &b[1]) &&
            operandValue(code[pc + 2], &b[2]) && operandValue(code[pc + 3], &b[3])) {
          if ((rec.aux & 1) == 0) {
            if (const double* p = elementAt(code[pc + 5], b, false)) {
              pushScalarAt(stack, sp++, *p);
              pc += 6;
              continue;
            }
          } else if (sp > 0 && isScalarReal(stack[sp - 1])) {
            if (double* p = elementAt(code[pc + 5], b, true)) {
              *p = stack[--sp].data.cdoubles()[0];
              pc += (rec.aux & 2) && sp != 1 ? 8 : 7;
              continue;
            }
          }
        }
        break;
      }
      case kXStepLoop:
      stepLoop: {
        const int pc0 = pc;
        vk_Code& r = code[pc];
        double w;
        if (sp >= 0 && sp + 1 < kPushLimit && !((r.aux & 4) && sp == 1)) {
          if (VariableRecord* v = cachedScalar(r); v && operandValue(code[pc + 1], &w)) {
            const double u = v->data.cdoubles()[0];
            const double stepped = (r.aux & 1) ? u + w : u - w;
            v->data.setScalar(stepped);
            const int t = r.aux >> 3;
            pc = t;
            if (breakRequested()) {
              error_disp("**** BREAK *****");
              *spInOut = sp;
              return 0;
            }
            const int back = pc0 + ((r.aux & 4) ? 6 : 5);
            const VkLoopOutcome compact = runCompactLoop(code, count, back, &pc, sp);
            if (compact == kLoopBroken) {
              *spInOut = sp;
              return 0;
            }
            if (compact == kLoopLeft) continue;
            double a = stepped, c;
            const bool known = (r.aux & 2) ? operandValue(code[t + 1], &c)
                                           : operandValue(code[t], &a) && operandValue(code[t + 1], &c);
            if (known) {
              pc += vkTruncToInt(vkRelate(code[t].aux, a, c)) == 0 ? 3 + code[t + 3].jump : 4;
              // A loop body that starts with a scalar run goes straight on to it.
              if (pc < count && code[pc].xop == kXScalarRun) goto scalarRun;
            }
            continue;
          }
        }
        break;
      }
      case kXScalarRun:
      scalarRun: {
        const VkScalarRun& run = *code[pc].scalarRun;
        double value;
        if (sp >= 0 && sp + run.depth <= kPushLimit && scalarRunValue(code + pc, run, &value)) {
          if (run.store < 0) {
            pushScalarAt(stack, sp++, value);
            pc += run.records;
            // "return" with the value, unless a module of that name hides it: as its own record
            // would, the body ends and the break test runs.
            if (run.returnAfter && moduleOf(code[pc]) < 0) {
              pc = count + 1;
              if (breakRequested()) {
                error_disp("**** BREAK *****");
                *spInOut = sp;
                return 0;
              }
            }
            continue;
          }
          if (VariableRecord* v = cachedScalar(code[pc + run.store])) {
            v->data.setScalar(value);
            // A following ";" displays only a single value left on the stack.
            pc += run.records + (run.displayAfter && sp != 1 ? 1 : 0);
            // An assignment that ends a loop body goes straight on to the loop's step.
            if (pc < count && code[pc].xop == kXStepLoop) goto stepLoop;
            continue;
          }
        }
        break;
      }
      case kXCall: {
        const int slot = moduleOf(rec);
        int ok = 1;
        if (slot >= 0) {
          int s = sp;
          if (vkCallModuleInline(slot, stack, &s) < 0 && vkCallModuleCompact(slot, stack, &s) < 0)
            ok = moduleCallSlot(slot, stack, &s);
          sp = s;
          ++pc;
        } else if (rec.aux == 1) {
          pc = count + 1;
        } else if (rec.kind == kCodeFunction && vkResolvedBuiltin(rec)) {
          // No module hides it: its built-in straight away, as dispatchRecord would run it.
          int p = pc, s = sp;
          ok = runBuiltinSayingWhy(rec.builtin, count, code, &p, stack, &s);
          pc = p + 1;
          sp = s;
        } else {
          int p = pc, s = sp;
          ok = dispatchRecord(code, count, &p, stack, &s);
          pc = p + 1;
          sp = s;
        }
        if (!ok) {
          *spInOut = sp;
          return 0;
        }
        if (breakRequested()) {
          error_disp("**** BREAK *****");
          *spInOut = sp;
          return 0;
        }
        continue;
      }
      default:
        break;
    }
  generic:
    // The counter and the stack count go to the handler through copies, so that the loop's own
    // stay in registers.
    int p = pc, s = sp;
    const int ok = dispatchRecord(code, count, &p, stack, &s);
    sp = s;
    if (!ok) {
      *spInOut = sp;
      return 0;
    }
    pc = p + 1;
  }
  *spInOut = sp;
  return 1;
}

int keisanJikko(vk_Code* code, int count, int* pc, CalcStackEntry* stack, int* sp) {
  if (!dispatchRecord(code, count, pc, stack, sp)) return 0;
  ++*pc;
  if (breakRequested()) {
    error_disp("**** BREAK *****");
    return 0;
  }
  return 1;
}

int Keisan(int count, vk_Code* code, CalcStackEntry* outerStack, int* outerSp) {
  VkStackLease lease;
  CalcStackEntry* stack = lease.get();
  int sp = 0;
  if (!vkExecute(code, count, stack, &sp)) return 0;
  if (!outerStack || sp != 1) return 1;
  CalcStackEntry& e = stack[0];
  if (e.type == kValueReal && e.msize == 1 && e.nsize == 1) {
    if (*outerSp >= 0 && *outerSp < kCalcStackSize - 1) {
      pushScalarAt(outerStack, (*outerSp)++, e.data.cdoubles()[0]);
      return 1;
    }
    return vkPushScalar(outerStack, outerSp, e.data.cdoubles()[0]);
  }
  // The value moves: the outer entry takes the block, the inner one is left empty.
  if (*outerSp >= 0 && *outerSp < kCalcStackSize - 1 && (e.type == kValueReal || e.type == kValueInt ||
                                                          e.type == kValueString || e.type == kValuePicture)) {
    CalcStackEntry& out = outerStack[*outerSp];
    out.type = e.type;
    out.msize = e.msize;
    out.nsize = e.nsize;
    out.data = std::move(e.data);
    ++*outerSp;
    return 1;
  }
  return PushToStack(outerStack, outerSp, e.data.cdata(), e.type, e.msize, e.nsize);
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
    int sp = 0;
    // Memory that runs out anywhere in a built-in ends the run, not the process (and with it
    // the user's unsaved memo).
    try {
      ok = vkExecute(code.data(), count, lease.get(), &sp) == 1;
    } catch (const std::bad_alloc&) {
      error_disp("Memory allocation error.");
      ok = false;
    }
  }
  freeCodeData(code, kCodeRecords);
  VkBytes::releaseSpareBlocks();
  if (!ok) {
    // A failed run leaves no folder switch behind for the next run to undo.
    current_fullPath = beforeCurrentDirectory;
    backup_fullPath.clear();
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
