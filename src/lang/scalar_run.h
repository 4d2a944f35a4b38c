#pragma once
// A straight run of scalar arithmetic records (number literals, reads of numeric variables and
// the operators "+", "-", "*", "x", "/", "%"), possibly ending in an assignment to a numeric
// variable, compiled into steps on a few doubles. The run loop does such a run as one step when
// every variable it reads holds a real 1 by 1 value; otherwise it runs the records one by one,
// so results and messages do not change.

#include <cstdint>
#include <memory>

#include "lang/values.h"

// One step on the run's values. Operands are numbered in the order the records push them.
struct VkScalarStep {
  enum Code : uint8_t {
    kPush,  // push the operand
    kAdd,   // top = top + operand
    kSub,
    kMul,
    kDiv,     // top = top / operand; a zero divisor leaves the run to the records
    kAddTop,  // second = second + top, top dropped
    kSubTop,
    kMulTop,
    kDivTop,
  };
  Code code;
  uint8_t operand;
};

// u (step) w for a step's arithmetic; false for a zero divisor.
inline bool vkScalarStepArith(int code, double u, double w, double* r) {
  switch (code) {
    case VkScalarStep::kAdd:
    case VkScalarStep::kAddTop:
      *r = u + w;
      return true;
    case VkScalarStep::kSub:
    case VkScalarStep::kSubTop:
      *r = u - w;
      return true;
    case VkScalarStep::kMul:
    case VkScalarStep::kMulTop:
      *r = u * w;
      return true;
    default:
      if (w == 0.0) return false;
      *r = u / w;
      return true;
  }
}

struct VkScalarRun {
  static constexpr int kMaxRecords = 24;
  // The frequent forms get a straight evaluation; the steps say the same in every form.
  enum Form : uint8_t {
    kSteps,   // any other
    kBinary,  // a b op
    kChain,   // a b op1 c op2: (a op1 b) op2 c
    kNested,  // a b c op1 op2: a op2 (b op1 c)
  };
  Form form = kSteps;
  int stepCount = 0;
  int operandCount = 0;
  VkScalarStep steps[kMaxRecords] = {};
  int16_t operandRecord[kMaxRecords] = {};  // offset from the run's first record; -1: a number
  double number[kMaxRecords] = {};
  int records = 0;            // records the run covers, with the assignment's two
  int depth = 0;              // most values the records would have on the stack at once
  int store = -1;             // offset of the assigned variable's record; -1: the value is pushed
  bool displayAfter = false;  // a ";" follows the assignment
  bool returnAfter = false;   // the value is the argument of the "return" that follows
};

// The run starting at code[pc], or null when it would not be worth one step (fewer than three
// value and operator records).
std::shared_ptr<const VkScalarRun> vkCompileScalarRun(vk_Code* code, int count, int pc);

// The run's value with operand k taken from operands[k] (the numbers of number operands are in
// run.number already and are read from there); false for a zero divisor.
bool vkScalarRunValue(const VkScalarRun& run, const double* operands, double* out);
