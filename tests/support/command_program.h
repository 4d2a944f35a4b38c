#pragma once
// Runs one application command as a program calls it: the arguments pushed on a run stack of
// its own, the command called through the bridge, the answer read back from the stack.

#include <string>
#include <vector>

#include "lang/builtins/command_bridge.h"
#include "lang/stack.h"
#include "lang/values.h"

class CommandProgram {
 public:
  CommandProgram() { stack.resize(kCalcStackSize); }

  void number(double v) { vkPushScalar(stack.data(), &sp, v); }
  void text(const std::string& t) {
    PushToStack(stack.data(), &sp, t.c_str(), kValueString, static_cast<int>(t.size()), 0);
  }
  void row(std::vector<double> r) {
    PushToStack(stack.data(), &sp, r.data(), kValueReal, 1, static_cast<int>(r.size()));
  }
  // Calls the command with the given number of arguments (already pushed).
  int call(const std::string& name, int argc) {
    vk_Code record;
    record.kind = kCodeFunction;
    record.name = name;
    record.argc = argc;
    int pc = 0;
    return DoFunctionPravellaCommand(1, &record, &pc, stack.data(), &sp);
  }
  // Calls a command that takes one ignored number.
  int trigger(const std::string& name) {
    number(0);
    return call(name, 1);
  }
  std::string topString() const {
    const CalcStackEntry& top = stack[sp - 1];
    return top.type == kValueString ? std::string(top.data.chars()) : "<not a string>";
  }
  std::vector<double> topReals() const {
    const CalcStackEntry& top = stack[sp - 1];
    if (top.type != kValueReal) return {-999};
    const double* d = top.data.doubles();
    return std::vector<double>(d, d + top.msize * top.nsize);
  }

  VkCalcStack stack;
  int sp = 0;
};
