#pragma once
// Interpolation and splines: the natural cubic spline (Zspline, with the tridiagonal solver
// obi3), resizing a matrix by splines (DoHokan) or by blended Newton quadratics (DoHokanN),
// spline values and derivatives at given abscissae, resampling of unevenly spaced samples,
// averaging of runs of equal abscissae, and the least-squares B-spline fit (CFITSP). Matrices
// are row-major doubles in caller buffers; each routine returns 1, or 0 after reporting.
// The work arrays are per call (no state between calls).

// Solves the tridiagonal system of n rows (sub-diagonal, diagonal, super-diagonal, three
// doubles a row) for the right-hand side b, without pivoting. `copy` receives a working copy
// of the rows (3n doubles).
void obi3(const double* rows, const double* b, int n, double* x, double* copy);

// The natural cubic spline through (x[i], y[i]), i < n (n >= 2, x increasing), evaluated at
// the m points xx into yy. A point before x[0] uses the first interval; one beyond the last
// knot (as the rounding of a resize grid can make) takes the last knot's value.
void Zspline(const double* x, const double* y, const double* xx, double* yy, int n, int m);

// The rows x cols matrix resized to newRows x newCols, rows first (into work, rows x newCols)
// then columns. "Invalid arguments." for a size not positive, a result above the element
// capacity, or a pass from one sample to several (a spline needs two knots).
int DoHokan(const double* in, double* work, double* out, int rows, int cols, int newRows, int newCols);
// The same with blended quadratics; a pass from fewer than three samples to another size is
// refused with "Invalid arguments.". The input buffer is not changed.
int DoHokanN(const double* in, double* work, double* out, int rows, int cols, int newRows, int newCols);

// One vector of n values (n >= 3) resampled to m values (m >= 2) by blending the two Newton
// quadratics around each new position.
int DoNewtonHokan(const double* v, int n, double* out, int m);
// The quadratic through (x0, y0), (x1, y1), (x2, y2) at t, in divided-difference form.
double NewtonInterpolation(double x0, double y0, double x1, double y1, double x2, double y2, double t);

// Each column of the n x cols values splined over the knots (n >= 2, strictly increasing)
// and evaluated at the m points (all within the knots): m x cols into out. "Invalid data"
// otherwise.
int DoSpline(const double* knots, const double* values, const double* points, int n, int cols, int m,
             double* out);

// Samples y at the abscissae given by the running sums of d, resampled at m equally spaced
// abscissae from the first to the last by the natural spline (n >= 2, m >= 2, else
// "Invalid arguments."). The result does not depend on the increments' scale (nor on the
// first, an offset, while the positions it starts stay apart), and is the sample itself where
// a position falls on one; increments that are not finite, or positions that do not strictly
// increase once summed (slicePositionsIncrease), are refused with "Invalid arguments.".
int DoNewtonHokan2(const double* y, const double* d, int n, double* out, int m);

// Whether the positions d[0], d[0] + d[1], ... (summed in doubles, the first increment
// included) are finite and strictly increasing: an increment too small beside the position it
// is added to leaves two samples at one place. Where they start (below 0 too: scanners give
// such positions) does not matter.
bool slicePositionsIncrease(const double* d, int n);

// Derivative of the spline through the n + 1 knots x[0..n] (strictly increasing, n >= 2,
// "Invalid arguments... 1st arg. must be sorted" otherwise) of each column of the
// (n + 1) x cols values, at the m points (clamped into the knots): m x cols into out.
int DoSplineDif(const double* x, const double* values, const double* points, int n, int cols, int m,
                double* out);

// Consecutive rows with equal first values averaged into one row, with a count column:
// g x (cols + 1). "Invalid arguments." when that result would pass the element capacity.
int preSplineMean(const double* in, double* out, int n, int cols, int* outRows, int* outCols);

// Least-squares fit of the n points (x, y) by nb = K - k B-splines of order k over the K
// knots t (non-decreasing, clamped ends): n x 3 rows (x, y, fitted value) into out. A knot
// vector with too few points between knots gives not-a-number values without a message.
// "Invalid arguments." when the work memory cannot be had or the sizes are not usable.
int CFITSP(const double* x, const double* y, int n, const double* t, int K, int k, double* out);
