#include "lang/stdlib/neural_units.h"

#include <cmath>
#include <cstddef>

double neuroFunc(double u) { return 1.0 / (std::exp(-u) + 1.0); }

double neuroDifFunc(double u) {
  const double s = neuroFunc(u);
  return s * (1.0 - s);
}

int neuroNet(const double* x, const double* w, int m, int n, double* out) {
  for (int i = 0; i < m; ++i) {
    double s = 0;
    for (int j = 0; j < n; ++j) s += w[static_cast<std::size_t>(i) * n + j] * x[j];
    out[i] = s;
  }
  return 1;
}

int neuroOut(const double* u, int n, double* out) {
  for (int i = 0; i < n; ++i) out[i] = neuroFunc(u[i]);
  return 1;
}

int neuroDif(const double* d, const double* w, int m, int n, double* out) {
  for (int j = 0; j < n; ++j) {
    double s = 0;
    for (int i = 0; i < m; ++i) s += d[i] * w[static_cast<std::size_t>(i) * n + j];
    out[j] = s;
  }
  return 1;
}

int neuroDelta(const double* e, const double* u, int n, double* out) {
  for (int i = 0; i < n; ++i) out[i] = e[i] * neuroDifFunc(u[i]);
  return 1;
}
