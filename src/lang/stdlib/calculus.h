#pragma once
// Small numeric kernels behind the calculus, tally and element-wise built-ins: polygon area,
// cumulative integrals, the error function and the chi-square integral, histograms, flips,
// the 21-value layout, element-wise square root, product and quotient, uniform random
// numbers and the integer tallies. Matrices are row-major doubles; the caller owns every
// buffer. Each routine returns 1, or 0 after reporting (the few that fail silently say so).

#include <cstdint>

// Area of the polygon of n vertices (either orientation).
int DoMenseki(const double* x, const double* y, double* out, int n);

// Cumulative trapezoid integral of each column of y over the abscissae x (one per row); row 0
// is 0.
int DoSekibun(int rows, int cols, const double* y, const double* x, double* out);
// Cumulative sum of each column (no step width); the fourth argument is not read.
int DoIntegration(int rows, int cols, const double* y, const double* unused, double* out);

// erf(x) by the approximation 7.1.28 of Abramowitz and Stegun (error below 3e-7); exactly 1
// in size from |x| = 10.
int DoErrorFunctionSub(double x, double* out);
int DoErrorFunction(const double* in, int rows, int cols, double* out);

// P(chi-square with n degrees of freedom <= x), in closed form (meaningful for n >= 1).
int DoIntegrateChiSquare(double x, double n, double* out);

// Histograms. The plain forms take their bounds from the data's minimum and maximum, the SP
// forms from the caller. nbins bins of width (upper - lower) / (nbins - 1), bin i holding
// lower + i w <= v < lower + (i + 1) w. The "All" forms count every element into nbins x 2
// (lower edge, count); the others count each column into nbins x (cols + 1). Fewer than two
// bins, or a result above the element capacity, fail with "Invalid arguments.".
int DoFrequencyAll(const double* data, int nbins, double* out, int rows, int cols, int* outRows,
                   int* outCols);
int DoFrequency(const double* data, int nbins, double* out, int rows, int cols, int* outRows, int* outCols);
int DoFrequencyAllSP(const double* data, int nbins, double* out, int rows, int cols, int* outRows,
                     int* outCols, double upper, double lower);
int DoFrequencySP(const double* data, int nbins, double* out, int rows, int cols, int* outRows, int* outCols,
                  double upper, double lower);

// Rows (Vertical) or columns (Horizontal) in reverse order; in and out must differ.
int DoVertical(const double* in, double* out, int rows, int cols);
int DoHorizontal(const double* in, double* out, int rows, int cols);

// The 21 values laid into the inner 5 x 5 block of a 7 x 7 grid (corners averaged).
int DoC21To77(const double* in, double* out);

void dswap(double* a, double* b);

// The square root of one number; false for a negative or not-a-number one.
bool vkSqrtOf(double x, double* out);
// Square root of each element; "Invalid number.(sqrt)" for a negative or not-a-number one.
int DoSqrt(const double* in, const double* unused, double* out, int rows, int cols, int* outRows,
           int* outCols);
// Element-wise product and quotient ("divide by zero." for a zero divisor).
int DoMultiply(const double* a, const double* b, double* out, int rows, int cols);
int DoDivide(const double* a, const double* b, double* out, int rows, int cols);
// Uniform numbers in [0, 1) from the C library's rand.
int DoRandom(double* out, int rows, int cols);

// The distinct integer parts of n values, ascending, with their counts: k x 2 into out, k
// into *count. "memory allocation" when the work array cannot be had; the break message when
// the held button stopped its sort.
int cross_int_member(const double* values, int n, double* out, int* count);
// out[i][j] (p x q) = how many rows of the k x 2 pairs are (a[i], b[j]) after truncation. The
// held button stops it with the break message.
int corssCount(const double* a, int p, const double* b, int q, const double* pairs, int k, double* out);
// Ascending comparison of two 32-bit integers.
int comp_long_int(const int32_t* a, const int32_t* b);
