#pragma once
// Inside the bridge: the commands it carries out itself, the post of a payload, and the scope
// of one command's stack and failure flag.

#include <string>
#include <string_view>

#include "lang/builtins/command_table.h"
#include "lang/values.h"

namespace pravella::bridge {

// Sets pv_calc, pv_sp and clears pv_ErrorCheck for one command; puts back the stack and
// position it found (and, for a command nested in an observer's run, the outer flag).
class CommandScope {
 public:
  CommandScope(CalcStackEntry* stack, int* sp);
  ~CommandScope();
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;

 private:
  CalcStackEntry* savedCalc_;
  int* savedSp_;
  unsigned char savedFlag_;
  bool nested_;
  // Commands in progress. Only one program runs at a time; a nested run started by an
  // observer runs while the outer command waits, so a plain counter serves.
  static inline int depth_ = 0;
};

// Posts the payload under the name through cal_callNotification; 1 or 0.
int postCommand(std::string_view name, const std::string& payload);

// Runs a command of the Special form. Returns 1, or 0 after reporting.
int runSpecialCommand(const CalCommand& command, CalcStackEntry* stack, int* sp);

}  // namespace pravella::bridge
