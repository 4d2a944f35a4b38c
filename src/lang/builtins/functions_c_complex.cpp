// The complex-matrix built-ins ("c_" family, cMul, cDiv) and the chirp-z transforms (CZT,
// CZTinv, CZT2, CZTinv2). Complex matrices are real matrices of twice the rows, real parts
// above imaginary parts; CZT and CZTinv take n x 2 rows of (real, imaginary) instead.

#include "lang/builtins/functions_c_complex.h"

#include <cstddef>
#include <new>

#include "lang/builtins/functions_c_args.h"
#include "lang/stdlib/complex_matrix.h"
#include "lang/stdlib/czt.h"

namespace pravella::builtins {

namespace {

using Unary = int (*)(const double*, int, int, double*);
using Binary = int (*)(const double*, const double*, int, int, double*);

// One complex matrix in, a matrix of the same shape out; the routine tests the row count.
int unary(CalcStackEntry* stack, int* sp, Unary routine) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (!routine(vk_ta, rows, cols, vk_tb)) return 0;
  return pushMatrix(stack, sp, vk_tb, rows, cols);
}

// A complex matrix in, its real m x n modulus or argument out.
int toReal(CalcStackEntry* stack, int* sp, Unary routine) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (!routine(vk_ta, rows, cols, vk_tb)) return 0;
  return pushMatrix(stack, sp, vk_tb, rows / 2, cols);
}

// Pops b into vk_tb, then a into vk_ta with b's shape.
int popPair(CalcStackEntry* stack, int* sp, int* rows, int* cols, bool evenRows) {
  int rb = 0, cb = 0;
  if (!popMatrix(stack, sp, vk_tb, &rb, &cb)) return 0;
  if (evenRows && rb % 2 != 0) return invalidArguments();
  if (!popMatrix(stack, sp, vk_ta, rows, cols)) return 0;
  if (*rows != rb || *cols != cb) return invalidArguments();
  return 1;
}

int binary(CalcStackEntry* stack, int* sp, Binary routine) {
  int rows = 0, cols = 0;
  if (!popPair(stack, sp, &rows, &cols, false)) return 0;
  if (!routine(vk_ta, vk_tb, rows, cols, vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

// cMul and cDiv test the even row count themselves and pass the complex row count on.
int unchecked(CalcStackEntry* stack, int* sp, Binary routine) {
  int rows = 0, cols = 0;
  if (!popPair(stack, sp, &rows, &cols, true)) return 0;
  routine(vk_ta, vk_tb, rows / 2, cols, vk_tc);
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

// The two-dimensional transform of Re (and Im, zero when absent) into a 2m x n result.
int twoDimensional(CalcStackEntry* stack, int* sp, bool withImaginary, int flag) {
  int rows = 0, cols = 0;
  if (withImaginary) {
    if (!popPair(stack, sp, &rows, &cols, false)) return 0;
  } else if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) {
    return 0;
  }
  const long long k = static_cast<long long>(rows) * cols;
  if (2 * k > TNumber) {
    error_disp("Too big aata");
    return 0;
  }
  double* re = vk_tc;
  double* im = vk_tc + k;
  for (long long i = 0; i < k; ++i) {
    re[i] = vk_ta[i];
    im[i] = withImaginary ? vk_tb[i] : 0.0;
  }
  if (!fft_czt2(re, im, rows, cols, flag)) return 0;
  return pushMatrix(stack, sp, vk_tc, 2 * rows, cols);
}

// The transform of n (real, imaginary) rows, in the matrix's own storage.
int rowsTransform(CalcStackEntry* stack, int* sp, int flag) {
  // A real n x 2 argument is transformed where it lies on the stack and stays there as the
  // result: a value a variable shares is copied once, into a block of its own (copy on write,
  // which reuses a block a loop's last result left), a temporary not at all. The long way below
  // copied it twice and faulted in a fresh result every call. Any other argument goes that way,
  // which says what is wrong with it.
  if (*sp > 0) {
    CalcStackEntry& e = stack[*sp - 1];
    const std::size_t bytes = static_cast<std::size_t>(e.msize) * 2 * sizeof(double);
    if (e.type == kValueReal && e.nsize == 2 && e.msize > 0 && e.data.size() == bytes &&
        bytes <= static_cast<std::size_t>(TNumber) * sizeof(double)) {
      double* rows = nullptr;
      try {
        rows = e.data.doubles();
      } catch (const std::bad_alloc&) {
        --*sp;
        error_disp("Memory allocation error.");
        return 0;
      }
      if (fft_czt_pairs(rows, e.msize, flag) != 0) {
        --*sp;
        error_disp("It may be for memory allocation error.");
        return 0;
      }
      return 1;
    }
  }
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (cols != 2) return invalidArguments();
  if (fft_czt_pairs(vk_ta, rows, flag) != 0) {
    error_disp("It may be for memory allocation error.");
    return 0;
  }
  return pushMatrix(stack, sp, vk_ta, rows, 2);
}

}  // namespace

int cMul(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unchecked(stack, sp, complex_mul); }
int cDiv(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unchecked(stack, sp, complex_div); }

int cConv(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popPair(stack, sp, &rows, &cols, false)) return 0;
  if (!c_conv(vk_ta, vk_tb, rows, cols, vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, 2 * rows, cols);
}

int cConj(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_conj); }
int cAbs(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return toReal(stack, sp, c_abs); }
int cArg(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return toReal(stack, sp, c_arg); }
int cAdd(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return binary(stack, sp, c_add); }
int cSub(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return binary(stack, sp, c_sub); }
int cMulElements(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return binary(stack, sp, c_mul); }
int cDivElements(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return binary(stack, sp, c_div); }

int cPow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popPair(stack, sp, &rows, &cols, false)) return 0;
  if (!c_pow(vk_ta, vk_tb, rows, cols, vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int cExp(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_exp); }
int cLn(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_log); }
int cSin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_sin); }
int cCos(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_cos); }
int cTan(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_tan); }
int cSinh(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_sinh); }
int cCosh(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_cosh); }
int cTanh(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return unary(stack, sp, c_tanh); }

int cSqrt(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (!c_sqrt(vk_ta, vk_tc, rows, cols, vk_tb)) return 0;
  return pushMatrix(stack, sp, vk_tb, rows, cols);
}

int czt2Real(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return twoDimensional(stack, sp, false, 1);
}
int czt2Complex(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return twoDimensional(stack, sp, true, 1);
}
int cztInv2Real(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return twoDimensional(stack, sp, false, 0);
}
int cztInv2Complex(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return twoDimensional(stack, sp, true, 0);
}
int cztForward(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return rowsTransform(stack, sp, 1); }
int cztInverse(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return rowsTransform(stack, sp, 0); }

}  // namespace pravella::builtins
