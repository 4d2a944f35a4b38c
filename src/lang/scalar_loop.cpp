#include "lang/scalar_loop.h"

#include <cstring>

#include "lang/modules.h"
#include "lang/operators.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/variables.h"

namespace {

// A loop longer than this is rarely a tight one, and its registers would not fit the frame.
constexpr int kMaxLoopRecords = 4000;
constexpr int kMaxRegisters = 256;
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
  LoopCompiler(vk_Code* code, int count, int head, int back)
      : code_(code), count_(count), head_(head), back_(back) {}

  std::shared_ptr<const VkScalarLoop> compile() {
    if (head_ < 0 || back_ <= head_ || back_ >= count_ || back_ - head_ + 1 > kMaxLoopRecords) return nullptr;
    if (!collectOperands()) return nullptr;
    tempBase_ = static_cast<int>(loop_->variables.size() + loop_->constants.size());
    instrAt_.assign(back_ - head_ + 1, -1);
    for (int p = head_; p <= back_; ++p)
      if (!record(p)) return nullptr;
    if (!stack_.empty() || !resolveJumps()) return nullptr;
    loop_->registers = tempBase_ + loop_->depth;
    if (loop_->registers > kMaxRegisters) return nullptr;
    return loop_;
  }

 private:
  // Variables and constants get their registers first, so temporaries follow them.
  bool collectOperands() {
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
    return loop_->variables.size() + loop_->constants.size() < kMaxRegisters;
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
    fixups_.push_back({static_cast<int>(loop_->code.size()), targetRecord});
    emit({op, 0, static_cast<uint16_t>(a), 0, 0, 0, 0});
  }

  bool record(int& p) {
    if (stack_.empty()) {
      instrAt_[p - head_] = static_cast<int>(loop_->code.size());
      statementStart_ = p;
      statementFirstInstr_ = static_cast<int>(loop_->code.size());
    }
    vk_Code& r = code_[p];
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
            fixups_.push_back({static_cast<int>(loop_->code.size()) - 1, p + r.jump});
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
        if (!findModule(r.name, &slot)) return false;
        const int argc = vkInlineModuleArgs(slot);
        if (argc < 1 || static_cast<int>(stack_.size()) < argc) return false;
        const int call = static_cast<int>(loop_->calls.size());
        loop_->calls.push_back(p);
        loop_->callArgc.push_back(argc);
        const int first = static_cast<int>(loop_->callArgs.size());
        loop_->callArgs.insert(loop_->callArgs.end(), stack_.end() - argc, stack_.end());
        stack_.resize(stack_.size() - argc);
        const int a = nextTemp();
        emit({Instr::kCall, 0, static_cast<uint16_t>(a), static_cast<uint16_t>(call),
              static_cast<uint16_t>(argc), first, 0});
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
    int record;
  };

  vk_Code* code_;
  int count_;
  int head_;
  int back_;
  std::shared_ptr<VkScalarLoop> loop_ = std::make_shared<VkScalarLoop>();
  std::vector<int> varIds_;
  std::vector<uint16_t> stack_;
  std::vector<int> instrAt_;
  std::vector<Fixup> fixups_;
  int tempBase_ = 0;
  int statementStart_ = 0;
  int statementFirstInstr_ = 0;
};

inline bool truth(double v) { return vkTruncToInt(v) != 0; }

}  // namespace

std::shared_ptr<const VkScalarLoop> vkCompileScalarLoop(vk_Code* code, int count, int head, int back) {
  return LoopCompiler(code, count, head, back).compile();
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
  int slots[kMaxRegisters];
  const int ncalls = static_cast<int>(loop.calls.size());
  if (ncalls > kMaxRegisters) return kLoopDeclined;
  for (int k = 0; k < ncalls; ++k) {
    if (!findModule(code[loop.calls[k]].name, &slots[k]) || vkInlineModuleArgs(slots[k]) != loop.callArgc[k])
      return kLoopDeclined;
  }
  const int nc = static_cast<int>(loop.constants.size());
  for (int k = 0; k < nc; ++k) r[nv + k] = loop.constants[k];

  const Instr* const base = loop.code.data();
  const Instr* ip = base;
  bool broken = false;
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
      case Instr::kMove:
        r[in.a] = r[in.b];
        ++ip;
        continue;
      case Instr::kJump:
        ip = base + in.target;
        continue;
      case Instr::kJumpBack:
        if (vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0 && ButtonPress()) {
          broken = true;
          break;
        }
        ip = base + in.target;
        continue;
      case Instr::kIfNot:
        ip = truth(r[in.a]) ? ip + 1 : base + in.target;
        continue;
      case Instr::kCmpBranch:
        ip = vkRelate(in.rel, r[in.b], r[in.c]) != 0.0 ? ip + 1 : base + in.target;
        continue;
      case Instr::kLoopBack:
        if (vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0 && ButtonPress()) {
          broken = true;
          break;
        }
        ip = vkRelate(in.rel, r[in.b], r[in.c]) != 0.0 ? base + in.target + 1 : base + base[in.target].target;
        continue;
      case Instr::kExit:
        break;
      case Instr::kCall: {
        double args[kModuleArguments];
        const uint16_t* from = loop.callArgs.data() + in.target;
        for (int k = 0; k < in.c; ++k) args[k] = r[from[k]];
        double value;
        if (!vkInlineModuleValue(slots[in.b], args, &value)) break;  // the long way reports it
        r[in.a] = value;
        // As after every call, the break test.
        if (vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0 && ButtonPress()) {
          broken = true;
          break;
        }
        ++ip;
        continue;
      }
    }
    break;
  }
  // What the loop assigned goes back into its variables, also when it stops half-way.
  for (int k = 0; k < nv; ++k)
    if (loop.written[k]) vars[k]->data.setScalar(r[k]);
  if (broken) {
    error_disp("**** BREAK *****");
    return kLoopBroken;
  }
  *pc = ip->resume;
  return kLoopLeft;
}
