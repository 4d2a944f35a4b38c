#pragma once
// A loop whose records are all scalar work (numbers, numeric variables, arithmetic, relations,
// logical operators, "if", jumps, "break", calls of modules that are one expression of their
// arguments, calls of built-ins of one real number, and nested loops of the same kind), compiled
// into a
// compact register form: every variable the loop names gets a frame slot of its own, loaded
// once when the loop is entered and written back when it is left, constants sit in a table, and
// a comparison with its "if" is one instruction. The run loop enters it at the loop's backward
// jump, when every variable it names holds a real 1 by 1 value at the current level; otherwise
// the records run one by one as before. Nothing a scalar loop does can change the variable
// table's shape, so the slots stay valid for the whole loop; a zero divisor leaves the loop at
// the start of its statement, where the records take over and report what they report.
// A module body of the same kind (its arguments real, its other variables assigned before they
// can be read, "return" ending it) is compiled into the same form and called with its arguments
// in registers, without variable records (vkRunModuleBody).

#include <cstdint>
#include <memory>
#include <vector>

#include "lang/values.h"

struct VkLoopInstr {
  enum Op : uint8_t {
    kAdd,  // r[a] = r[b] + r[c]
    kSub,
    kMul,
    kDiv,  // a zero divisor leaves the loop at `resume`
    kRel,  // r[a] = relation `rel` of r[b] and r[c] (1 or 0)
    kAnd,  // "and", "or": truth of the truncated values
    kOr,
    kMin,  // "andF", "orF"
    kMax,
    kNot,        // r[a] = r[b] truncated is 0
    kNotF,       // r[a] = 1 - r[b]
    kBuiltin,    // r[a] = scalar built-in `b` (see builtins) of r[c]; where it declines, the
                 // loop leaves at `resume`
    kMove,       // r[a] = r[b]
    kJump,       // to instruction `target`
    kJumpBack,   // the same, after the break test
    kIfNot,      // to `target` when r[a] truncated is 0
    kCmpBranch,  // to `target` when relation `rel` of r[b] and r[c] does not hold
    kLoopBack,   // break test, then kCmpBranch of the loop's head; on to `target` + 1 when it holds
    kExit,       // leave the loop; the records go on at `resume`
    kCall,       // r[a] = module `b` (see calls) of the c registers from callArgs[target]
    kCallBody,   // the same for a module whose body is in the compact form itself
    kReturn,     // a module body's "return" with r[a]
  };
  Op op;
  uint8_t rel = 0;
  uint16_t a = 0, b = 0, c = 0;
  int32_t target = 0;
  int32_t resume = 0;  // record index where the records take over after this instruction leaves
};

struct VkScalarLoop {
  std::vector<VkLoopInstr> code;
  std::vector<double> constants;  // registers variables.size() .. + constants.size() - 1
  std::vector<int> variables;     // per variable slot: the record (absolute index) that names it
  std::vector<uint8_t> written;   // per variable slot: whether the loop assigns it
  // Calls of modules that are one expression of their arguments (vkCallModuleInline): the
  // record of each, and the argument registers of all, in order.
  std::vector<int> calls;
  std::vector<int> callArgc;
  std::vector<uint16_t> callArgs;
  std::vector<int> callSlots;  // the module slot of each call when compiled
  // Calls of built-ins of one real number (VkScalarFn): the function, and the record that names
  // it, which no module may have taken since.
  std::vector<VkScalarFn> builtins;
  std::vector<int> builtinCalls;
  int registers = 0;
  // A module body (vkCompileModuleBody): its arguments' registers in argument order (-1 for an
  // argument the body does not read), the module epoch it was compiled at, and the records a
  // call of it would make (its distinct variable names).
  bool body = false;
  int argc = 0;
  int argRegister[kModuleArguments] = {};
  unsigned epoch = 0;
  int frameRecords = 0;
  int depth = 0;            // most values the records would hold on the stack at once
  bool hasDisplay = false;  // a ";" record stands in the loop (it must find no single value)
};

// Compiles the loop whose records run from `head` to its backward jump at `back`; null when a
// record is outside what the compact form does.
std::shared_ptr<const VkScalarLoop> vkCompileScalarLoop(vk_Code* code, int count, int head, int back);

// Compiles the body of the module in `slot` into the compact form: its arguments are real
// numbers, every other variable is assigned before anything could read it, and every call is of
// a module of that form too; null otherwise.
std::shared_ptr<const VkScalarLoop> vkCompileModuleBody(int slot);

// Runs a compiled module body on the argument values: 1 with its "return" value in *result,
// 0 when it ends without one, -1 when the call must go the long way instead (a zero divisor, the
// break test, calls nested too deep, a variable table that could not take the call's records,
// a module defined since): the long way then does everything again and reports what it
// reports, as nothing the body did could be seen.
int vkRunModuleBody(const VkScalarLoop& body, const double* args, double* result);

enum VkLoopOutcome { kLoopDeclined, kLoopLeft, kLoopBroken };

// Runs the loop from its head with `sp` values on the stack. kLoopDeclined: a variable is not a
// real 1 by 1 value (nothing was done); kLoopLeft: *pc is the record where the run goes on;
// kLoopBroken: the break test stopped the run (reported).
VkLoopOutcome vkRunScalarLoop(const VkScalarLoop& loop, vk_Code* code, int sp, int* pc);
