#include "lang/stdlib/fft.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/complex_matrix.h"
#include "lang/stdlib/fft_engine.h"

namespace {

constexpr const char* kFFTMemoryError = "Memory allocation  error (FFT)";

// Allocation that reports failure instead of throwing out of a built-in.
bool tryAssign(std::vector<double>& v, std::size_t n) {
  try {
    v.assign(n, 0.0);
    return true;
  } catch (const std::bad_alloc&) {
    std::vector<double>().swap(v);
    return false;
  }
}

// Forward transform (divided by N) of a real signal into interleaved work memory; false when
// the transform's own tables cannot be had.
bool forwardReal(const double* x, std::size_t stride, int N, int log2N, double* work) {
  for (int k = 0; k < N; ++k) {
    work[2 * k] = x[static_cast<std::size_t>(k) * stride];
    work[2 * k + 1] = 0.0;
  }
  return cfft(work, log2N, -1.0) == 1;
}

// The inverse transform (not divided) of C whose real parts times `factor` are the output.
int inverseRealParts(int N, int log2N, std::vector<double>& C, double factor, double* out) {
  if (cfft(C.data(), log2N, 1.0) != 1) {
    error_disp(kFFTMemoryError);
    return 0;
  }
  for (int k = 0; k < N; ++k) out[k] = C[2 * k] * factor;
  return 1;
}

// The exponent of a signal's largest magnitude (0 for a signal of zeros or one that is not
// finite, which is then taken as it stands): dividing by 2^e brings it near 1, exactly.
int scaleExponent(const double* x, int N) {
  double big = 0.0;
  for (int k = 0; k < N; ++k) big = std::fmax(big, std::fabs(x[k]));
  return std::isfinite(big) && big > 0.0 ? std::ilogb(big) : 0;
}

bool allFinite(const double* x, int N) {
  for (int k = 0; k < N; ++k)
    if (!std::isfinite(x[k])) return false;
  return true;
}

// Both signals, each divided by a power of two that brings its largest value near 1 (`ea`
// and `eb` receive the exponents), forward into A and B, the third buffer for the result; 0
// after the report. The transforms of values near 1 never leave the range of doubles, so a
// result that does is a result past it, said as such, not an overflow on the way.
int prepareTwo(int N, int log2N, const double* a, const double* b, std::vector<double>& A,
               std::vector<double>& B, std::vector<double>& C, int& ea, int& eb) {
  if (!HeapFFTmem(A, B, C, N)) {
    error_disp(kFFTMemoryError);
    return 0;
  }
  ea = scaleExponent(a, N);
  eb = scaleExponent(b, N);
  // C holds the scaled signals until the transforms read them.
  for (int k = 0; k < N; ++k) {
    C[2 * k] = std::ldexp(a[k], -ea);
    C[2 * k + 1] = std::ldexp(b[k], -eb);
  }
  if (!forwardReal(C.data(), 2, N, log2N, A.data()) || !forwardReal(C.data() + 1, 2, N, log2N, B.data())) {
    error_disp(kFFTMemoryError);
    return 0;
  }
  return 1;
}

// The inverse transform of C, times 2^e, into out; an answer past the largest double from
// finite signals is refused with the reason rather than given as infinities.
int inverseScaled(int N, int log2N, std::vector<double>& C, int e, const double* a, const double* b,
                  double* out) {
  if (!inverseRealParts(N, log2N, C, 1.0, out)) return 0;
  bool finiteOut = true;
  for (int k = 0; k < N; ++k) {
    out[k] = std::ldexp(out[k], e);
    finiteOut = finiteOut && std::isfinite(out[k]);
  }
  if (!finiteOut && allFinite(a, N) && allFinite(b, N)) {
    error_disp("The result is too large.");
    return 0;
  }
  return 1;
}

// Products of the spectra (with B conjugated for the correlation): N times the inverse of A B
// is the circular convolution of the scaled signals.
int multiplySpectra(int N, int log2N, const double* a, const double* b, double* out, bool conjugate) {
  std::vector<double> A, B, C;
  int ea = 0, eb = 0;
  if (!prepareTwo(N, log2N, a, b, A, B, C, ea, eb)) return 0;
  for (int k = 0; k < N; ++k) {
    const vkComplex q = {B[2 * k], conjugate ? -B[2 * k + 1] : B[2 * k + 1]};
    const vkComplex p = cc_mul({A[2 * k], A[2 * k + 1]}, q);
    C[2 * k] = p.re;
    C[2 * k + 1] = p.im;
  }
  return inverseScaled(N, log2N, C, ea + eb + log2N, a, b, out);
}

int deconvolve(int N, int log2N, const double* a, const double* b, double* out) {
  std::vector<double> A, B, C;
  int ea = 0, eb = 0;
  if (!prepareTwo(N, log2N, a, b, A, B, C, ea, eb)) return 0;
  // Each quotient is divided as c_div divides, by the bin's divisor brought near 1 (a power of
  // two, exactly): C[k] = q[k] 2^-e[k]. The largest of them sets one power of two for all, so
  // that a quotient past the largest double on the way is no overflow when the answer is not.
  std::vector<int> binExponent(static_cast<std::size_t>(N), 0);
  int ec = std::numeric_limits<int>::min();
  for (int k = 0; k < N; ++k) {
    const double u = A[2 * k], v = A[2 * k + 1];
    // A spectrum with a zero has no inverse: a failure, not a result of no numbers.
    if (u == 0.0 && v == 0.0) {
      error_disp("divided by zero error !!!");
      return 0;
    }
    const int e =
        std::isfinite(u) && std::isfinite(v) ? std::ilogb(std::fmax(std::fabs(u), std::fabs(v))) : 0;
    complexQuotient(B[2 * k], B[2 * k + 1], std::ldexp(u, -e), std::ldexp(v, -e), C[2 * k], C[2 * k + 1]);
    binExponent[static_cast<std::size_t>(k)] = -e;
    const double big = std::fmax(std::fabs(C[2 * k]), std::fabs(C[2 * k + 1]));
    if (std::isfinite(big) && big > 0.0) ec = std::max(ec, std::ilogb(big) - e);
  }
  if (ec == std::numeric_limits<int>::min()) ec = 0;
  for (int k = 0; k < N; ++k) {
    const int shift = binExponent[static_cast<std::size_t>(k)] - ec;
    C[2 * k] = std::ldexp(C[2 * k], shift);
    C[2 * k + 1] = std::ldexp(C[2 * k + 1], shift);
  }
  // The transforms' factors 1/N cancel in the quotient; the inverse's own 1/N goes into 2^e.
  return inverseScaled(N, log2N, C, ec + eb - ea - log2N, a, b, out);
}

// Column-wise forward transforms; `store` picks what goes to out for each of the N values.
template <typename Store>
int eachColumn(int N, int cols, int log2N, const double* in, Store store) {
  std::vector<double> work;
  if (!tryAssign(work, 2 * static_cast<std::size_t>(N))) {
    error_disp(kFFTMemoryError);
    return 0;
  }
  for (int c = 0; c < cols; ++c) {
    // Many long columns take long; the break is looked at between them.
    if (vkBreakHeld()) {
      error_disp(kVkBreakMessage);
      return 0;
    }
    if (!forwardReal(in + c, static_cast<std::size_t>(cols), N, log2N, work.data())) {
      error_disp(kFFTMemoryError);
      return 0;
    }
    store(c, work.data());
  }
  return 1;
}

}  // namespace

int cfft(double* x, int log2N, double sign) {
  const std::size_t n = std::size_t{1} << log2N;
  // n is a power of two, so multiplying by 1/n is exactly the division.
  const double scale = sign == -1.0 ? 1.0 / static_cast<double>(n) : 1.0;
  return pravella::fft::transformInterleaved(x, x, n, sign > 0.0, scale) ? 1 : 0;
}

int DoFFT(int N, int log2N, const double* in, double* out, double sign) {
  const std::size_t n = std::size_t{1} << log2N;
  const double scale = sign == -1.0 ? 1.0 / static_cast<double>(n) : 1.0;
  (void)N;  // the same as 2^log2N
  if (!pravella::fft::transformInterleaved(in, out, n, sign > 0.0, scale)) {
    error_disp(kFFTMemoryError);
    return 0;
  }
  return 1;
}

int DoFFTReal(int N, int cols, int log2N, const double* in, double* out) {
  return eachColumn(N, cols, log2N, in, [&](int c, const double* X) {
    for (int k = 0; k < N; ++k) out[static_cast<std::size_t>(k) * cols + c] = X[2 * k];
  });
}

int DoFFTImage(int N, int cols, int log2N, const double* in, double* out) {
  return eachColumn(N, cols, log2N, in, [&](int c, const double* X) {
    for (int k = 0; k < N; ++k) out[static_cast<std::size_t>(k) * cols + c] = X[2 * k + 1];
  });
}

int DoFFTPower(int N, int cols, int log2N, const double* in, double* out) {
  return eachColumn(N, cols, log2N, in, [&](int c, const double* X) {
    auto at = [&](int k) -> double& { return out[static_cast<std::size_t>(k) * cols + c]; };
    // hypot: the squares of parts past 1e+154 (or below 1e-154) leave the range of doubles.
    for (int k = 0; k < N; ++k) at(k) = std::hypot(X[2 * k], X[2 * k + 1]);
    for (int k = 1; k < N / 2; ++k) at(k) += at(N - k);
  });
}

int DoFFTConv(int N, int log2N, const double* a, const double* b, double* out) {
  return multiplySpectra(N, log2N, a, b, out, false);
}

int DoFFTDeConv(int N, int log2N, const double* a, const double* b, double* out) {
  return deconvolve(N, log2N, a, b, out);
}

int DoFFTImp(int N, int log2N, const double* a, const double* b, double* out) {
  return deconvolve(N, log2N, a, b, out);
}

int DoFFTCorrelation(int N, int log2N, const double* a, const double* b, double* out) {
  return multiplySpectra(N, log2N, a, b, out, true);
}

int HeapFFTmem(std::vector<double>& a, std::vector<double>& b, std::vector<double>& c, int N) {
  const std::size_t n = 2 * static_cast<std::size_t>(N > 0 ? N : 0);
  if (tryAssign(a, n) && tryAssign(b, n) && tryAssign(c, n)) return 1;
  for (std::vector<double>* v : {&a, &b, &c}) std::vector<double>().swap(*v);
  return 0;
}

vkComplex tocomplex(double re, double im) { return {re, im}; }

vkComplex cc_add(vkComplex a, vkComplex b) { return {a.re + b.re, a.im + b.im}; }

vkComplex cc_sub(vkComplex a, vkComplex b) { return {a.re - b.re, a.im - b.im}; }

vkComplex cc_mul(vkComplex a, vkComplex b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

vkComplex cc_div(vkComplex a, vkComplex b) {
  if (b.re == 0.0 && b.im == 0.0) error_disp("divided by zero error !!!");
  vkComplex q;
  complexQuotient(a.re, a.im, b.re, b.im, q.re, q.im);
  return q;
}

double cc_arg(vkComplex a) {
  if (a.re == 0.0 && a.im == 0.0) {
    error_disp(" arg zero error!!!");
    return 10.0;
  }
  return std::atan2(a.im, a.re);
}

vkComplex cc_conj(vkComplex a) { return {a.re, -a.im}; }

vkComplex cc_exp(vkComplex a) {
  const double e = std::exp(a.re);
  return {e * std::cos(a.im), e * std::sin(a.im)};
}
