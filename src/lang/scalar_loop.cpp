#include "lang/scalar_loop.h"

#include <algorithm>
#include <cstring>

#include "lang/builtin_seam.h"
#include "lang/modules.h"
#include "lang/operators.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/variables.h"

namespace {

// A loop longer than this is rarely a tight one, and its registers would not fit the frame.
constexpr int kMaxLoopRecords = 4000;
constexpr int kMaxRegisters = 256;
// A module body's frame lives on the native stack of each nested call.
constexpr int kMaxBodyRegisters = 64;
// The run loop needs this many stack entries free for a loop's deepest expression: the
// records would fail with their own overflow message where the compact form would not.
constexpr int kPushLimit = kCalcStackSize - 1;

using Instr = VkLoopInstr;

bool isAssignment(const vk_Code& r) {
  return r.kind == kCodeOperator && r.name.size() == 1 && r.name[0] == '=';
}

// A call is not stored straight into its variable: when the break test after the call stops
// the run, the variable must still hold its old value, as with the records.
bool producesValue(Instr::Op op) { return op <= Instr::kMove; }

class LoopCompiler {
 public:
  LoopCompiler(vk_Code* code, int count, int head, int back, int moduleSlot = -1)
      : code_(code), count_(count), head_(head), back_(back), module_(moduleSlot) {}

  std::shared_ptr<const VkScalarLoop> compile() {
    const bool body = module_ >= 0;
    if (head_ < 0 || back_ < head_ || (!body && back_ == head_) || back_ >= count_ ||
        back_ - head_ + 1 > kMaxLoopRecords)
      return nullptr;
    loop_->body = body;
    if (!collectOperands()) return nullptr;
    tempBase_ = static_cast<int>(loop_->variables.size() + loop_->constants.size());
    instrAt_.assign(back_ - head_ + 1, -1);
    for (int p = head_; p <= back_; ++p)
      if (!record(p)) return nullptr;
    if (!stack_.empty()) return nullptr;
    // A body that runs off its end returns nothing.
    if (body) loop_->code.push_back({Instr::kExit, 0, 0, 0, 0, 0, count_});
    if (!resolveJumps()) return nullptr;
    loop_->registers = tempBase_ + loop_->depth;
    if (loop_->registers > (body ? kMaxBodyRegisters : kMaxRegisters)) return nullptr;
    if (body && !definitelyAssigned()) return nullptr;
    loop_->epoch = vkModuleEpoch;
    return loop_;
  }

 private:
  // Variables and constants get their registers first, so temporaries follow them.
  bool collectOperands() {
    if (module_ >= 0) {
      const UserModuleSlot& slot = UFNtable[module_];
      if (slot.argc < 1) return false;
      loop_->argc = slot.argc;
      for (int a = 0; a < slot.argc; ++a) {
        if (slot.argTypes[a] != kValueReal) return false;
        int k = variableSlot(slot.argIds[a]);
        if (k < 0) {
          k = static_cast<int>(varIds_.size());
          varIds_.push_back(slot.argIds[a]);
          loop_->variables.push_back(-1);
          loop_->written.push_back(0);
        }
        loop_->argRegister[a] = k;
      }
      arguments_ = static_cast<int>(varIds_.size());
    }
    for (int p = head_; p <= back_; ++p) {
      vk_Code& r = code_[p];
      if (r.kind == kCodeNumVariable) {
        if (r.nameId < 0) r.nameId = vkInternName(r.name);
        if (variableSlot(r.nameId) < 0) {
          varIds_.push_back(r.nameId);
          loop_->variables.push_back(p);
          loop_->written.push_back(0);
        }
      } else if (r.kind == kCodeNumber) {
        if (constantSlot(r.number) < 0) loop_->constants.push_back(r.number);
      }
    }
    loop_->frameRecords = static_cast<int>(varIds_.size());
    return loop_->variables.size() + loop_->constants.size() < kMaxRegisters;
  }

  // Every variable of a body that is no argument is assigned before anything can read it: its
  // first record is an assignment that no jump before it can pass by. Otherwise reading it
  // could fail ("Undefined variable."), which only the long way reports.
  bool definitelyAssigned() const {
    for (int k = arguments_; k < static_cast<int>(varIds_.size()); ++k) {
      int first = -1;
      for (int p = head_; p <= back_ && first < 0; ++p)
        if (code_[p].kind == kCodeNumVariable && code_[p].nameId == varIds_[k]) first = p;
      if (first < 0 || first + 1 > back_ || !isAssignment(code_[first + 1])) return false;
      for (const Fixup& f : fixups_)
        if (f.from < first && f.record > first) return false;
    }
    return true;
  }

  int variableSlot(int nameId) const {
    for (std::size_t k = 0; k < varIds_.size(); ++k)
      if (varIds_[k] == nameId) return static_cast<int>(k);
    return -1;
  }

  // Constants compare by their bits, so that 0.0 and -0.0 stay apart.
  int constantSlot(double v) const {
    for (std::size_t k = 0; k < loop_->constants.size(); ++k)
      if (std::memcmp(&loop_->constants[k], &v, sizeof v) == 0) return static_cast<int>(k);
    return -1;
  }

  int constantRegister(double v) const { return static_cast<int>(loop_->variables.size()) + constantSlot(v); }

  void push(int reg) {
    stack_.push_back(static_cast<uint16_t>(reg));
    if (static_cast<int>(stack_.size()) > loop_->depth) loop_->depth = static_cast<int>(stack_.size());
  }

  // The register of the value the records would push at the next stack place.
  int nextTemp() const { return tempBase_ + static_cast<int>(stack_.size()); }

  void emit(Instr in) {
    in.resume = statementStart_;
    loop_->code.push_back(in);
  }

  bool binary(Instr::Op op, uint8_t rel = 0) {
    if (stack_.size() < 2) return false;
    const int c = stack_.back();
    stack_.pop_back();
    const int b = stack_.back();
    stack_.pop_back();
    const int a = nextTemp();
    emit({op, rel, static_cast<uint16_t>(a), static_cast<uint16_t>(b), static_cast<uint16_t>(c), 0, 0});
    push(a);
    return true;
  }

  bool unary(Instr::Op op) {
    if (stack_.empty()) return false;
    const int b = stack_.back();
    stack_.pop_back();
    const int a = nextTemp();
    emit({op, 0, static_cast<uint16_t>(a), static_cast<uint16_t>(b), 0, 0, 0});
    push(a);
    return true;
  }

  // The last instruction, when it was made in this statement and wrote the temporary `reg`.
  Instr* producerOf(int reg) {
    if (reg < tempBase_ || loop_->code.empty()) return nullptr;
    if (static_cast<int>(loop_->code.size()) - 1 < statementFirstInstr_) return nullptr;
    Instr& last = loop_->code.back();
    return producesValue(last.op) && last.a == reg ? &last : nullptr;
  }

  void jumpTo(Instr::Op op, int a, int targetRecord) {
    fixups_.push_back({static_cast<int>(loop_->code.size()), targetRecord, current_});
    emit({op, 0, static_cast<uint16_t>(a), 0, 0, 0, 0});
  }

  bool record(int& p) {
    if (stack_.empty()) {
      instrAt_[p - head_] = static_cast<int>(loop_->code.size());
      statementStart_ = p;
      statementFirstInstr_ = static_cast<int>(loop_->code.size());
    }
    vk_Code& r = code_[p];
    current_ = p;
    switch (r.kind) {
      case kCodeNumber:
        push(constantRegister(r.number));
        return true;
      case kCodeNumVariable: {
        const int slot = variableSlot(r.nameId);
        if (p + 1 <= back_ && isAssignment(code_[p + 1])) {
          // Only a whole statement's value is stored: nothing else may stand on the stack.
          if (stack_.size() != 1) return false;
          const int value = stack_.back();
          stack_.pop_back();
          if (Instr* last = producerOf(value))
            last->a = static_cast<uint16_t>(slot);
          else
            emit({Instr::kMove, 0, static_cast<uint16_t>(slot), static_cast<uint16_t>(value), 0, 0, 0});
          loop_->written[slot] = 1;
          ++p;  // the "=" record
          return true;
        }
        push(slot);
        return true;
      }
      case kCodeOperator: {
        const int op = r.op ? r.op : vkOpcodeOf(r);
        switch (op) {
          case kOpAdd:
            return binary(Instr::kAdd);
          case kOpSub:
            return binary(Instr::kSub);
          case kOpMul:
          case kOpElemMul:
            return binary(Instr::kMul);
          case kOpDiv:
          case kOpElemDiv:
            return binary(Instr::kDiv);
          case kOpDisplay:
            // With no single value on the stack a ";" does nothing; the entry checks that.
            if (!stack_.empty()) return false;
            loop_->hasDisplay = true;
            return true;
          default:
            return false;
        }
      }
      case kCodeRelation: {
        const int op = r.op ? r.op : vkOpcodeOf(r);
        if (op < kRelGt || op > kRelNe) return false;
        return binary(Instr::kRel, static_cast<uint8_t>(op));
      }
      case kCodeLogical:
        if (r.name == "and") return binary(Instr::kAnd);
        if (r.name == "or") return binary(Instr::kOr);
        if (r.name == "andF") return binary(Instr::kMin);
        if (r.name == "orF") return binary(Instr::kMax);
        if (r.name == "not") return unary(Instr::kNot);
        if (r.name == "notF") return unary(Instr::kNotF);
        return false;
      case kCodeControl: {
        const int op = r.op ? r.op : vkOpcodeOf(r);
        if (op == kCtlIf) {
          if (stack_.size() != 1) return false;
          const int condition = stack_.back();
          stack_.pop_back();
          if (Instr* last = producerOf(condition); last && last->op == Instr::kRel) {
            // The comparison and its "if" become one instruction in the comparison's place.
            last->op = Instr::kCmpBranch;
            fixups_.push_back({static_cast<int>(loop_->code.size()) - 1, p + r.jump, p});
            return true;
          }
          jumpTo(Instr::kIfNot, condition, p + r.jump);
          return true;
        }
        if (op == kCtlGoto) {
          if (!stack_.empty()) return false;
          jumpTo(r.jump <= 0 ? Instr::kJumpBack : Instr::kJump, 0, p + r.jump);
          return true;
        }
        return false;
      }
      case kCodeFunction:
      case kCodeModule: {
        int slot = -1;
        if (!findModule(r.name, &slot)) {
          if (r.kind == kCodeFunction && r.argc == 1 && r.name == "return") {
            // "return" ends the body with its value, the only one on the body's stack.
            if (module_ < 0 || stack_.size() != 1) return false;
            emit({Instr::kReturn, 0, stack_.back(), 0, 0, 0, 0});
            stack_.clear();
            return true;
          }
          return builtinCall(r, p);
        }
        Instr::Op op = Instr::kCall;
        int argc = vkInlineModuleArgs(slot);
        if (argc < 0) {
          op = Instr::kCallBody;
          argc = vkCompactModuleArgs(slot);
        }
        if (argc < 1 || static_cast<int>(stack_.size()) < argc) return false;
        const int call = static_cast<int>(loop_->calls.size());
        loop_->calls.push_back(p);
        loop_->callArgc.push_back(argc);
        loop_->callSlots.push_back(slot);
        const int first = static_cast<int>(loop_->callArgs.size());
        loop_->callArgs.insert(loop_->callArgs.end(), stack_.end() - argc, stack_.end());
        stack_.resize(stack_.size() - argc);
        const int a = nextTemp();
        emit({op, 0, static_cast<uint16_t>(a), static_cast<uint16_t>(call), static_cast<uint16_t>(argc),
              first, 0});
        push(a);
        return true;
      }
      case kCodeCommand: {
        // "break": on after the first loop end of its depth from here, as the command finds it.
        if (!stack_.empty() || r.name.compare(0, 6, "break-") != 0) return false;
        const std::string end = "gotoX-" + r.name.substr(6);
        for (int i = p; i < count_; ++i) {
          if (code_[i].name == end) {
            jumpTo(Instr::kJump, 0, i + 1);
            return true;
          }
        }
        return false;
      }
      default:
        return false;
    }
  }

  // A built-in of one real number, called as the records would call it.
  bool builtinCall(const vk_Code& r, int p) {
    const VkBuiltinSeam& seam = vkBuiltins();
    if (r.kind != kCodeFunction || r.argc != 1 || stack_.empty() || !seam.resolveScalar) return false;
    const VkScalarFn fn = seam.resolveScalar(r.name, r.argc);
    if (!fn) return false;
    const int c = stack_.back();
    stack_.pop_back();
    const int a = nextTemp();
    emit({Instr::kBuiltin, 0, static_cast<uint16_t>(a), static_cast<uint16_t>(loop_->builtins.size()),
          static_cast<uint16_t>(c), 0, 0});
    loop_->builtins.push_back(fn);
    loop_->builtinCalls.push_back(p);
    push(a);
    return true;
  }

  // Jump targets become instruction indices; a target outside the loop becomes an exit.
  bool resolveJumps() {
    std::vector<Instr>& code = loop_->code;
    for (const Fixup& f : fixups_) {
      int target;
      if (f.record >= head_ && f.record <= back_) {
        target = instrAt_[f.record - head_];
        if (target < 0) return false;  // into the middle of an expression
      } else {
        target = -1;
        for (int k = 0; k < static_cast<int>(code.size()); ++k)
          if (code[k].op == Instr::kExit && code[k].resume == f.record) target = k;
        if (target < 0) {
          target = static_cast<int>(code.size());
          code.push_back({Instr::kExit, 0, 0, 0, 0, 0, f.record});
        }
      }
      code[f.instr].target = target;
    }
    // A backward jump to a loop's comparison does the comparison itself.
    for (Instr& in : code) {
      if (in.op != Instr::kJumpBack) continue;
      const Instr& to = code[in.target];
      if (to.op != Instr::kCmpBranch) continue;
      in.op = Instr::kLoopBack;
      in.rel = to.rel;
      in.b = to.b;
      in.c = to.c;
    }
    return true;
  }

  struct Fixup {
    int instr;
    int record;  // the target
    int from;    // the record that jumps
  };

  vk_Code* code_;
  int count_;
  int head_;
  int back_;
  int module_;
  std::shared_ptr<VkScalarLoop> loop_ = std::make_shared<VkScalarLoop>();
  std::vector<int> varIds_;
  std::vector<uint16_t> stack_;
  std::vector<int> instrAt_;
  std::vector<Fixup> fixups_;
  int arguments_ = 0;  // variable slots of a body's arguments (the first ones)
  int current_ = 0;    // the record being compiled
  int tempBase_ = 0;
  int statementStart_ = 0;
  int statementFirstInstr_ = 0;
};

inline bool truth(double v) { return vkTruncToInt(v) != 0; }

inline bool breakHeld() { return vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0 && ButtonPress(); }

// While the button is down a call goes the long way: its body's own "return" tests for the break
// too, and what each test reports depends on how long the button has been held.
inline bool buttonDown() { return vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0; }

// Compact module bodies running now, one inside the other, and the variable records their
// calls would have made the long way: a call goes the long way where that would fail (nested
// too deep, a table that could not take the records), so that it reports what it reports.
int bodyDepth = 0;
int bodyRecords = 0;
// Free records known to exist while the variable table is as it was at knownFreeEpoch.
int knownFree = 0;
uint64_t knownFreeEpoch = 0;

bool frameFits(int records) {
  if (vkModuleDepth() + bodyDepth >= kMaxModuleDepth) return false;
  if (knownFreeEpoch != vkVariableEpoch) {
    knownFree = 0;
    knownFreeEpoch = vkVariableEpoch;
  }
  const int need = bodyRecords + records;
  if (need <= knownFree) return true;
  if (!vkFreeRecordsAtLeast(need)) return false;
  knownFree = need;
  return true;
}

enum class Stop { kExit, kBail, kBroken, kReturn };

// Runs compact code on its registers until it leaves; *at is the instruction it stopped at.
Stop execute(const VkScalarLoop& loop, double* r, const Instr** at) {
  const Instr* const base = loop.code.data();
  const Instr* ip = base;
  Stop stop = Stop::kBail;
  const auto holds = [r](const Instr& in) { return vkRelate(in.rel, r[in.b], r[in.c]) != 0.0; };
  for (;;) {
    const Instr& in = *ip;
    switch (in.op) {
      case Instr::kAdd:
        r[in.a] = r[in.b] + r[in.c];
        ++ip;
        continue;
      case Instr::kSub:
        r[in.a] = r[in.b] - r[in.c];
        ++ip;
        continue;
      case Instr::kMul:
        r[in.a] = r[in.b] * r[in.c];
        ++ip;
        continue;
      case Instr::kDiv:
        if (r[in.c] == 0.0) break;  // the records report the zero divisor
        r[in.a] = r[in.b] / r[in.c];
        ++ip;
        continue;
      case Instr::kRel:
        r[in.a] = vkRelate(in.rel, r[in.b], r[in.c]);
        ++ip;
        continue;
      case Instr::kAnd:
        r[in.a] = truth(r[in.b]) && truth(r[in.c]) ? 1.0 : 0.0;
        ++ip;
        continue;
      case Instr::kOr:
        r[in.a] = truth(r[in.b]) || truth(r[in.c]) ? 1.0 : 0.0;
        ++ip;
        continue;
      case Instr::kMin:
        r[in.a] = r[in.b] < r[in.c] ? r[in.b] : r[in.c];
        ++ip;
        continue;
      case Instr::kMax:
        r[in.a] = r[in.b] > r[in.c] ? r[in.b] : r[in.c];
        ++ip;
        continue;
      case Instr::kNot:
        r[in.a] = truth(r[in.b]) ? 0.0 : 1.0;
        ++ip;
        continue;
      case Instr::kNotF:
        r[in.a] = 1.0 - r[in.b];
        ++ip;
        continue;
      case Instr::kBuiltin: {
        // While the button is down the records run it and test for the break after it.
        if (buttonDown()) break;
        double value;
        if (!loop.builtins[in.b](r[in.c], &value)) break;  // the long way reports it
        r[in.a] = value;
        ++ip;
        continue;
      }
      case Instr::kMove:
        r[in.a] = r[in.b];
        ++ip;
        continue;
      case Instr::kJump:
        ip = base + in.target;
        continue;
      case Instr::kJumpBack:
        if (breakHeld()) {
          stop = Stop::kBroken;
          break;
        }
        ip = base + in.target;
        continue;
      case Instr::kIfNot:
        ip = truth(r[in.a]) ? ip + 1 : base + in.target;
        continue;
      case Instr::kCmpBranch:
        ip = holds(in) ? ip + 1 : base + in.target;
        continue;
      case Instr::kLoopBack:
        if (breakHeld()) {
          stop = Stop::kBroken;
          break;
        }
        ip = holds(in) ? base + in.target + 1 : base + base[in.target].target;
        continue;
      case Instr::kExit:
        stop = Stop::kExit;
        break;
      case Instr::kReturn:
        stop = buttonDown() ? Stop::kBail : Stop::kReturn;
        break;
      case Instr::kCall:
      case Instr::kCallBody: {
        if (buttonDown()) break;
        double args[kModuleArguments];
        const uint16_t* from = loop.callArgs.data() + in.target;
        for (int k = 0; k < in.c; ++k) args[k] = r[from[k]];
        const int slot = loop.callSlots[in.b];
        double value;
        if (in.op == Instr::kCall) {
          // Inside a body the call is one level further in (a loop's entry checked its own).
          if (bodyDepth > 0 && !frameFits(in.c)) break;
          if (!vkInlineModuleValue(slot, args, &value)) break;  // the long way reports it
        } else {
          const VkScalarLoop* callee = vkCompactModuleBody(slot);
          // A body that gives no value leaves the caller's records short of one: theirs to report.
          if (!callee || vkRunModuleBody(*callee, args, &value) != 1) break;
        }
        r[in.a] = value;
        ++ip;
        continue;
      }
    }
    break;
  }
  *at = ip;
  return stop;
}

}  // namespace

std::shared_ptr<const VkScalarLoop> vkCompileScalarLoop(vk_Code* code, int count, int head, int back) {
  return LoopCompiler(code, count, head, back).compile();
}

std::shared_ptr<const VkScalarLoop> vkCompileModuleBody(int slot) {
  if (slot < 0 || slot >= static_cast<int>(UFNtable.size())) return nullptr;
  const std::shared_ptr<VkCodeArray>& code = UFNtable[slot].code;
  if (!code || code->empty()) return nullptr;
  const int count = static_cast<int>(code->size());
  return LoopCompiler(code->data(), count, 0, count - 1, slot).compile();
}

int vkRunModuleBody(const VkScalarLoop& body, const double* args, double* result) {
  if (body.epoch != vkModuleEpoch || !frameFits(body.frameRecords)) return -1;
  double r[kMaxBodyRegisters];
  // Arguments are bound last to first, so of two of one name the first argument's value stays.
  for (int a = body.argc - 1; a >= 0; --a) r[body.argRegister[a]] = args[a];
  const int nv = static_cast<int>(body.variables.size());
  const int nc = static_cast<int>(body.constants.size());
  for (int k = 0; k < nc; ++k) r[nv + k] = body.constants[k];
  ++bodyDepth;
  bodyRecords += body.frameRecords;
  const Instr* at = nullptr;
  const Stop stop = execute(body, r, &at);
  --bodyDepth;
  bodyRecords -= body.frameRecords;
  switch (stop) {
    case Stop::kReturn:
      *result = r[at->a];
      return 1;
    case Stop::kExit:
      return 0;
    default:
      return -1;
  }
}

VkLoopOutcome vkRunScalarLoop(const VkScalarLoop& loop, vk_Code* code, int sp, int* pc) {
  if (sp < 0 || sp + loop.depth >= kPushLimit || (loop.hasDisplay && sp == 1)) return kLoopDeclined;
  double r[kMaxRegisters];
  VariableRecord* vars[kMaxRegisters];
  const int nv = static_cast<int>(loop.variables.size());
  for (int k = 0; k < nv; ++k) {
    const int i = vkLookupVariable(code[loop.variables[k]]);
    if (i < 0) return kLoopDeclined;
    VariableRecord& v = variableTable[i];
    if (v.state != 1 || v.kind != kVarReal || v.msize != 1 || v.nsize != 1) return kLoopDeclined;
    vars[k] = &v;
    r[k] = v.data.cdoubles()[0];
  }
  // The modules called must still be the ones compiled in, and callable the short way.
  const int ncalls = static_cast<int>(loop.calls.size());
  for (int k = 0; k < ncalls; ++k) {
    int slot = -1;
    if (!findModule(code[loop.calls[k]].name, &slot) || slot != loop.callSlots[k]) return kLoopDeclined;
    const bool body = loop.code.end() !=
                      std::find_if(loop.code.begin(), loop.code.end(),
                                   [k](const Instr& in) { return in.op == Instr::kCallBody && in.b == k; });
    const int argc = body ? vkCompactModuleArgs(slot) : vkInlineModuleArgs(slot);
    if (argc != loop.callArgc[k]) return kLoopDeclined;
  }
  // No module may have taken a built-in's name since.
  for (const int record : loop.builtinCalls)
    if (findModule(code[record].name, nullptr)) return kLoopDeclined;
  const int nc = static_cast<int>(loop.constants.size());
  for (int k = 0; k < nc; ++k) r[nv + k] = loop.constants[k];

  const Instr* at = nullptr;
  const Stop stop = execute(loop, r, &at);
  // What the loop assigned goes back into its variables, also when it stops half-way.
  for (int k = 0; k < nv; ++k)
    if (loop.written[k]) vars[k]->data.setScalar(r[k]);
  if (stop == Stop::kBroken) {
    error_disp("**** BREAK *****");
    return kLoopBroken;
  }
  // At an exit the records go on after it; at a zero divisor or a call that must go the long
  // way, at the start of the statement, which did nothing yet that could be seen.
  *pc = at->resume;
  return kLoopLeft;
}
