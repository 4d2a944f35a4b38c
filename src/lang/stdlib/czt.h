#pragma once
// The any-length Fourier transform on split arrays (one of real parts, one of imaginary parts):
// the power-of-two transform for powers of two, Bluestein's chirp-z algorithm otherwise. Its scaling differs
// from `cfft` and is part of the language: the forward transform (flag 1) is not scaled, the inverse (flag 0)
// divides by N.

#include <cstdint>

// In place on N (a power of two) points. Returns 1, or 0 with the data untouched when the
// transform's tables cannot be had.
int CZT_fft(double* re, double* im, int N, int flag);

// Circular convolution of a with b over N (a power of two) points, into a; b is left holding
// its transform. Returns 1, or 0 with both untouched when memory is short.
int high_speed_convolution(double* ar, double* ai, double* br, double* bi, int N);

// Bluestein's algorithm for any N >= 1, in place. Returns 0, or 1 with the data untouched when
// its work memory cannot be had.
int czt(double* re, double* im, int N, int flag);

// The transform of any length: radix-2 when N is a power of two, else `czt`. 0 on success,
// non-zero when memory is short.
int fft_czt(double* re, double* im, int N, int flag);

// The same on N interleaved (real, imaginary) pairs in place: the n x 2 matrices of CZT and
// CZTinv.
int fft_czt_pairs(double* x, int N, int flag);

// Two-dimensional transform in place of rows x cols row-major arrays: every row, then every
// column. Returns 1, or 0 after "Memory allocation error!!" (no work rows) or "error!!" (no work
// columns, or a one-dimensional transform failed; the data is then partly transformed), or after
// the break message when the held button stopped it between rows or columns.
int fft_czt2(double* re, double* im, int rows, int cols, int flag);

uint32_t ipow2(int k);
uint32_t ipow(uint32_t base, uint32_t exponent);
