#pragma once
// Element-wise complex arithmetic on the language's complex matrices. The language has no
// complex type: a complex m x n matrix is a real matrix of 2m rows and n columns whose upper m
// rows hold the real parts and whose lower m rows hold the imaginary parts. The transforms use
// the same layout for their complex results.
//
// Every routine takes the stored (real) row count `rows` = 2m and the column count `cols`,
// reads its inputs, writes `out` and returns 1; an odd row count is reported as
// "invalid size (complex)" and nothing is written (result 0). Inputs and `out` may be the same
// buffer.

// out (2 rows x cols) = re + i im, for two real matrices of rows x cols. Refused when the
// result would pass TNumber elements.
int c_conv(const double* re, const double* im, int rows, int cols, double* out);

int c_conj(const double* z, int rows, int cols, double* out);
// Modulus and argument: the result is real, rows/2 x cols.
int c_abs(const double* z, int rows, int cols, double* out);
int c_arg(const double* z, int rows, int cols, double* out);

int c_add(const double* a, const double* b, int rows, int cols, double* out);
int c_sub(const double* a, const double* b, int rows, int cols, double* out);
int c_mul(const double* a, const double* b, int rows, int cols, double* out);
// Smith's division; a zero divisor gives non-numbers, as IEEE arithmetic does.
int c_div(const double* a, const double* b, int rows, int cols, double* out);

int c_exp(const double* z, int rows, int cols, double* out);
int c_log(const double* z, int rows, int cols, double* out);
// a^b = exp(b log a); 0^0 is 1, 0 to a power of positive real part 0, and 0 to any other
// power is refused ("zero to a power of no positive real part (complex)", nothing written).
// `a` is used as work space and is overwritten.
int c_pow(double* a, const double* b, int rows, int cols, double* out);

int c_sin(const double* z, int rows, int cols, double* out);
int c_cos(const double* z, int rows, int cols, double* out);
int c_tan(const double* z, int rows, int cols, double* out);
int c_sinh(const double* z, int rows, int cols, double* out);
int c_cosh(const double* z, int rows, int cols, double* out);
int c_tanh(const double* z, int rows, int cols, double* out);
// Principal square root; `work` receives the moduli (rows/2 x cols).
int c_sqrt(const double* z, double* work, int rows, int cols, double* out);

// The same product and quotient for callers that have checked the shapes themselves: `m` is
// the complex row count (half the stored rows). No size test, no message.
int complex_mul(const double* a, const double* b, int m, int n, double* out);
int complex_div(const double* a, const double* b, int m, int n, double* out);

// (p + iq) / (u + iv) by Smith's division: the divisor is scaled by its larger part, so that
// no square of it over- or underflows where the quotient does not. A zero divisor gives
// non-numbers.
void complexQuotient(double p, double q, double u, double v, double& re, double& im);
