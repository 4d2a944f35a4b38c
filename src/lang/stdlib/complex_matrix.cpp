#include "lang/stdlib/complex_matrix.h"

#include <cmath>
#include <complex>
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

// The elementary functions go through the C library's complex ones, which keep the squares
// and exponentials of the textbook formulas from over- or underflowing where the answer does
// not (log of 1e+200 + 1e+200i, tan of 1 + 400i, exp of 1000 + 0i is inf + 0i) and take sinh
// rather than a difference of exponentials, which loses every digit near zero.
template <std::complex<double> (*F)(const std::complex<double>&)>
void viaLibrary(double x, double y, double& re, double& im) {
  const std::complex<double> w = F({x, y});
  re = w.real();
  im = w.imag();
}

constexpr auto expOf = viaLibrary<std::exp<double>>;
constexpr auto logOf = viaLibrary<std::log<double>>;

// sqrt(z) = 2^m sqrt(z / 4^m): the sum |x| + |z| passes the largest double from 1e+308 on,
// and loses the digits of subnormal parts; a power of four keeps both in range, exactly.
void sqrtOf(double x, double y, double& re, double& im) {
  constexpr double kHalfRoot2 = 0.7071067811865476;
  const double big = std::fmax(std::fabs(x), std::fabs(y));
  int m = 0;
  if (std::isfinite(big) && big != 0.0) {
    const int e = std::ilogb(big);
    if (e > 1000 || e < -1000) m = e / 2;
  }
  const double sx = std::ldexp(x, -2 * m);
  const double sy = std::ldexp(y, -2 * m);
  const double s = std::sqrt(std::fabs(sx) + modulus(sx, sy));
  re = 0.0;
  im = 0.0;
  if (s == 0.0) return;  // the root of zero is zero (the formula would divide 0 by 0)
  if (x >= 0.0) {
    re = s * kHalfRoot2;
    im = sy * kHalfRoot2 / s;
  } else {
    re = std::fabs(sy) * kHalfRoot2 / s;
    im = y >= 0.0 ? s * kHalfRoot2 : -s * kHalfRoot2;
  }
  re = std::ldexp(re, m);
  im = std::ldexp(im, m);
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
  const long k = complexCount(rows, cols);
  if (k < 0) return 0;
  auto zeroBase = [&](long i) { return a[i] == 0.0 && a[k + i] == 0.0; };
  // exp(b log 0) multiplies an infinite logarithm by b's parts: 0 to the power 0 is 1 and to a
  // power of positive real part 0; to any other power it has no value, which is said rather
  // than given as non-numbers.
  for (long i = 0; i < k; ++i) {
    if (zeroBase(i) && !(b[i] > 0.0) && !(b[i] == 0.0 && b[k + i] == 0.0)) {
      error_disp("zero to a power of no positive real part (complex)");
      return 0;
    }
  }
  for (long i = 0; i < k; ++i) {
    double re = 0.0, im = 0.0;
    if (zeroBase(i)) {
      re = b[i] == 0.0 && b[k + i] == 0.0 ? 1.0 : 0.0;
    } else {
      // b log a goes into a's place, the work space it has always been.
      double lr = 0.0, li = 0.0;
      logOf(a[i], a[k + i], lr, li);
      mul(b[i], b[k + i], lr, li, a[i], a[k + i]);
      expOf(a[i], a[k + i], re, im);
    }
    out[i] = re;
    out[k + i] = im;
  }
  return 1;
}

int c_sin(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, viaLibrary<std::sin<double>>);
}

int c_cos(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, viaLibrary<std::cos<double>>);
}

int c_tan(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, viaLibrary<std::tan<double>>);
}

int c_sinh(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, viaLibrary<std::sinh<double>>);
}

int c_cosh(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, viaLibrary<std::cosh<double>>);
}

int c_tanh(const double* z, int rows, int cols, double* out) {
  return unary(z, rows, cols, out, viaLibrary<std::tanh<double>>);
}

int c_sqrt(const double* z, double* work, int rows, int cols, double* out) {
  if (!c_abs(z, rows, cols, work)) return 0;
  return unary(z, rows, cols, out, sqrtOf);
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
