#pragma once
// The power-of-two Fourier transform of the language on interleaved complex arrays (real,
// imaginary, real, ...) and the spectral operations built on it. Its scaling is part of the
// language: the forward transform (sign -1) divides by N, the inverse (sign +1) does not.
//
// N is a power of two and log2N its exponent; the built-ins accept N up to 8192.

#include <vector>

// In place on N = 2^log2N interleaved values. Exponent e^(-2 pi i j k / N) for a negative sign,
// e^(+2 pi i j k / N) for a positive one; the result is divided by N when the sign is exactly
// -1.0. Returns 1, or 0 with the data untouched when the transform's tables or work memory
// cannot be had.
int cfft(double* data, int log2N, double sign);

// The transform of one complex vector: `in` and `out` are N x 2 (real, imaginary) rows.
// Returns 1, or 0 after "Memory allocation  error (FFT)" when no work memory can be had.
int DoFFT(int N, int log2N, const double* in, double* out, double sign);

// Column by column forward transforms of a real N x cols matrix (each column is the real part
// of one signal, the imaginary part zero): the real parts, the imaginary parts, or the one-sided
// amplitudes (|X[k]| + |X[N-k]| for 0 < k < N/2, |X[k]| elsewhere), each N x cols. The held
// button stops them between columns with the break message.
int DoFFTReal(int N, int cols, int log2N, const double* in, double* out);
int DoFFTImage(int N, int cols, int log2N, const double* in, double* out);
int DoFFTPower(int N, int cols, int log2N, const double* in, double* out);

// Circular operations on two real signals a and b of N points, output N points:
// convolution out[k] = sum a[j] b[(k - j) mod N]; deconvolution (the h with b = h * a);
// `DoFFTImp` the same deconvolution; correlation out[k] = sum a[(j + k) mod N] b[j].
// Each returns 1, or 0 after "Memory allocation  error (FFT)"; a deconvolution by a signal
// whose spectrum has a zero returns 0 after "divided by zero error !!!" (once), and one whose
// answer passes the largest double 0 after "The result is too large.".
int DoFFTConv(int N, int log2N, const double* a, const double* b, double* out);
int DoFFTDeConv(int N, int log2N, const double* a, const double* b, double* out);
int DoFFTImp(int N, int log2N, const double* a, const double* b, double* out);
int DoFFTCorrelation(int N, int log2N, const double* a, const double* b, double* out);

// Three zeroed work arrays of N interleaved complex values; 1, or 0 with all three empty.
int HeapFFTmem(std::vector<double>& a, std::vector<double>& b, std::vector<double>& c, int N);

// Complex scalars as (real, imaginary) pairs.
struct vkComplex {
  double re = 0.0;
  double im = 0.0;
};

vkComplex tocomplex(double re, double im);
vkComplex cc_add(vkComplex a, vkComplex b);
vkComplex cc_sub(vkComplex a, vkComplex b);
vkComplex cc_mul(vkComplex a, vkComplex b);
// a / b, by Smith's division. A zero divisor is reported ("divided by zero error !!!") and the
// division is still carried out, giving non-numbers; the caller goes on.
vkComplex cc_div(vkComplex a, vkComplex b);
// atan2(im, re); 10.0 after " arg zero error!!!" when both parts are zero.
double cc_arg(vkComplex a);
vkComplex cc_conj(vkComplex a);
vkComplex cc_exp(vkComplex a);
