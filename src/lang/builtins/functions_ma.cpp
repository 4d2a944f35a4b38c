// Built-ins whose name begins with "ma" and is longer than two characters: the motion
// analyser's path figures and movie windows, and five names that only share the prefix and
// are forwarded to the diary, the backup and the statistics. One table in the order of
// precedence; a known name with another argument count falls through to "Unknown function.".

#include "lang/builtins/dispatch.h"

#include <cmath>
#include <string>
#include <vector>

#include "diary/memo_database.h"
#include "diary/program_settings.h"
#include "imaging/angular_velocity.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_ma_parts.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/stdlib/random_dist.h"
#include "lang/stdlib/statistics.h"
#include "tools/backup_settings.h"

namespace {

using namespace pravella::builtins::ma;
namespace motion = pravella::motion;

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

// Pops a path (real, three columns: t, x, y) of at least `leastRows` rows into vk_ta.
int popPath(CalcStackEntry* stack, int* sp, int leastRows, VkArg& a) {
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  return a.isReal() && a.cols == 3 && a.rows >= leastRows ? 1 : vkInvalidArguments();
}

// The result may hold more elements than the input it came from (five columns for three), so
// it is built apart from the scratch buffers; the push refuses what is too big.
int pushRows(CalcStackEntry* stack, int* sp, const std::vector<double>& values, int rows, int cols) {
  return vkPushReals(stack, sp, values.data(), rows, cols);
}

// ---------------------------------------------------------------- path figures

int maMokuteki(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!vkPopNumber(stack, sp, &n)) return 0;
  if (!(n >= 3)) return vkInvalidArguments();
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.cols != 3 || a.rows < n) return vkInvalidArguments();
  const int window = static_cast<int>(n);
  const int rows = a.rows - window + 1;
  std::vector<double> out(static_cast<std::size_t>(rows) * 2);
  motion::DoMokuteki(vk_ta, a.rows, window, out.data());
  return pushRows(stack, sp, out, rows, 2);
}

int maAVelocity2(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!popPath(stack, sp, 3, a)) return 0;
  std::vector<double> out(static_cast<std::size_t>(a.rows - 2) * 5);
  motion::DoAVelocity2(vk_ta, a.rows, out.data());
  return pushRows(stack, sp, out, a.rows - 2, 5);
}

int maAVelocity(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!popPath(stack, sp, 3, a)) return 0;
  std::vector<double> out(static_cast<std::size_t>(a.rows - 2) * 2);
  motion::DoAVelocity(vk_ta, a.rows, out.data());
  return pushRows(stack, sp, out, a.rows - 2, 2);
}

int maKakusokudo(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!popPath(stack, sp, 3, a)) return 0;
  if (a.rows != 3) return vkInvalidArguments();
  const double row[2] = {vk_ta[3], motion::DoKakusokudo(vk_ta)};
  return vkPushReals(stack, sp, row, 1, 2);
}

// ---------------------------------------------------------------- forwarded names

int maxRecentMemoRow(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  std::string reject;
  const bool withReject = code[*pc].argc == 2;
  if (withReject) {
    if (!vkPopString(stack, sp, text(vk_ta))) return 0;
    reject = text(vk_ta);
  }
  double n = 0;
  if (!vkPopNumber(stack, sp, &n)) return 0;
  // The count is tested after truncation: a fraction below 1 would leave a list of no entries.
  const double count = std::trunc(n);
  if (!(count >= 1 && count <= 100)) return vkInvalidArguments();
  if (withReject) setRenentMemoRejectString(reject);
  setMaxRecentMemo(static_cast<int>(count));
  return 1;
}

int makeMemoFileDataBaseRow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  // One row: (first year, last year) for a range, or any one number for every year.
  if (!a.isReal() || a.rows != 1 || (a.cols != 1 && a.cols != 2)) return vkInvalidArguments();
  const unsigned int made = a.cols == 2 ? makeMemoFileDataBase(vk_ta) : makeAllMemoFileDataBase();
  if (made == 0) {
    error_disp("Can not make a memoFile DataBase.");
    return 0;
  }
  return 1;
}

int manualBackupRow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double x = 0;
  if (!vkPopNumber(stack, sp, &x)) return 0;
  if (x < 0) {
    const double now = manualBackupStatus.load();
    return vkPushReals(stack, sp, &now, 1, 1);
  }
  manualBackupStatus = x > 0 ? 1 : 0;
  return 1;
}

int machRow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a, b;
  if (!vkPopArg(stack, sp, vk_tb, &b)) return 0;
  if (!b.isReal()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  if (!DoMach(vk_ta, a.rows, a.cols, vk_tb, b.rows, b.cols, vk_tc)) return 0;
  return vkPushReals(stack, sp, vk_tc, a.rows, 1);
}

int maxRow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal()) return vkInvalidArguments();
  int rows = 0, cols = 0;
  if (!DoMax(vk_ta, vk_tb, a.rows, a.cols, &rows, &cols)) return 0;
  return vkPushReals(stack, sp, vk_tb, rows, cols);
}

constexpr VkBuiltin kMA[] = {
    {"maMokuteki", 2, maMokuteki},
    {"maAVelocity2", 1, maAVelocity2},
    {"maAVelocity", 1, maAVelocity},
    {"maKakusokudo", 1, maKakusokudo},
    {"maGetMovieDuration", 1, getMovieDuration},
    {"maCaptureMovieImageToPICT", 1, captureMovieImageToPict},
    {"maCaptureMovieImageToPICT", 2, captureMovieImageToPict},
    {"maCaptureMovieImage", 1, captureMovieImage},
    {"maCaptureMovieImage", 2, captureMovieImage},
    {"maCaptureMovieImageAtTime", 2, captureMovieImage},
    {"maSetMovieCurrentTime", 2, setMovieCurrentTime},
    {"maSelectNoneMovie", 1, selectNoneMovie},
    {"maSelectAllMovie", 1, selectAllMovie},
    {"maDeleteMovie", 1, deleteMovie},
    {"maCutMovie", 1, cutMovie},
    {"maPasteMovie", 1, pasteMovie},
    {"maCopyMovie", 1, copyMovie},
    {"maGetMovieOriginalSize", 1, getMovieOriginalSize},
    {"maGetMovieCurretSize", 1, getMovieCurrentSize},
    {"maGetMovieCurrentTime", 1, getMovieCurrentTime},
    {"maCloseAllMovieWindow", 1, closeAllMovieWindows},
    {"maCloseAllMovie", 1, closeAllMovieWindows},
    {"maCloseMovieWindow", 1, closeMovieWindow},
    {"maCloseMovie", 1, closeMovieWindow},
    {"maStepForwardMovie", 1, stepForwardMovie},
    {"maStepBackwardMovie", 1, stepBackwardMovie},
    {"maStopMovie", 1, stopMovie},
    {"maPauseMovie", 1, stopMovie},
    {"maPlayMovie", 1, playMovie},
    {"maGotoEndOfMovie", 1, gotoEndOfMovie},
    {"maGotoBeginningOfMovie", 1, gotoBeginningOfMovie},
    {"maOpenMovieWindow", 2, openMovieWindow},
    {"maOpenMovie", 2, openMovieWindow},
    {"maxRecentMemo", 1, maxRecentMemoRow},
    {"maxRecentMemo", 2, maxRecentMemoRow},
    {"makeMemoFileDataBase", 1, makeMemoFileDataBaseRow},
    {"manualBackupStatus", 1, manualBackupRow},
    {"mach", 2, machRow},
    {"max", 1, maxRow},
};

}  // namespace

int DoFunctionMA(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kMA, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableMA() { return kMA; }
