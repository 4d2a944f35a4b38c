#include "lang/builtins/functions_r_rkg.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "lang/builtins/functions_c_args.h"
#include "lang/module_eval.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stack.h"

using pravella::VkModuleValue;

int set_argments_to_User_Function_rkg(const double* x, int xr, int xc, const double* y, int yr, int yc,
                                      const double* p, int pr, int pc, int module, int* count,
                                      std::shared_ptr<VkCodeArray>* code) {
  const VkModuleValue values[3] = {{x, xr, xc}, {y, yr, yc}, {p, pr, pc}};
  if (!pravella::vkBindModuleArguments(module, values, code)) return 0;
  *count = *code ? static_cast<int>((*code)->size()) : 0;
  return 1;
}

namespace {

using namespace pravella::builtins;

// Gill's coefficients, as the doubles the method has always used.
constexpr double kHalfRoot2Minus1 = 0.41421356237309515 * 0.5;  // (sqrt 2 - 1) / 2
constexpr double kOneMinusInvRoot2 = 0.29289321881345254;       // 1 - 1 / sqrt 2
constexpr double kRoot2 = 1.4142135623730951;
constexpr double kOnePlusInvRoot2 = 1.7071067811865475;  // 1 + 1 / sqrt 2
constexpr double kTwoMinusRoot2 = 0.5857864376269049;
constexpr double kTwoPlusRoot2 = 3.414213562373095;

// A copied argument of its own: the module runs use the scratch buffers.
struct Value {
  std::vector<double> data;
  int rows = 0;
  int cols = 0;
  VkModuleValue view() const { return {data.data(), rows, cols}; }
};

int popValue(CalcStackEntry* stack, int* sp, Value& v) {
  if (!popMatrix(stack, sp, vk_ta, &v.rows, &v.cols)) return 0;
  try {
    v.data.assign(vk_ta, vk_ta + static_cast<std::size_t>(v.rows) * v.cols);
  } catch (const std::bad_alloc&) {
    return invalidArguments();
  }
  return 1;
}

// The module named by the string on top of the stack.
int popModule(CalcStackEntry* stack, int* sp, int* module) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isString()) return invalidArguments();
  if (!pravella::vkFindNumericModule(reinterpret_cast<const char*>(vk_ta), 0, module)) {
    error_disp("Unknown Usr function.");
    return 0;
  }
  return 1;
}

// One stage: k = h * f(x, y, P). The module's value must hold as many numbers as k; its shape
// goes to *rows, *cols.
int stage(int module, const VkModuleValue& x, const VkModuleValue& y, const VkModuleValue& p, double h,
          std::vector<double>& k, CalcStackEntry* stack, int* sp, int* rows = nullptr, int* cols = nullptr) {
  const VkModuleValue values[3] = {x, y, p};
  if (!pravella::vkRunModuleOnce(module, values, stack, sp)) return 0;
  int fr = 0, fc = 0;
  if (!pravella::vkPopModuleReal(stack, sp, vk_ta, &fr, &fc)) return 0;
  if (static_cast<long long>(fr) * fc != static_cast<long long>(k.size())) return invalidArguments();
  for (std::size_t i = 0; i < k.size(); ++i) k[i] = h * vk_ta[i];
  if (rows) *rows = fr;
  if (cols) *cols = fc;
  return 1;
}

// One Gill step from (x, y) with step h: x becomes x + h (element by element) and y the new y.
// `mid` and `tmp` are work space of the sizes of x and y. The shape of the last module value
// goes to *rows, *cols.
int gillStep(int module, double h, std::vector<double>& x, int xr, int xc, std::vector<double>& y, int yr,
             int yc, const Value& p, std::vector<double> (&k)[4], CalcStackEntry* stack, int* sp, int* rows,
             int* cols) {
  std::vector<double> xm(x.size()), ys(y.size());
  const VkModuleValue pv = p.view();
  const std::size_t n = y.size();
  if (!stage(module, {x.data(), xr, xc}, {y.data(), yr, yc}, pv, h, k[0], stack, sp)) return 0;
  for (std::size_t i = 0; i < x.size(); ++i) xm[i] = x[i] + h / 2;
  for (std::size_t i = 0; i < n; ++i) ys[i] = y[i] + k[0][i] / 2;
  if (!stage(module, {xm.data(), xr, xc}, {ys.data(), yr, yc}, pv, h, k[1], stack, sp)) return 0;
  for (std::size_t i = 0; i < n; ++i) ys[i] = y[i] + kHalfRoot2Minus1 * k[0][i] + kOneMinusInvRoot2 * k[1][i];
  if (!stage(module, {xm.data(), xr, xc}, {ys.data(), yr, yc}, pv, h, k[2], stack, sp)) return 0;
  for (double& v : x) v += h;
  for (std::size_t i = 0; i < n; ++i) ys[i] = y[i] - k[1][i] / kRoot2 + kOnePlusInvRoot2 * k[2][i];
  if (!stage(module, {x.data(), xr, xc}, {ys.data(), yr, yc}, pv, h, k[3], stack, sp, rows, cols)) return 0;
  for (std::size_t i = 0; i < n; ++i)
    y[i] += (k[0][i] + kTwoMinusRoot2 * k[1][i] + kTwoPlusRoot2 * k[2][i] + k[3][i]) / 6.0;
  return 1;
}

}  // namespace

int vkRungeKuttaGillIntegrate(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int module = 0;
  if (!popModule(stack, sp, &module)) return 0;
  Value p, y0, range;
  if (!popValue(stack, sp, p) || !popValue(stack, sp, y0)) return 0;
  if (y0.rows != 1 || y0.cols < 1 || y0.cols > TNumber) return invalidArguments();
  if (!popValue(stack, sp, range)) return 0;
  if (range.rows != 1 || range.cols != 3) return invalidArguments();
  const double xStart = range.data[0], xEnd = range.data[1], h = range.data[2];
  const int n = y0.cols;
  if (!std::isfinite(xStart) || !std::isfinite(xEnd) || !std::isfinite(h)) return invalidArguments();
  if (xStart >= xEnd || h <= 0 || (xEnd - xStart) / h / (n + 1) > TNumber) return invalidArguments();
  // x advances by repeated addition of h, which a step below the spacing of the doubles at
  // the range's end would leave where it is (1e+17 + 1 is 1e+17), filling rows with one x.
  const double largest = std::max(std::fabs(xStart), std::fabs(xEnd));
  if (!(h >= std::nextafter(largest, HUGE_VAL) - largest)) {
    error_disp("Runge-Kutta step too fine for the numbers");
    return 0;
  }

  std::vector<double> result, x{xStart}, y = y0.data;
  std::vector<double> k[4];
  try {
    result.reserve(static_cast<std::size_t>(n + 1) * 64);
    for (auto& s : k) s.resize(n);
  } catch (const std::bad_alloc&) {
    return invalidArguments();
  }
  auto appendRow = [&] {
    result.push_back(x[0]);
    result.insert(result.end(), y.begin(), y.end());
  };
  appendRow();
  long long rows = 1;
  // The test is made on the x at which a step starts, so the last row's x is the first that
  // passes x end. A row that would not fit a value ends the integration.
  while (xEnd >= x[0] && static_cast<long long>(n + 1) * (rows + 1) <= TNumber) {
    // Each step runs the module four times; a fine step over a long range, minutes.
    if (vkBreakHeld()) {
      error_disp(kVkBreakMessage);
      return 0;
    }
    if (!gillStep(module, h, x, 1, 1, y, 1, n, p, k, stack, sp, nullptr, nullptr)) return 0;
    appendRow();
    ++rows;
  }
  return pushMatrix(stack, sp, result.data(), static_cast<int>(rows), n + 1);
}

int vkRungeKuttaGillStep(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int module = 0;
  if (!popModule(stack, sp, &module)) return 0;
  Value p, y, x, h;
  if (!popValue(stack, sp, p) || !popValue(stack, sp, y) || !popValue(stack, sp, x)) return 0;
  if (static_cast<long long>(std::max(y.rows, x.rows)) * std::max(y.cols, x.cols) > TNumber)
    return invalidArguments();
  if (!popValue(stack, sp, h)) return 0;
  if (h.rows != 1 || h.cols != 1) return invalidArguments();
  std::vector<double> k[4];
  for (auto& s : k) s.resize(y.data.size());
  int rows = 0, cols = 0;
  if (!gillStep(module, h.data[0], x.data, x.rows, x.cols, y.data, y.rows, y.cols, p, k, stack, sp, &rows,
                &cols))
    return 0;
  return pushMatrix(stack, sp, y.data.data(), rows, cols);
}
