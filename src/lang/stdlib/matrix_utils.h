#pragma once
// Routines that build or rearrange matrices for the matrix built-ins: Hankel and convolution
// matrices, cyclic row rotation, gridding of scattered points, projective warping, the list
// of non-zero elements, a 3 x 3 product, hexadecimal text, a 3 x 3 mean filter, spreading
// point values over a grid and combinations of row vectors. Matrices are row-major doubles;
// results go to a caller buffer of TNumber doubles. Each returns 1, or 0 on failure (after a
// message where the routine has one).

#include <string>

// (n - m + 1) x m Hankel matrix of the n values; 0 when it would have no rows or pass TNumber.
int DoHankel(const double* x, int n, int m, int* outRows, int* outCols, double* out);

// n x m convolution (Toeplitz) matrix: column 0 is x, each further column moved down a row.
// 0 unless 1 <= m <= n and n x m is within TNumber.
int DoConvolutionMatrix(const double* x, int n, int m, double* out);

// Output row i = input row (i + k) taken cyclically; |k| must not pass the row count.
int DoRotate(const double* in, int rows, int cols, int k, double* out);

// rows x cols grid of the mean value of the (x, y, value) points falling in each cell; `out`
// needs 2 x rows x cols doubles.
int DoValuePattern(const double* points, int k, int rows, int cols, double* out);

// Resamples the image through the projective transform H (row vector (c, r, 1) times H),
// bilinearly; DoConvXY_old takes the nearest sample below instead.
int DoConvXY(const double* image, int rows, int cols, const double* h, double* out);
int DoConvXY_old(const double* image, int rows, int cols, const double* h, double* out);

// The non-zero elements as rows (row from 1, column from 1, value).
int DoChangeXY(const double* matrix, int rows, int cols, double* out, int* outRows, int* outCols);

// out = a x b for 3 x 3 matrices (out must not alias a or b).
int DoMulti3(const double* a, const double* b, double* out);

// Upper-case hexadecimal text of the value, zero-padded to the width when it is 1 to 8.
int DecToHex(unsigned int value, std::string& out, int width);

// Mean of each element's 3 x 3 neighbourhood inside the matrix.
int DoSmoothMatrix(const double* in, double* out, int rows, int cols);

// Spreads each point's value over the grid cells within r of it (1-based coordinates) and
// averages. `valuesAndGrid` holds the rows x cols values on entry and the grid on return. This
// and the count below end with the break message when the held button stops them.
int DoTensya(const double* x, const double* y, double* valuesAndGrid, int rows, int cols, int gridRows,
             int gridCols, int r);

// Counts, per grid cell, the points within r of it (coordinates taken as they are).
int DoTensyaCount(const double* x, const double* y, double* out, int rows, int cols, int gridRows,
                  int gridCols, int r);

// Every set of k distinct rows of the n x m matrix, as blocks of k rows (rows in decreasing
// index order). Returns the number of blocks, or 0 when a block would pass TNumber.
int vectorCombination(const double* vectors, int n, int m, int k, double* out);
