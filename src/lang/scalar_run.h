#pragma once
// A straight run of scalar arithmetic records (number literals, reads of numeric variables and
// the operators "+", "-", "*", "x", "/", "%"), possibly ending in an assignment to a numeric
// variable, compiled into steps on a few doubles. The run loop does such a run as one step when
// every variable it reads holds a real 1 by 1 value; otherwise it runs the records one by one,
// so results and messages do not change.

#include <memory>
#include <vector>

#include "lang/values.h"

struct VkScalarStep {
  enum Op : int {
    kPushNumber,    // push k
    kPushVariable,  // push the variable of record `record`
    kNumber,        // top = top (op) k
    kVariable,      // top = top (op) the variable of record `record`
    kTop,           // the two top values: second = second (op) top
  };
  Op what;
  int op;      // VkOpcode of the operator, for kNumber, kVariable and kTop
  int record;  // offset from the run's first record
  double k;
};

struct VkScalarRun {
  std::vector<VkScalarStep> steps;
  int records = 0;        // records the run covers, with the assignment's two
  int depth = 0;          // most values the records would have on the stack at once
  int store = -1;         // offset of the assigned variable's record; -1: the value is pushed
  bool displayAfter = false;  // a ";" follows the assignment
};

// The run starting at code[pc], or null when it would not be worth one step (fewer than three
// value and operator records).
std::shared_ptr<const VkScalarRun> vkCompileScalarRun(vk_Code* code, int count, int pc);
