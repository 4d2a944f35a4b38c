#pragma once
// Nonlinear least squares by damped Gauss-Newton steps. The model is a user module of three
// arguments (independent data, parameters, extra data) returning the predicted values; the
// Jacobian is formed by forward differences, the previous step serving as the next increment.

#include <memory>

#include "lang/values.h"

// Fits `params` (pr x pn values, updated in place, as is `delta`, the pn initial increments)
// so that the module's value approaches y (yr x yc). Stops when the relative change of the sum
// of squares falls below `tolerance`, or after 1000 iterations (also success). Writes the pn
// fitted parameters to `out`. 1, or 0 after reporting ("delta is zero", "memory allocation",
// "Button_Press", "pivot error", the module's own messages; a model value of another shape
// than y fails without a message).
int Do_Gauss_Newton_2(const double* x, int xr, int xc, const double* y, int yr, int yc, double* params,
                      double* delta, int pr, int pn, const double* extra, int er, int ec, double tolerance,
                      double damping, int module, double* out, CalcStackEntry* stack, int* sp);

// Raises vk_level and binds x, the parameters and the extra data under the module's argument
// names; gives the module's code. 1, or 0 with the level restored.
int set_argments_to_User_Function_gn(const double* x, int xr, int xc, const double* params, int pr, int pc,
                                     const double* extra, int er, int ec, int module, int* count,
                                     std::shared_ptr<VkCodeArray>* code);
