#pragma once
// The transform engine behind both Fourier engines of the language (`cfft` and `fft_czt`):
// self-sorting radix-8 and radix-4 passes with vector code that read and write the caller's
// interleaved (and shorter split) arrays directly, in-place radix-4 levels on longer split
// arrays, mixed-radix passes (fft_mixed.h) for lengths with factors 2, 3 and 5, and Bluestein's
// chirp-z algorithm on either for the other lengths. Twiddles and chirps
// are taken once per length and kept in a small process-wide cache (guarded, so overlapping
// runs may share it), work arrays once per thread. The sign and scale conventions of the two
// engines are their callers' business: here a transform is forward (e^(-2 pi i j k / N)) or
// inverse (e^(+2 pi i j k / N)) and its result is multiplied by `scale`.
//
// Each routine returns false, with the data untouched, when its tables or work memory cannot
// be had.

#include <cstddef>

namespace pravella::fft {

// n a power of two, in place.
bool transformSplit(double* re, double* im, std::size_t n, bool inverse, double scale);

// n a power of two: interleaved (real, imaginary, ...) values from `in` to `out`, which may be
// the same array.
bool transformInterleaved(const double* in, double* out, std::size_t n, bool inverse, double scale);

// Any n >= 1 in place; the result is divided by n when `divideByN`. Lengths with no prime factor
// above 5 take the mixed-radix passes directly, others the chirp-z algorithm over M >= 2n - 1
// points (of the lengths up to the next power of two with factors 2, 3 and 5, the one whose
// passes are estimated to be quickest).
bool chirpZ(double* re, double* im, std::size_t n, bool inverse, bool divideByN);

// Any n >= 1 in place on n interleaved (real, imaginary) pairs, as chirpZ: the first pass reads
// and the last writes the pairs directly.
bool transformPairs(double* x, std::size_t n, bool inverse, bool divideByN);

// Circular convolution of a with b over n (a power of two) points into a, divided by n; b is
// left holding its forward transform.
bool convolveSplit(double* ar, double* ai, double* br, double* bi, std::size_t n);

// Drops every kept table and this thread's work arrays (tests compare fresh and kept plans).
void clearPlanCache();

// With true, the kernels for any x86-64 are used even where AVX2 and FMA are there (tests run
// both).
void usePortableKernels(bool portable);

}  // namespace pravella::fft
