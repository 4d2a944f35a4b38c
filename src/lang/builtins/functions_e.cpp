// Built-ins E: one table, in the order of precedence.

#include "lang/builtins/dictionary_builtins.h"
#include "lang/builtins/dispatch.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include <QString>
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"

#include "lang/builtins/run_command_line.h"
#include "lang/executor.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/ellipse_mask.h"
#include "lang/stdlib/kanji_code.h"
#include "lang/stdlib/linear_algebra.h"
#include "lang/variables.h"
#include "platform/console_log.h"

namespace {

int popReal(CalcStackEntry* stack, int* sp, double* dst, VkArg* arg) {
  if (!vkPopArg(stack, sp, dst, arg)) return 0;
  return arg->isReal() ? 1 : vkInvalidArguments();
}

int ellipseBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg radii, centre, shape;
  if (!popReal(stack, sp, vk_tc, &radii)) return 0;
  if (!popReal(stack, sp, vk_tb, &centre)) return 0;
  if (!popReal(stack, sp, vk_ta, &shape)) return 0;
  if (radii.rows != 1 || radii.cols != 2 || centre.rows != 1 || centre.cols != 2) return vkInvalidArguments();
  if (!DoEllipse(shape.rows, shape.cols, vkTruncToInt(vk_tb[0]), vkTruncToInt(vk_tb[1]),
                 vkTruncToInt(vk_tc[0]), vkTruncToInt(vk_tc[1]), vk_ta))
    return 0;
  return vkPushReals(stack, sp, vk_ta, shape.rows, shape.cols);
}

int euc2sjisBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  char* text = reinterpret_cast<char*>(vk_ta);
  if (!vkPopString(stack, sp, text)) return 0;
  if (!DoEUC2sJis(text)) return 0;
  return vkPushString(stack, sp, text, static_cast<int>(std::strlen(text)));
}

// Every value size check is made against TNumber, and the stack keeps sizes and byte counts in
// 32-bit integers: a capacity whose byte count passes that range is refused like one that
// cannot be allocated.
constexpr long long kMaxElementBytes = INT_MAX;

int elementBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  const int n = vkTruncToInt(v);
  if (n <= 9999) {
    error_disp("You can't set this elements");
    return 0;
  }
  // The result text is given up with the buffers it was collected in.
  ResultString.clear();
  ResultString.shrink_to_fit();
  const bool representable = static_cast<long long>(n) * 8 <= kMaxElementBytes;
  bool ok = representable;
  if (ok) {
    try {
      ResultString.reserve(static_cast<std::size_t>(n));
    } catch (...) {
      ok = false;
    }
  }
  // All three scratch buffers or none: on failure the old ones stay in use.
  if (ok) ok = vkAllocScratchBuffers(n) == 1;
  if (!ok) {
    ResultString.clear();
    ResultString.shrink_to_fit();
    error_disp("You have better restart the vk, soon.");
    return 0;
  }
  TNumber = n;
  return 1;
}

double exponentOf(double v) { return std::exp(v); }

int expBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  for (long long i = 0; i < m.elements(); ++i) vk_ta[i] = exponentOf(vk_ta[i]);
  return vkPushReals(stack, sp, vk_ta, m.rows, m.cols);
}

// exec runs a command line and waits until it ends (run_command_line.h: never through a shell).
int execBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  const char* text = reinterpret_cast<const char*>(vk_ta);
  if (!a.isString() || text[0] == '\0') return vkInvalidArguments();
  return vkRunCommandLine(text);
}

int evenBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double rows = 0, cols = 0;
  if (!vkPopNumber(stack, sp, &cols) || !vkPopNumber(stack, sp, &rows)) return 0;
  const int r = vkTruncToInt(rows), c = vkTruncToInt(cols);
  if (r <= 0 || c <= 0 || static_cast<long long>(r) * c > TNumber) return vkInvalidArguments();
  for (int i = 0; i < r; ++i)
    for (int j = 0; j < c; ++j) vk_tc[static_cast<long long>(i) * c + j] = (i + j) % 2 == 0 ? 1.0 : 0.0;
  return vkPushReals(stack, sp, vk_tc, r, c);
}

int epsBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  // The work area is n x n values.
  if (m.cols != 1 || m.rows < 1 || static_cast<long long>(m.rows) * m.rows >= TNumber)
    return vkInvalidArguments();
  if (!epsiron(vk_ta, vk_tc, m.rows, vk_tb)) return 0;
  return vkPushReals(stack, sp, vk_tc, m.rows / 2, 1);
}

// The symmetric eigenproblem; 0 after reporting. n is the order of the popped matrix (in vk_ta).
int popSymmetric(CalcStackEntry* stack, int* sp, int* n) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  if (m.rows != m.cols || m.rows < 2) return vkInvalidArguments();
  *n = m.rows;
  return 1;
}

int eigenBBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int n = 0;
  if (!popSymmetric(stack, sp, &n)) return 0;
  if (!jacobi(n, vk_ta, vk_tc, vk_tb)) return 0;
  return vkPushReals(stack, sp, vk_tc, n, n);
}

int eigenBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int n = 0;
  if (!popSymmetric(stack, sp, &n)) return 0;
  if (!jacobi(n, vk_ta, nullptr, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, n, 1);
}

int eigenFullBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int n = 0;
  if (!popSymmetric(stack, sp, &n)) return 0;
  // The values and the vectors together must fit one buffer.
  if (static_cast<long long>(n + 1) * n > TNumber) return vkInvalidArguments();
  if (!jacobi(n, vk_ta, vk_tb, vk_tc)) return 0;
  std::memcpy(vk_tc + n, vk_tb, sizeof(double) * static_cast<std::size_t>(n) * n);
  return vkPushReals(stack, sp, vk_tc, n + 1, n);
}

int erfBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!popReal(stack, sp, vk_ta, &m)) return 0;
  if (!DoErrorFunction(vk_ta, m.rows, m.cols, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, m.rows, m.cols);
}

constexpr VkBuiltin kE[] = {
    {"ellips", 3, ellipseBuiltin},
    {"ellipse", 3, ellipseBuiltin},
    {"euc2sjis", 1, euc2sjisBuiltin},
    {"element", 1, elementBuiltin},
    {"exp", 1, expBuiltin, vkScalarOf<exponentOf>},
    {"exec", 1, execBuiltin},
    {"even", 2, evenBuiltin},
    {"eps", 1, epsBuiltin},
    {"eigenB", 1, eigenBBuiltin},
    {"eigen", 1, eigenBuiltin},
    {"Eigen", 1, eigenFullBuiltin},
    {"erf", 1, erfBuiltin},
    {"eBookMidashiList", 2, eBookMidashiListEntry},
};

}  // namespace

int DoFunctionE(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kE, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableE() { return kE; }
