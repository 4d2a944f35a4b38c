#include "lang/stdlib/gamma.h"

#include <cmath>

int SubGamma(double x, double* out) {
  // Past 172 the product overflows anyway; counting down from a huge argument one by one would
  // take for ever (or never end, once x - 1 == x).
  if (!(x <= 172.0)) {
    *out = std::isnan(x) ? x : HUGE_VAL;
    return 1;
  }
  double f = 1.0;
  double t = x;
  while (t > 1) {
    t -= 1;
    f *= t;
  }
  // 1, b1 .. b7 of the approximation; b8 starts Horner's rule.
  static constexpr double kB[8] = {1.0,         -0.577191652, 0.988205891, -0.897056937,
                                   0.918206857, -0.756704078, 0.482199394, -0.193527818};
  double g = 0.035868343;
  for (int i = 7; i >= 0; --i) g = g * t + kB[i];
  *out = f * g / t;
  return 1;
}

double ZoTpow(double a, double b) { return std::exp(std::log(a) * b); }
