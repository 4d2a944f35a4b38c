#include "lang/stdlib/complex_matrix.h"

#include <cmath>
#include <cstddef>

#include "lang/report.h"
#include "lang/values.h"

namespace {

// Half the stored rows times the columns: the number of complex elements, or -1 (after the
// report) when the row count is odd.
long complexCount(int rows, int cols) {
  if (rows < 0 || cols < 0 || rows % 2 != 0) {
    error_disp("invalid size (complex)");
    return -1;
  }
  return static_cast<long>(rows / 2) * cols;
}

// Applies f(x, y, &re, &im) to every element. The results are buffered per element, so the
// output may overlap the input.
template <typename F>
int unary(const double* z, int rows, int cols, double* out, F f) {
  const long k = complexCount(rows, cols);
  if (k < 0) return 0;
  for (long i = 0; i < k; ++i) {
    double re = 0.0, im = 0.0;
    f(z[i], z[k + i], re, im);
    out[i] = re;
    out[k + i] = im;
  }
  return 1;
}

template <typename F>
int binary(const double* a, const double* b, long k, double* out, F f) {
  for (long i = 0; i < k; ++i) {
    double re = 0.0, im = 0.0;
    f(a[i], a[k + i], b[i], b[k + i], re, im);
    out[i] = re;
    out[k + i] = im;
  }
  return 1;
}

template <typename F>
int binaryChecked(const double* a, const double* b, int rows, int cols, double* out, F f) {
  const long k = complexCount(rows, cols);
  if (k < 0) return 0;
  return binary(a, b, k, out, f);
}

void mul(double p, double q, double u, double v, double& re, double& im) {
  re = p * u - q * v;
  im = p * v + q * u;
}

// Smith's method: scales by the larger divisor part so that u^2 + v^2 cannot overflow.
void divide(double p, double q, double u, double v, double& re, double& im) {
  complexQuotient(p, q, u, v, re, im);
}

double modulus(double x, double y) {
  if (x == 0.0) return std::fabs(y);
  if (y == 0.0) return std::fabs(x);
  if (std::fabs(y) > std::fabs(x)) {
    const double t = x / y;
    return std::fabs(y) * std::sqrt(t * t + 1.0);
  }
  const double t = y / x;
  return std::fabs(x) * std::sqrt(t * t + 1.0);
}

void expOf(double x, double y, double& re, double& im) {
  const double e = std::exp(x);
  re = e * std::cos(y);
  im = e * std::sin(y);
}

void logOf(double x, double y, double& re, double& im) {
  re = 0.5 * std::log(x * x + y * y);
  im = std::atan2(y, x);
}

}  // namespace

int c_conv(const double* re, const double* im, int rows, int cols, double* out) {
  const long k = static_cast<long>(rows) * cols;
  if (rows < 0 || cols < 0 || 2 * k > static_cast<long>(TNumber)) {
    error_disp("invalid size (complex)");
    return 0;
  }
  // The imaginary part goes first: `out` may be the real part's own buffer.
  for (long i = k - 1; i >= 0; --i) out[k + i] = im[i];
  for (long i = 0; i < k; ++i) out[i] = re[i];
  return 1;
}

int c_conj(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, [](double x, double y, double& re, double& im) {
    re = x;
    im = -y;
  });
}

int c_abs(const double* z, int rows, int cols, double* out) {
  const long k = complexCount(rows, cols);
  if (k < 0) return 0;
  for (long i = 0; i < k; ++i) out[i] = modulus(z[i], z[k + i]);
  return 1;
}

int c_arg(const double* z, int rows, int cols, double* out) {
  const long k = complexCount(rows, cols);
  if (k < 0) return 0;
  for (long i = 0; i < k; ++i) out[i] = std::atan2(z[k + i], z[i]);
  return 1;
}

int c_add(const double* a, const double* b, int rows, int cols, double* out) {
  return binaryChecked(a, b, rows, cols, out,
                       [](double p, double q, double u, double v, double& re, double& im) {
                         re = p + u;
                         im = q + v;
                       });
}

int c_sub(const double* a, const double* b, int rows, int cols, double* out) {
  return binaryChecked(a, b, rows, cols, out,
                       [](double p, double q, double u, double v, double& re, double& im) {
                         re = p - u;
                         im = q - v;
                       });
}

int c_mul(const double* a, const double* b, int rows, int cols, double* out) {
  return binaryChecked(a, b, rows, cols, out, mul);
}

int c_div(const double* a, const double* b, int rows, int cols, double* out) {
  return binaryChecked(a, b, rows, cols, out, divide);
}

int c_exp(const double* z, int rows, int cols, double* out) { return unary(z, rows, cols, out, expOf); }

int c_log(const double* z, int rows, int cols, double* out) { return unary(z, rows, cols, out, logOf); }

int c_pow(double* a, const double* b, int rows, int cols, double* out) {
  if (!c_log(a, rows, cols, out)) return 0;
  if (!c_mul(b, out, rows, cols, a)) return 0;
  return c_exp(a, rows, cols, out);
}

int c_sin(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, [](double x, double y, double& re, double& im) {
    const double e = std::exp(y);
    re = std::sin(x) * (e + 1.0 / e) * 0.5;
    im = std::cos(x) * (e - 1.0 / e) * 0.5;
  });
}

int c_cos(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, [](double x, double y, double& re, double& im) {
    const double e = std::exp(y);
    re = std::cos(x) * (1.0 / e + e) * 0.5;
    im = std::sin(x) * (1.0 / e - e) * 0.5;
  });
}

int c_tan(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, [](double x, double y, double& re, double& im) {
    const double e = std::exp(2.0 * y);
    const double d = std::cos(2.0 * x) + (1.0 / e + e) * 0.5;
    re = std::sin(2.0 * x) / d;
    im = (e - 1.0 / e) * 0.5 / d;
  });
}

int c_sinh(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, [](double x, double y, double& re, double& im) {
    const double e = std::exp(x);
    re = (e - 1.0 / e) * 0.5 * std::cos(y);
    im = (e + 1.0 / e) * 0.5 * std::sin(y);
  });
}

int c_cosh(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, [](double x, double y, double& re, double& im) {
    const double e = std::exp(x);
    re = (e + 1.0 / e) * 0.5 * std::cos(y);
    im = (e - 1.0 / e) * 0.5 * std::sin(y);
  });
}

int c_tanh(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, [](double x, double y, double& re, double& im) {
    const double e = std::exp(2.0 * x);
    const double d = 0.5 * (e + 1.0 / e) + std::cos(2.0 * y);
    re = (e - 1.0 / e) * 0.5 / d;
    im = std::sin(2.0 * y) / d;
  });
}

int c_sqrt(const double* z, double* work, int rows, int cols, double* out) {
  if (!c_abs(z, rows, cols, work)) return 0;
  const long k = static_cast<long>(rows / 2) * cols;
  constexpr double kHalfRoot2 = 0.7071067811865476;
  for (long i = 0; i < k; ++i) {
    const double x = z[i];
    const double y = z[k + i];
    const double s = std::sqrt(std::fabs(x) + work[i]);
    double re = 0.0, im = 0.0;
    if (s == 0.0) {
      // The root of zero is zero (the formula would divide 0 by 0).
    } else if (x >= 0.0) {
      re = s * kHalfRoot2;
      im = y * kHalfRoot2 / s;
    } else {
      re = std::fabs(y) * kHalfRoot2 / s;
      im = y >= 0.0 ? s * kHalfRoot2 : -s * kHalfRoot2;
    }
    out[i] = re;
    out[k + i] = im;
  }
  return 1;
}

int complex_mul(const double* a, const double* b, int m, int n, double* out) {
  return binary(a, b, static_cast<long>(m) * n, out, mul);
}

int complex_div(const double* a, const double* b, int m, int n, double* out) {
  return binary(a, b, static_cast<long>(m) * n, out, divide);
}

void complexQuotient(double p, double q, double u, double v, double& re, double& im) {
  if (std::fabs(u) >= std::fabs(v)) {
    const double r = v / u;
    const double d = v * r + u;
    re = (q * r + p) / d;
    im = (q - r * p) / d;
  } else {
    const double r = u / v;
    const double d = u * r + v;
    re = (r * p + q) / d;
    im = (r * q - p) / d;
  }
}
