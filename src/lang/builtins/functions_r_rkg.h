#pragma once
// The Runge-Kutta-Gill built-ins "Runge_Kutta_Gill_4th" / "rkg_4": y' = f(x, y, P) where f is a
// user module whose first three arguments receive x, y and P.

#include <memory>

#include "lang/values.h"

// Four arguments: |x start, x end, h|, y at x start (1 x n), P, module name; pushes one row
// (x, y) per step.
int vkRungeKuttaGillIntegrate(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
// Five arguments: h, x, y, P, module name; pushes y after one step, shaped as the module's value.
int vkRungeKuttaGillStep(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// Raises vk_level and binds x, y and P under the module's first argument names; gives the
// module's code. 1, or 0 with the level restored.
int set_argments_to_User_Function_rkg(const double* x, int xr, int xc, const double* y, int yr, int yc,
                                      const double* p, int pr, int pc, int module, int* count,
                                      std::shared_ptr<VkCodeArray>* code);
