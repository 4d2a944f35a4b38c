#pragma once
// Running a user module from inside a built-in (the Gauss-Newton fit, the Runge-Kutta-Gill
// integrator): three numeric values are bound under the module's first argument names one
// scope level up, the body runs through Keisan, and the level and its variables are gone again
// before the built-in looks at the value, whether the body succeeded or not.

#include <memory>

#include "lang/values.h"

namespace pravella {

// A numeric value handed to a module: rows x cols doubles, row-major.
struct VkModuleValue {
  const double* data = nullptr;
  int rows = 0;
  int cols = 0;
};

// Raises vk_level by one and binds the values as numeric variables under the module's first
// argument names, as many as the module has (at most three). Gives the module's body, kept
// alive for the run even if the body deletes its own module. 1 on success; on failure the
// level is lowered again and its variables deleted, and 0 (the variable table reported).
int vkBindModuleArguments(int module, const VkModuleValue (&values)[3], std::shared_ptr<VkCodeArray>* body);

// Lowers vk_level by one and deletes the variables of the level it left.
void vkUnbindModuleArguments();

// Binds, runs the body with Keisan on the caller's stack and unbinds. 1 with exactly one new
// value on top of the stack; 0 when binding or the body failed (their messages stand), when
// built-ins run modules nested too deeply ("Too deep module call."), or when the body did not
// end with exactly one value ("Invalid arguments.").
int vkRunModuleOnce(int module, const VkModuleValue (&values)[3], CalcStackEntry* stack, int* sp);

// Pops the value vkRunModuleOnce left into `dst` (a scratch buffer): 1 when it is a real
// matrix, else 0 and "Invalid arguments.".
int vkPopModuleReal(CalcStackEntry* stack, int* sp, double* dst, int* rows, int* cols);

// Whether a module exists with at least `minArgs` arguments whose first three (or fewer) take
// numbers, which is what the built-ins bind. 1 and its index, else 0.
int vkFindNumericModule(const char* name, int minArgs, int* index);

}  // namespace pravella
