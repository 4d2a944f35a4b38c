// Built-ins R: one table in the order of precedence.

#include "lang/builtins/dispatch.h"
#include "lang/builtins/opencv_builtins.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "editors/text_services.h"
#include "graphics/polygon_region.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/command_bridge.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/builtins/functions_r_rkg.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/linear_algebra.h"
#include "lang/stdlib/matrix_utils.h"
#include "lang/stdlib/rotator_files.h"
#include "lang/stdlib/statistics.h"

namespace {

using namespace pravella::builtins;

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

int fail(const char* message) {
  error_disp(message);
  return 0;
}

int popString(CalcStackEntry* stack, int* sp, double* dst) {
  VkArg arg;
  if (!vkPopArg(stack, sp, dst, &arg)) return 0;
  return arg.isString() ? 1 : invalidArguments();
}

// Ends the running code (a module body or a program); the argument stays on the stack as its
// value.
int returnBuiltin(int count, vk_Code*, int* pc, CalcStackEntry*, int*) {
  *pc = count;
  return 1;
}

int restMN(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!PopFromStack(stack, sp, vk_ta, &type, &rows, &cols)) return 0;
  if (type != kValueReal || rows != 1 || cols != 2) {
    error_disp("Invalid arguments.");
    return 0;
  }
  restM = vkTruncToInt(vk_ta[0]);
  restN = vkTruncToInt(vk_ta[1]);
  return 1;
}

// Has the main memo view run the text as program text.
int runBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_ta)) return 0;
  if (text(vk_ta)[0] == '\0') return invalidArguments();
  return vkCallNotificationForAnswer(stack, sp, "calculationOnRunFunction", text(vk_ta));
}

int renameBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_tb) || !popString(stack, sp, vk_ta)) return 0;
  if (text(vk_ta)[0] == '\0' || text(vk_tb)[0] == '\0') return invalidArguments();
  if (!moveFileForVK(text(vk_ta), text(vk_tb))) return fail("Can not rename pathname");
  return 1;
}

// A singular system leaves numbers that are not finite: that is no solution.
int refuseNonFinite(const double* x, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(x[i])) return fail("pivot error");
  return 1;
}

// The resistor circuit: mode 1 gives the unknowns, mode 0 the equation system.
int circuit(CalcStackEntry* stack, int* sp, int mode) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 1 || cols != 4) return invalidArguments();
  int size = 0;
  if (!Do_R_Circuit(vk_ta, rows, vk_tc, &size, mode)) return 0;
  if (mode == 1 && !refuseNonFinite(vk_tc, size)) return 0;
  return pushMatrix(stack, sp, vk_tc, size, mode == 1 ? 1 : size + 1);
}

int rCircuit(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return circuit(stack, sp, 1); }
int rCircuitCk(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return circuit(stack, sp, 0); }

int renritsu(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int br = 0, bc = 0, ar = 0, ac = 0;
  if (!popMatrix(stack, sp, vk_tb, &br, &bc) || !popMatrix(stack, sp, vk_ta, &ar, &ac)) return 0;
  if (ar < 1 || ar != ac || br != ar || bc != 1) return invalidArguments();
  if (!Leqacc(vk_ta, vk_tc, vk_tb, ar, ar) || !refuseNonFinite(vk_tc, ar)) return 0;
  return pushMatrix(stack, sp, vk_tc, ar, 1);
}

int realPart(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 2 || rows % 2 != 0) return invalidArguments();
  return pushMatrix(stack, sp, vk_ta, rows / 2, cols);
}

int rotateBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double k = 0;
  int rows = 0, cols = 0;
  if (!vkPopNumber(stack, sp, &k) || !popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 1 || cols < 1) return invalidArguments();
  if (!DoRotate(vk_ta, rows, cols, vkTruncToInt(k), vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int rightStringUTF8Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double k = 0;
  if (!vkPopNumber(stack, sp, &k) || !popString(stack, sp, vk_ta)) return 0;
  std::string out;
  if (!rightStringUTF8(text(vk_ta), vkTruncToInt(k), out)) return 0;
  return pushString(stack, sp, out.c_str(), static_cast<int>(out.size()));
}

// The last k bytes; the whole string when it is shorter than k, which (compared unsigned)
// includes every negative k.
int rightString(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double k = 0;
  if (!vkPopNumber(stack, sp, &k) || !popString(stack, sp, vk_ta)) return 0;
  const char* s = text(vk_ta);
  const std::size_t length = std::strlen(s);
  const auto n = static_cast<std::uint32_t>(vkTruncToInt(k));
  const std::size_t start = length < n ? 0 : length - n;
  return pushString(stack, sp, s + start, static_cast<int>(length - start));
}

// Seeds the C library generator (rand) with the low 16 bits of the number, signed; 0 seeds it
// from the clock.
int randomiz(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double seed = 0;
  if (!vkPopNumber(stack, sp, &seed)) return 0;
  const int32_t n = vkTruncToInt(seed);
  if (n != 0)
    std::srand(static_cast<unsigned>(static_cast<int16_t>(n)));
  else
    std::srand(static_cast<unsigned>(std::time(nullptr)));
  return 1;
}

int rangeBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 1 || cols < 1) return invalidArguments();
  int outRows = 0, outCols = 0;
  if (!DoRange(vk_ta, vk_tc, rows, cols, &outRows, &outCols)) return 0;
  return pushMatrix(stack, sp, vk_tc, outRows, outCols);
}

int randomMatrix(CalcStackEntry* stack, int* sp, double rowsValue, double colsValue) {
  const int rows = vkTruncToInt(rowsValue);
  const int cols = vkTruncToInt(colsValue);
  if (rows < 0 || cols < 0 || static_cast<long long>(rows) * cols > TNumber) return invalidArguments();
  DoRandom(vk_tc, rows, cols);
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int rand1(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows != 1 || cols != 2) return invalidArguments();
  return randomMatrix(stack, sp, vk_ta[0], vk_ta[1]);
}

int rand2(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double rows = 0, cols = 0;
  if (!vkPopNumber(stack, sp, &cols) || !vkPopNumber(stack, sp, &rows)) return 0;
  return randomMatrix(stack, sp, rows, cols);
}

// A matrix's columns in reverse order, or a string's bytes.
int reverse(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (arg.isReal()) {
    DoHorizontal(vk_ta, vk_tc, arg.rows, arg.cols);
    return pushMatrix(stack, sp, vk_tc, arg.rows, arg.cols);
  }
  if (!arg.isString()) return invalidArguments();
  const char* s = text(vk_ta);
  const std::size_t length = std::strlen(s);
  std::string out(s, length);
  for (std::size_t i = 0; i < length; ++i) out[i] = s[length - 1 - i];
  return pushString(stack, sp, out.c_str(), static_cast<int>(length));
}

// "region" and "region2": an outline (m x 2, m >= 3), then either a 1 x 2 grid size (the mask
// of the cells inside) or data rows (k >= 2, n >= 2; the rows inside, by ray crossing or, for
// region2, by the area test).
int region(CalcStackEntry* stack, int* sp, bool byArea) {
  VkArg data, outline;
  if (!vkPopArg(stack, sp, vk_tb, &data) || !vkPopArg(stack, sp, vk_ta, &outline)) return 0;
  if (!data.isReal() || !outline.isReal() || outline.rows < 3 || outline.cols != 2) return invalidArguments();
  if (data.rows == 1) {
    if (data.cols != 2) return invalidArguments();
    const int m = vkTruncToInt(vk_tb[0]);
    const int n = vkTruncToInt(vk_tb[1]);
    if (m < 0 || n < 0 || static_cast<long long>(m) * n > TNumber) return invalidArguments();
    DoRegion(vk_ta, outline.rows, m, n, vk_tc);
    return pushMatrix(stack, sp, vk_tc, m, n);
  }
  if (data.rows < 2 || data.cols < 2) return invalidArguments();
  int found = 0;
  if (byArea) {
    if (!DoRegionPointsMenseki(vk_ta, outline.rows, vk_tb, data.rows, data.cols, vk_tc, &found)) return 0;
  } else if (!DoRegionPoints(vk_ta, outline.rows, vk_tb, data.rows, data.cols, vk_tc, &found)) {
    return 0;
  }
  return pushMatrix(stack, sp, vk_tc, found, data.cols);
}

int region1(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return region(stack, sp, false); }
int region2(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return region(stack, sp, true); }

// The rotator's axis rows: a k x 4 matrix sets them, any other value clears them.
int rotaterAxis(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (arg.isReal() && arg.rows >= 1 && arg.cols == 4) return SetRotaterData(vk_ta, arg.rows, 1);
  return SetRotaterData(vk_ta, 0, 0);
}

// x, y, z of one shape, one colour index or one per point, and the mode.
int rotater(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double mode = 0;
  if (!vkPopNumber(stack, sp, &mode)) return 0;
  int cr = 0, cc = 0;
  if (!popMatrix(stack, sp, vk_ta, &cr, &cc)) return 0;
  std::vector<double> colors;
  try {
    colors.assign(vk_ta, vk_ta + static_cast<std::size_t>(cr) * cc);
  } catch (const std::bad_alloc&) {
    return fail("memory allocation");
  }
  int zr = 0, zc = 0, yr = 0, yc = 0, xr = 0, xc = 0;
  if (!popMatrix(stack, sp, vk_tc, &zr, &zc) || !popMatrix(stack, sp, vk_tb, &yr, &yc) ||
      !popMatrix(stack, sp, vk_ta, &xr, &xc))
    return 0;
  if (xr < 1 || xc < 1 || yr != xr || zr != xr || yc != xc || zc != xc) return invalidArguments();
  const int m = vkTruncToInt(mode);
  if (cr == 1 && cc == 1) {
    const long long index = std::llabs(static_cast<long long>(vkTruncToInt(colors[0])));
    return DoExecRotator(vk_ta, vk_tb, vk_tc, xr, xc, static_cast<int>(std::min<long long>(index, INT32_MAX)),
                         m);
  }
  // One colour index per point: reading past the indices given is no option.
  if (static_cast<long long>(cr) * cc != static_cast<long long>(xr) * xc) return invalidArguments();
  std::vector<int32_t> indices;
  try {
    indices.resize(colors.size());
  } catch (const std::bad_alloc&) {
    return fail("memory allocation");
  }
  for (std::size_t i = 0; i < colors.size(); ++i) indices[i] = vkTruncToInt(colors[i]);
  return DoExecRotatorX(vk_ta, vk_tb, vk_tc, xr, xc, indices.data(), m);
}

constexpr VkBuiltin kR[] = {
    {"rotVolumeData", 1, pravella::builtins::volume::rotVolumeData},
    {"rotVolumeData_old", 1, pravella::builtins::volume::rotVolumeDataOld},
    {"Runge_Kutta_Gill_4th", 4, vkRungeKuttaGillIntegrate},
    {"rkg_4", 4, vkRungeKuttaGillIntegrate},
    {"Runge_Kutta_Gill_4th", 5, vkRungeKuttaGillStep},
    {"rkg_4", 5, vkRungeKuttaGillStep},
    {"region", 2, region1},
    {"region2", 2, region2},
    {"rinkaku_cv", 3, pravella::builtins::rinkakuCvBuiltin},
    {"run", 1, runBuiltin},
    {"rename", 2, renameBuiltin},
    {"return", 1, returnBuiltin},
    {"rotaterAxis", 1, rotaterAxis},
    {"rotater", 5, rotater},
    {"r_circuit", 1, rCircuit},
    {"r_circuit_ck", 1, rCircuitCk},
    {"Renritsu", 2, renritsu},
    {"Real", 1, realPart},
    {"rotate", 2, rotateBuiltin},
    {"rightStringUTF8", 2, rightStringUTF8Builtin},
    {"rightString", 2, rightString},
    {"randomiz", 1, randomiz},
    {"restMN", 1, restMN},
    {"range", 1, rangeBuiltin},
    {"rand", 1, rand1},
    {"rand", 2, rand2},
    {"reverse", 1, reverse},
};

}  // namespace

int DoFunctionR(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kR, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableR() { return kR; }
