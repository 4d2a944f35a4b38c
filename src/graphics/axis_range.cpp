#include "graphics/axis_range.h"

#include <cmath>

#include "lang/report.h"

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
  return 1;
}
