#pragma once
// Small element-wise kernels of the numeric helpers used by the matrix built-ins: bit
// operations on integer parts, a windowed least-squares slope, element-wise bounds and the
// distance matrix. Matrices are row-major doubles; each returns 1, or 0 on failure.

// a (rows x cols, in place) op b, on the integer parts: "&", "|", "<<", ">>", "^", or the
// unary "~" (b not read). 0 without a message for any other operator.
int DoBitCalc(double* a, const double* b, int rows, int cols, const char* op);

// Slope of each column over the window of 2k + 1 samples (unit spacing); the result has
// rows - 2k rows, row r belonging to input row r + k.
int DoBibunN(const double* in, double* out, int rows, int cols, int k, int* outRows, int* outCols);

// The limit (1 x 1, or of the data's shape) as an upper bound (mode 1: the smaller of the
// two, the limit on ties) or a lower bound (any other mode: the larger of the two).
// "Invalid size." for any other limit shape.
int DoLimit(const double* limit, const double* data, double* out, int limitRows, int limitCols, int dataRows,
            int dataCols, int mode);

// Euclidean distances between the n rows of an n x d matrix (d > 1, else "Invalid arguments
// (distance)"). The held button stops it with the break message.
int DoDistance(const double* points, double* out, int n, int d);
