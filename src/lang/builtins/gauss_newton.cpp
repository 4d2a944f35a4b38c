#include "lang/builtins/gauss_newton.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "lang/executor.h"
#include "lang/module_eval.h"
#include "lang/report.h"
#include "lang/stdlib/linear_algebra.h"

using pravella::VkModuleValue;

int set_argments_to_User_Function_gn(const double* x, int xr, int xc, const double* params, int pr, int pc,
                                     const double* extra, int er, int ec, int module, int* count,
                                     std::shared_ptr<VkCodeArray>* code) {
  const VkModuleValue values[3] = {{x, xr, xc}, {params, pr, pc}, {extra, er, ec}};
  if (!pravella::vkBindModuleArguments(module, values, code)) return 0;
  *count = *code ? static_cast<int>((*code)->size()) : 0;
  return 1;
}

namespace {

constexpr int kIterations = 1000;
const double kLeastRelativeIncrement = std::sqrt(std::numeric_limits<double>::epsilon());

// One model evaluation with the given parameters into `f` (n values). 0 on failure; a value of
// another shape than y fails without a message.
int evaluate(const VkModuleValue& x, const double* params, int pr, int pn, const VkModuleValue& extra,
             int module, int yr, int yc, std::vector<double>& f, CalcStackEntry* stack, int* sp) {
  const VkModuleValue values[3] = {x, {params, pr, pn}, extra};
  if (!pravella::vkRunModuleOnce(module, values, stack, sp)) return 0;
  int rows = 0, cols = 0;
  if (!pravella::vkPopModuleReal(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows != yr || cols != yc) return 0;
  std::memcpy(f.data(), vk_ta, f.size() * sizeof(double));
  return 1;
}

}  // namespace

int Do_Gauss_Newton_2(const double* x, int xr, int xc, const double* y, int yr, int yc, double* params,
                      double* delta, int pr, int pn, const double* extra, int er, int ec, double tolerance,
                      double damping, int module, double* out, CalcStackEntry* stack, int* sp) {
  for (int j = 0; j < pn; ++j) {
    if (delta[j] == 0.0) {
      error_disp("delta is zero");
      return 0;
    }
  }
  const std::size_t n = static_cast<std::size_t>(yr) * yc;
  const std::size_t p = static_cast<std::size_t>(pn);
  // The module runs between uses of the scratch buffers, so everything kept across a run
  // lives here.
  std::vector<double> r, f, jac, normal, inverse, product, trial;
  std::vector<int> pivots;
  std::vector<double> initial;
  try {
    initial.assign(delta, delta + pn);
    r.resize(n);
    f.resize(n);
    jac.resize(n * p);
    normal.resize(p * p);
    inverse.resize(p * p);
    product.resize(p * n);
    trial.resize(static_cast<std::size_t>(pr) * p);
    pivots.resize(p);
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return 0;
  }
  const VkModuleValue xv{x, xr, xc};
  const VkModuleValue ev{extra, er, ec};
  double previous = 0.0;
  for (int iteration = kIterations; iteration > 0; --iteration) {
    if (ButtonPress()) {
      error_disp("Button_Press");
      return 0;
    }
    if (!evaluate(xv, params, pr, pn, ev, module, yr, yc, f, stack, sp)) return 0;
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      r[i] = y[i] - f[i];
      sum += r[i] * r[i];
    }
    // An exact fit leaves nothing to improve, and the relative change would divide by zero.
    if (sum == 0.0) break;
    if (tolerance > std::fabs(previous - sum) / sum) break;

    for (std::size_t j = 0; j < p; ++j) {
      std::memcpy(trial.data(), params, trial.size() * sizeof(double));
      trial[j] = params[j] + delta[j];
      if (!evaluate(xv, trial.data(), pr, pn, ev, module, yr, yc, f, stack, sp)) return 0;
      for (std::size_t i = 0; i < n; ++i) jac[i * p + j] = ((y[i] - f[i]) - r[i]) / delta[j];
    }
    for (std::size_t a = 0; a < p; ++a)
      for (std::size_t b = 0; b < p; ++b) {
        double s = 0.0;
        for (std::size_t i = 0; i < n; ++i) s += jac[i * p + a] * jac[i * p + b];
        normal[a * p + b] = s;
      }
    for (std::size_t j = 0; j < p; ++j) normal[j * p + j] += damping * normal[j * p + j];
    double det = 0.0;
    if (!DoInv(normal.data(), pivots.data(), inverse.data(), pn, pn, &det)) return 0;
    for (std::size_t j = 0; j < p; ++j)
      for (std::size_t i = 0; i < n; ++i) {
        double s = 0.0;
        for (std::size_t k = 0; k < p; ++k) s += inverse[j * p + k] * jac[i * p + k];
        product[j * n + i] = s;
      }
    for (std::size_t j = 0; j < p; ++j) {
      double step = 0.0;
      for (std::size_t i = 0; i < n; ++i) step -= product[j * n + i] * r[i];
      params[j] += step;
      // Near convergence the steps shrink toward the rounding of the parameter, and a
      // difference quotient over such an increment is noise or 0/0 (a zero Jacobian column,
      // then a singular normal matrix). The increment is kept above the square root of the
      // machine epsilon relative to the parameter (or, for a parameter of 0, to its initial
      // increment), with the step's sign.
      const double scale = params[j] != 0.0 ? std::fabs(params[j]) : std::fabs(initial[j]);
      const double least = kLeastRelativeIncrement * scale;
      delta[j] = std::fabs(step) >= least ? step : (step < 0 ? -least : least);
    }
    previous = sum;
  }
  std::memcpy(out, params, p * sizeof(double));
  return 1;
}
