// Built-ins M, N and O: one table per letter, in the order of precedence.

#include "lang/builtins/dispatch.h"
#include "lang/builtins/gl_builtins.h"

#include <QString>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "diary/calendar_arithmetic.h"
#include "diary/diary_globals.h"
#include "editors/text_services.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/morphing_builtins.h"
#include "lang/builtins/movie_builder_builtins.h"
#include "lang/builtins/picture_window_builtins.h"
#include "lang/stack.h"
#include "lang/stdlib/calculus.h"
#include "lang/stdlib/neural_units.h"
#include "lang/stdlib/random_dist.h"
#include "lang/stdlib/statistics.h"
#include "lang/variables.h"
#include "platform/desktop_open.h"

namespace {

const char* text(const double* buffer) { return reinterpret_cast<const char*>(buffer); }

int popMatrix(CalcStackEntry* stack, int* sp, double* dst, VkArg& arg) {
  if (!vkPopArg(stack, sp, dst, &arg)) return 0;
  return arg.isReal() ? 1 : vkInvalidArguments();
}

int popText(CalcStackEntry* stack, int* sp, double* dst, std::string& out) {
  VkArg arg;
  if (!vkPopArg(stack, sp, dst, &arg)) return 0;
  if (!arg.isString()) return vkInvalidArguments();
  out = text(dst);
  return 1;
}

// msize and nsize take any value without a type test: rows (a string's or picture's byte
// length) and columns. The parser writes them for the whole-range mark "#" of an index.
int msize(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!PopFromStack(stack, sp, nullptr, &type, &rows, &cols)) return 0;
  return vkPushScalar(stack, sp, rows);
}

int nsize(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int type = 0, rows = 0, cols = 0;
  if (!PopFromStack(stack, sp, nullptr, &type, &rows, &cols)) return 0;
  return vkPushScalar(stack, sp, cols);
}

// A statistic of the family over one matrix (whole, per row or per column).
using Statistic = int (*)(const double*, double*, int, int, int*, int*);
template <Statistic F>
int statistic(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  int rows = 0, cols = 0;
  if (!F(vk_ta, vk_tb, arg.rows, arg.cols, &rows, &cols)) return 0;
  return vkPushReals(stack, sp, vk_tb, rows, cols);
}

// ---------------------------------------------------------------------------------------
// M.

int movePath(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string target, source;
  if (!popText(stack, sp, vk_ta, target) || !popText(stack, sp, vk_ta, source)) return 0;
  if (target.empty() || source.empty()) return vkInvalidArguments();
  if (!moveFileForVK(source.c_str(), target.c_str())) {
    error_disp("Can not rename pathname");
    return 0;
  }
  return 1;
}

int moonAge(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  if (arg.rows < 1 || (arg.cols != 3 && arg.cols != 6)) return vkInvalidArguments();
  if (6LL * arg.rows > TNumber) return vkInvalidArguments();
  const double* dates = vk_ta;
  if (arg.cols == 3) {
    for (int i = 0; i < arg.rows; ++i) {
      double* row = vk_tb + 6 * static_cast<std::size_t>(i);
      row[0] = vk_ta[3 * i];
      row[1] = vk_ta[3 * i + 1];
      row[2] = vk_ta[3 * i + 2];
      row[3] = row[4] = row[5] = 0.0;
    }
    dates = vk_tb;
  }
  // Six columns in, two out: the rows fit wherever the input did.
  // A date the calendar cannot convert was reported by it ("Bad date").
  if (!calcMoonAge(dates, arg.rows, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, arg.rows, 2);
}

int multipleNormal(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg points, sample;
  if (!popMatrix(stack, sp, vk_tb, points)) return 0;
  if (points.rows <= 1 || points.cols <= 0) return vkInvalidArguments();
  if (!popMatrix(stack, sp, vk_ta, sample)) return 0;
  if (sample.rows <= 1 || sample.cols != points.cols) return vkInvalidArguments();
  if (!DoMultiNormalDistribution(vk_ta, sample.rows, sample.cols, vk_tb, points.rows, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, points.rows, 1);
}

int mjd2jstBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  if (arg.rows < 1 || arg.cols != 1) return vkInvalidArguments();
  if (6LL * arg.rows > TNumber) return vkInvalidArguments();
  for (int i = 0; i < arg.rows; ++i)
    if (!mjd2jst(vk_ta[i], vk_tb + 6 * static_cast<std::size_t>(i))) return 0;
  return vkPushReals(stack, sp, vk_tb, arg.rows, 6);
}

int member(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  if (arg.rows < 1 || arg.cols != 1) return vkInvalidArguments();
  int k = 0;
  if (!cross_int_member(vk_ta, arg.rows, vk_tb, &k)) return 0;
  return vkPushReals(stack, sp, vk_tb, k, 2);
}

int menseki(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg second, first;
  if (!popMatrix(stack, sp, vk_tb, second)) return 0;
  if (!popMatrix(stack, sp, vk_ta, first)) return 0;
  if (first.cols != 1 || second.cols != 1 || first.rows != second.rows || first.rows < 1)
    return vkInvalidArguments();
  double area = 0;
  if (!DoMenseki(vk_tb, vk_ta, &area, first.rows)) return 0;
  return vkPushScalar(stack, sp, area);
}

int mRandSeed(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double seed = 0;
  if (!vkPopNumber(stack, sp, &seed)) return 0;
  // The generator takes an unsigned 32-bit seed, and each of them gives its own sequence; a
  // fraction is cut toward zero, as a seed has always been. Outside that range (and for
  // not-a-number) no seed would be the one the program named, so it is refused.
  if (!(seed >= 0.0 && seed < 4294967296.0)) return vkInvalidArguments();
  return M_Rand_Seed(static_cast<uint32_t>(seed)) ? 1 : 0;
}

int mRand(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double c = 0, r = 0;
  if (!vkPopNumber(stack, sp, &c) || !vkPopNumber(stack, sp, &r)) return 0;
  const int rows = vkTruncToInt(r), cols = vkTruncToInt(c);
  // The scratch buffer holds TNumber values.
  if (rows < 1 || cols < 1 || static_cast<long long>(rows) * cols > TNumber) return vkInvalidArguments();
  if (!M_Rand(rows, cols, vk_ta)) return 0;
  return vkPushReals(stack, sp, vk_ta, rows, cols);
}

// ---------------------------------------------------------------------------------------
// N.

int neuroNetBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg weights, inputs;
  if (!popMatrix(stack, sp, vk_tb, weights)) return 0;
  if (!popMatrix(stack, sp, vk_ta, inputs)) return 0;
  if (inputs.cols != 1 || inputs.rows != weights.cols || weights.rows < 1) return vkInvalidArguments();
  neuroNet(vk_ta, vk_tb, weights.rows, weights.cols, vk_tc);
  return vkPushReals(stack, sp, vk_tc, weights.rows, 1);
}

int neuroOutBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg sums;
  if (!popMatrix(stack, sp, vk_ta, sums)) return 0;
  if (sums.cols != 1 || sums.rows < 1) return vkInvalidArguments();
  neuroOut(vk_ta, sums.rows, vk_tb);
  return vkPushReals(stack, sp, vk_tb, sums.rows, 1);
}

int neuroDifBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg weights, deltas;
  if (!popMatrix(stack, sp, vk_tb, weights)) return 0;
  if (!popMatrix(stack, sp, vk_ta, deltas)) return 0;
  if (deltas.cols != 1 || deltas.rows != weights.rows || weights.cols < 1) return vkInvalidArguments();
  neuroDif(vk_ta, vk_tb, weights.rows, weights.cols, vk_tc);
  return vkPushReals(stack, sp, vk_tc, weights.cols, 1);
}

int neuroDeltaBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg sums, errors;
  if (!popMatrix(stack, sp, vk_tb, sums)) return 0;
  if (!popMatrix(stack, sp, vk_ta, errors)) return 0;
  if (errors.cols != 1 || sums.cols != 1 || errors.rows != sums.rows || errors.rows < 1)
    return vkInvalidArguments();
  neuroDelta(vk_ta, vk_tb, errors.rows, vk_tc);
  return vkPushReals(stack, sp, vk_tc, errors.rows, 1);
}

int notBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  for (long long i = 0; i < arg.elements(); ++i) vk_ta[i] = vk_ta[i] == 0.0 ? 1.0 : 0.0;
  return vkPushReals(stack, sp, vk_ta, arg.rows, arg.cols);
}

int nRand(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  if (arg.rows != 1 || arg.cols != 4) return vkInvalidArguments();
  const int rows = vkTruncToInt(vk_ta[0]), cols = vkTruncToInt(vk_ta[1]);
  if (static_cast<long long>(rows) * cols > TNumber) return vkInvalidArguments();
  const double params[4] = {vk_ta[0], vk_ta[1], vk_ta[2], vk_ta[3]};
  if (!DoNormalRandom(params, vk_tb)) return 0;
  return vkPushReals(stack, sp, vk_tb, rows, cols);
}

int normalDistribution(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double s = 0, m = 0;
  if (!vkPopNumber(stack, sp, &s) || !vkPopNumber(stack, sp, &m)) return 0;
  // A mean that is no finite number places no distribution (and inf - inf is no distance).
  if (s == 0 || std::isnan(s) || !std::isfinite(m)) return vkInvalidArguments();
  VkArg x;
  if (!popMatrix(stack, sp, vk_ta, x)) return 0;
  // The square root of 2 pi to 12 decimals; a negative s gives a negative density.
  const double scale = s * 2.506628274631;
  // The distance in deviations first: squared apart, a tiny deviation and distance both
  // underflow to 0 (1e-200 squared), and 0 / 0 is no density.
  for (long long i = 0; i < x.elements(); ++i) {
    const double z = (vk_ta[i] - m) / s;
    vk_ta[i] = std::exp(-z * z / 2) / scale;
  }
  return vkPushReals(stack, sp, vk_ta, x.rows, x.cols);
}

// ---------------------------------------------------------------------------------------
// O.

int openFileBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string path;
  if (!popText(stack, sp, vk_ta, path)) return 0;
  if (path.empty()) return vkInvalidArguments();
  std::string full;
  if (!changeFullPath(path, full)) return vkInvalidArguments();
  // The opener's own failure is not the program's: the request was handed on.
  pravella::openWithDesktop(QString::fromStdString(full));
  return 1;
}

int openDocumentOnMemo(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double flag = 0;
  if (!vkPopNumber(stack, sp, &flag)) return 0;
  openDocumentOnMemoStatus = flag != 0 ? 1 : 0;
  return 1;
}

constexpr VkBuiltin kM[] = {
    {"moveGLWindow", 1, pravella::builtins::glWindowCommand},
    {"moveGLWindow", 2, pravella::builtins::glWindowCommand},
    {"movePath", 2, movePath},
    {"moonAge", 1, moonAge},
    {"movePictWindow", 2, pravella::builtins::movePictWindowBuiltin},
    {"movie_create", 1, pravella::builtins::movieCreateBuiltin},
    {"movie_addImage", 2, pravella::builtins::addImageToMovieBuiltin},
    {"movie_pasteImage", 2, pravella::builtins::addImageToMovieBuiltin},
    {"movie_save", 1, pravella::builtins::movieSaveBuiltin},
    {"movie_saveAs", 1, pravella::builtins::movieSaveAsBuiltin},
    {"movie_gotoBeginning", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_gotoEnd", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_start", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_stop", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_stepBack", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_stepForward", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_clear", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_copy", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_cut", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_delete", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_paste", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_selectAll", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_close", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_setRate", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_resizeWithMagnification", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_setLoopMode", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_playsSelectionOnly", 1, pravella::builtins::movieCommandBuiltin},
    {"movie_setPlaysEveryFrame", 1, pravella::builtins::movieCommandBuiltin},
    {"MND", 2, multipleNormal},
    {"multipleNormalDistribution", 2, multipleNormal},
    {"mjd2jst", 1, mjd2jstBuiltin},
    {"member", 1, member},
    {"menseki", 2, menseki},
    {"M_Rand_Seed", 1, mRandSeed},
    {"M_Rand", 2, mRand},
    {"min", 1, statistic<DoMin>},
    {"mean", 1, statistic<DoMean>},
    {"mMin", 1, statistic<DoLMin>},
    {"mMax", 1, statistic<DoLMax>},
    {"mMean", 1, statistic<DoLMean>},
    {"mSum", 1, statistic<DoLSum>},
    {"mSD", 1, statistic<DoLSD>},
    {"mRange", 1, statistic<DoLRange>},
    {"mzScore", 1, statistic<DoLZScore>},
    {"msize", 1, msize},
    {"morphingData", 3, pravella::builtins::morphingData},
    {"morphingData", 4, pravella::builtins::morphingData},
    {"morphingPicture_old", 3, pravella::builtins::morphingPictureOld},
    {"morphingPicture", 3, pravella::builtins::morphingPicture},
    {"morphingPicture", 4, pravella::builtins::morphingPicture},
};

// Does nothing: the call record that "function" leaves behind after rewriting its call.
int nonOperation(int, vk_Code*, int*, CalcStackEntry*, int*) { return 1; }

constexpr VkBuiltin kN[] = {
    {"nonOperation", kAnyArgc, nonOperation},
    {"neuroNet", 2, neuroNetBuiltin},
    {"neuroOut", 1, neuroOutBuiltin},
    {"neuroDif", 2, neuroDifBuiltin},
    {"neuroDelta", 2, neuroDeltaBuiltin},
    {"not", 1, notBuiltin},
    {"nsize", 1, nsize},
    {"nMin", 1, statistic<DoRMin>},
    {"nMax", 1, statistic<DoRMax>},
    {"nMean", 1, statistic<DoRMean>},
    {"nSum", 1, statistic<DoRSum>},
    {"nSD", 1, statistic<DoRSD>},
    {"nRange", 1, statistic<DoRRange>},
    {"nzScore", 1, statistic<DoRZScore>},
    {"nRand", 1, nRand},
    {"normalDistribution", 3, normalDistribution},
};

constexpr VkBuiltin kO[] = {
    {"openFile", 1, openFileBuiltin},
    {"openDocumentOnMemo", 1, openDocumentOnMemo},
    {"openPictWindow", 2, pravella::builtins::showPictInWindow},
    {"openMovieWindow", 2, pravella::builtins::openMovieWindowBuiltin},
    {"openMovieImageWindow", 1, pravella::builtins::openMovieImageWindowBuiltin},
};

}  // namespace

int DoFunctionM(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kM, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableM() { return kM; }

int DoFunctionN(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kN, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableN() { return kN; }

int DoFunctionO(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kO, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableO() { return kO; }
