#pragma once
// User modules: named bodies of code with typed arguments, stored in UFNtable when the text
// that defines them is compiled, and called as a nested run one scope level up. Also the two
// "pv_" built-ins.

#include <string>

#include "lang/values.h"

class VkParser;

// Nested module calls deeper than this fail with "Too deep module call.": each level costs
// native stack on the thread that runs the program, and the variable table alone would allow
// about a thousand levels.
constexpr int kMaxModuleDepth = 400;

// Compiles "module" name "(" arguments ")" statement, the current token being "module".
// Writes nothing into the program being compiled. Returns 1, or 0 after reporting.
int LetModule(VkParser& parser);

// The slot of the module called `name`; 1 and its index, else 0.
int findModule(const std::string& name, int* index);

// Calls the module named by the record at pc: binds its arguments from the caller's stack as
// variables one level up and runs its body. A failure inside the body ends only the body.
int DoUsrFunction(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// The same call of the module in slot `index` (a caller that resolved the name already).
int vkCallModule(int index, CalcStackEntry* stack, int* sp);

// A module whose body is one straight expression of its real arguments handed to "return"
// (module sq(x) { return(x * x); }): its value is worked out from the arguments on the stack
// without binding them as variables, since nothing could see them. -1 when the call must go the
// long way (the body is not of that form, an argument is not a real 1 by 1 value, a divisor is
// zero, the calls are nested too deep, the variable table could not take the arguments, or a
// module hides "return"): everything the long way reports is then reported as before. 1 when
// the arguments were replaced by the value.
int vkCallModuleInline(int index, CalcStackEntry* stack, int* sp);

// The same question without the stack: the number of arguments such a module takes, or -1.
int vkInlineModuleArgs(int index);
// Its value from the arguments in order; false for a zero divisor. Only for a module that
// vkInlineModuleArgs accepted, with nothing changed in between.
bool vkInlineModuleValue(int index, const double* args, double* out);

// A module whose body is in the compact register form (scalar_loop.h): called with its
// arguments as numbers in registers instead of variables. -1 when the call must go the long way
// (the body is not of that form, an argument is not a real 1 by 1 value, or the body met what
// only the long way reports); 1 when the arguments were replaced by the value, if any.
int vkCallModuleCompact(int index, CalcStackEntry* stack, int* sp);

// The compact body of a module (made on first use), or null. While the body is being made (a
// call inside itself), vkCompactModuleArgs gives its argument count already; -1 otherwise.
const VkScalarLoop* vkCompactModuleBody(int index);
int vkCompactModuleArgs(int index);

// Module calls going on the long way (nested runs of module bodies).
int vkModuleDepth();

// Changes whenever a module is defined or deleted, so that a call record's resolved slot is
// looked up again (a module hides a built-in of its name from its definition on).
extern unsigned vkModuleEpoch;

int DoDeleteModule(int index);
int DoDeleteModuleAll();

// Built-ins "pv_dataDirectory" and "pv_displayMode".
int DoFunctionPV(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
