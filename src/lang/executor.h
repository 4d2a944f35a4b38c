#pragma once
// The execution loop: one code record at a time, by kind, with the break test after each; the
// nested run `Keisan` used by module bodies and built-ins; and the run contract every caller
// of the language goes through.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "lang/run_state.h"
#include "lang/values.h"

// Executes the record at *pc and advances *pc; 1 to go on, 0 when the run must stop.
int keisanJikko(vk_Code* code, int count, int* pc, CalcStackEntry* stack, int* sp);

// Runs a code array on the given stack from its first record until the counter passes the last
// one; *sp is the stack's count before and after. 1, or 0 when a record failed (reported).
int vkExecute(vk_Code* code, int count, CalcStackEntry* stack, int* sp);

// Runs a whole code array on a fresh stack. On success, when exactly one value is left and an
// outer stack is given, that value is pushed onto the outer stack (the result is the push's).
int Keisan(int count, vk_Code* code, CalcStackEntry* outerStack, int* outerSp);

int DoCntrl(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoCommand(int count, vk_Code* code, int* pc);
int DoNumValue(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoStrValue(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

namespace pravella {

// What a run gives: success, and the text to insert before ".OK." or ".NO.".
struct VkRunResult {
  bool ok = false;
  bool tokenizerFailed = false;  // the text is then the tokens made so far and the message
  std::string text;
  // The text followed by ".OK.\n" or ".NO.\n", as a memo shows it.
  std::string output() const { return text + (ok ? ".OK.\n" : ".NO.\n"); }
};

// The run contract: empty ResultString, tokenize, compile and run `source`. One run at a time
// per process (a nested run on the same thread is allowed). `window` identifies the window
// whose program runs, for the break test. A failed execution puts current_fullPath back to
// what it was when the run began; a successful one returns from a temporary folder switch
// (backup_fullPath). It holds the run lock (lang/run_state.h) for the whole run.
VkRunResult runVkProgram(std::string_view source, const void* window = nullptr);

}  // namespace pravella
