#include "graphics/axis_range.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "lang/report.h"

bool stepsApart(double lo, double hi, double step, double maxSteps) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(step) || !(lo < hi) || !(step > 0))
    return false;
  if (!((hi - lo) / step <= maxSteps)) return false;
  const double largest = std::max(std::fabs(lo), std::fabs(hi));
  return step > std::nextafter(largest, std::numeric_limits<double>::infinity()) - largest;
}

int AxisGet(double* upper, double* lower, double* step) {
  const double d = *upper - *lower;
  const double base = std::pow(10.0, std::trunc(std::log10(d) - 1));
  static constexpr double kFactors[] = {50, 25, 20, 10, 5, 2.5, 2, 1, 0.5, 0.25, 0.2, 0.1};
  double factor = kFactors[sizeof kFactors / sizeof kFactors[0] - 1];
  for (double f : kFactors)
    if (std::trunc(d / (base * f)) + 0.5 >= 5) {
      factor = f;
      break;
    }
  const double s = base * factor;
  *lower = (std::trunc(*lower / s) - 1) * s;
  *upper = (std::trunc(*upper / s) + 1) * s;
  *step = s;
  if (std::fabs(*lower) > 1e300 || std::fabs(*upper) > 1e300 || std::fabs(s) > 1e300) {
    error_disp("Axis range overflow");
    return 0;
  }
  // A step the doubles cannot show at these values gives no axis: its ticks fall together, and
  // a step that underflowed to 0 gives no ends at all.
  if (!stepsApart(*lower, *upper, s, std::numeric_limits<double>::infinity())) {
    error_disp("Axis range too fine for the numbers");
    return 0;
  }
  return 1;
}
