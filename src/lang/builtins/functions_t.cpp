// Built-ins T: one table in the order of precedence.

#include "lang/builtins/dispatch.h"
#include "lang/builtins/opencv_builtins.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <numbers>
#include <string>

#include "diary/calendar_arithmetic.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/document_builtins.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/builtins/functions_t_parts.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/stdlib/distributions.h"
#include "lang/stdlib/file_slots.h"
#include "lang/stdlib/gamma.h"
#include "lang/stdlib/matrix_utils.h"
#include "lang/stdlib/table_lookup.h"
#include "lang/stdlib/thinning.h"

namespace {

using namespace pravella::builtins;

int popValue(CalcStackEntry* stack, int* sp, double* buffer, double* value) {
  VkArg arg;
  if (!vkPopArg(stack, sp, buffer, &arg)) return 0;
  if (!arg.isNumber()) return invalidArguments();
  *value = buffer[0];
  return 1;
}

int tableLookupInteger(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double fallback = 0;
  if (!popValue(stack, sp, vk_tc, &fallback)) return 0;
  VkArg table, matrix;
  if (!vkPopArg(stack, sp, vk_tb, &table)) return 0;
  if (!table.isReal() || table.rows == 0 || table.cols != 2) return invalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &matrix)) return 0;
  if (!matrix.isReal() || matrix.rows <= 0 || matrix.cols <= 0) return invalidArguments();
  tableLookup_integer(vk_ta, matrix.rows, matrix.cols, vk_tb, table.rows, fallback, vk_tc);
  return pushMatrix(stack, sp, vk_tc, matrix.rows, matrix.cols);
}

// tensya (x, y, v, size, r) and tensya_count (x, y, size, r): the grid size and r are tested
// first, then the coordinate (and value) matrices, which must share one shape.
template <bool kWithValues>
int tensya(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double rValue = 0;
  if (!popValue(stack, sp, vk_ta, &rValue)) return 0;
  const int r = vkTruncToInt(rValue);
  if (r < 0) return invalidArguments();
  VkArg size;
  if (!vkPopArg(stack, sp, vk_ta, &size)) return 0;
  if (!size.isReal() || size.rows != 1 || size.cols != 2) return invalidArguments();
  const int p = vkTruncToInt(vk_ta[0]), q = vkTruncToInt(vk_ta[1]);
  // The grid is built in one buffer, so it must fit there.
  if (p <= 0 || q <= 0 || static_cast<long long>(p) * q > TNumber) return invalidArguments();
  VkArg v, y, x;
  if (kWithValues && !vkPopArg(stack, sp, vk_tc, &v)) return 0;
  if (!vkPopArg(stack, sp, vk_tb, &y) || !vkPopArg(stack, sp, vk_ta, &x)) return 0;
  if (!x.isReal() || !y.isReal() || x.rows != y.rows || x.cols != y.cols) return invalidArguments();
  if (kWithValues && (!v.isReal() || v.rows != x.rows || v.cols != x.cols)) return invalidArguments();
  const int ok = kWithValues ? DoTensya(vk_ta, vk_tb, vk_tc, x.rows, x.cols, p, q, r)
                             : DoTensyaCount(vk_ta, vk_tb, vk_tc, x.rows, x.cols, p, q, r);
  if (!ok) return 0;
  return pushMatrix(stack, sp, vk_tc, p, q);
}

int thinning(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_tc, &rows, &cols)) return 0;
  if (rows <= 3 || cols <= 3) return invalidArguments();
  if (!thin8y(vk_tc, reinterpret_cast<unsigned char*>(vk_ta), rows, cols)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int todayBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double days = 0;
  if (!popValue(stack, sp, vk_ta, &days)) return 0;
  std::string calendarText;
  if (!today(vkTruncToInt(days), calendarText)) return 0;
  return pushString(stack, sp, calendarText.c_str(), static_cast<int>(calendarText.size()));
}

template <double (*Fn)(double)>
int eachElement(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) vk_ta[i] = Fn(vk_ta[i]);
  return pushMatrix(stack, sp, vk_ta, rows, cols);
}

double tangent(double v) { return std::tan(v); }
double hyperbolicTangent(double v) { return std::tanh(v); }

int typeBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isString()) return invalidArguments();
  std::string contents;
  if (!DoProgramList(reinterpret_cast<const char*>(vk_ta), contents)) return 0;
  return pushString(stack, sp, contents.c_str(), static_cast<int>(contents.size()));
}

int tDistribution(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double nu = 0;
  if (!popValue(stack, sp, vk_ta, &nu)) return 0;
  // Degrees of freedom are above 0 (at or below it, or not a number, the density is none); at
  // infinity the distribution is the normal one, its limit.
  if (!(nu > 0)) return invalidArguments();
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_tb, &rows, &cols)) return 0;
  tDensity(vk_tb, static_cast<long long>(rows) * cols, nu, vk_tc);
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

// Sixtieths of a second since the system started, as an unsigned 32-bit count.
int tickCount(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ticks =
      static_cast<std::uint32_t>(static_cast<unsigned long long>(now.tv_sec) * 60ULL +
                                 static_cast<unsigned long long>(now.tv_nsec) * 60ULL / 1000000000ULL);
  const double value = static_cast<double>(ticks);
  return pushMatrix(stack, sp, &value, 1, 1);
}

#define CAT_ENTRY(n) \
  VkBuiltin { "textFile_Cat", n, textFileCat }

constexpr std::array kT{
    VkBuiltin{"textutil", 2, pravella::builtins::convertDocumentBuiltin},
    VkBuiltin{"toKatakana", 1, toKatakanaBuiltin},
    VkBuiltin{"toHiragana", 1, toHiraganaBuiltin},
    VkBuiltin{"toHankakuSJIS", 1, toHankakuSJIS},
    VkBuiltin{"toHankakuJIS", 1, toHankakuJIS},
    VkBuiltin{"toZenkakuJIS", 1, toZenkakuJIS},
    VkBuiltin{"toZenkakuSJIS", 1, toZenkakuSJIS},
    VkBuiltin{"toZenkakuJIS_Omoji", 1, toZenkakuJIS_Omoji},
    VkBuiltin{"toSeion", 1, toSeion},
    VkBuiltin{"tableLookup_integer", 3, tableLookupInteger},
    VkBuiltin{"tensyaVolumeData", 3, pravella::builtins::volume::tensyaVolumeData},
    VkBuiltin{"text2Pict", 5, text2Pict},
    VkBuiltin{"text2Pict", 6, text2Pict},
    VkBuiltin{"textFile_CountSameString", 2, textFileCountSameString},
    VkBuiltin{"textFile_Cut", 2, textFileCut},
    VkBuiltin{"textFile_GetLineNumber", 1, textFileGetLineNumber},
    VkBuiltin{"textFile_ExchangeItem", 3, textFileExchangeItem},
    VkBuiltin{"textFile_ExchangeItem", 4, textFileExchangeItem},
    CAT_ENTRY(2),
    CAT_ENTRY(3),
    CAT_ENTRY(4),
    CAT_ENTRY(5),
    CAT_ENTRY(6),
    CAT_ENTRY(7),
    CAT_ENTRY(8),
    CAT_ENTRY(9),
    CAT_ENTRY(10),
    CAT_ENTRY(11),
    CAT_ENTRY(12),
    CAT_ENTRY(13),
    CAT_ENTRY(14),
    CAT_ENTRY(15),
    CAT_ENTRY(16),
    CAT_ENTRY(17),
    CAT_ENTRY(18),
    CAT_ENTRY(19),
    CAT_ENTRY(20),
    VkBuiltin{"textFile_SelectArea", 2, textFileSelectArea},
    VkBuiltin{"textFile_SelectArea", 3, textFileSelectArea},
    VkBuiltin{"textFile_SelectNumber", 4, textFileSelectNumber},
    VkBuiltin{"textFile_SelectNumber", 5, textFileSelectNumber},
    VkBuiltin{"textFile_GetNthItem", 2, textFileGetNthItem},
    VkBuiltin{"textFile_GetNthItem", 3, textFileGetNthItem},
    VkBuiltin{"textFile_DeleteNullLine", 1, textFileDeleteNullLine},
    VkBuiltin{"textFile_DeleteNullLine", 2, textFileDeleteNullLine},
    VkBuiltin{"textFile_SelectItem", 3, textFileSelectItem},
    VkBuiltin{"textFile_DeSelectItem", 3, textFileDeSelectItem},
    VkBuiltin{"textFile_DeleteItem", 3, textFileDeleteItem},
    VkBuiltin{"textFile_SelectItem", 2, textFileSelectItem},
    VkBuiltin{"textFile_DeSelectItem", 2, textFileDeSelectItem},
    VkBuiltin{"textFile_DeleteItem", 2, textFileDeleteItem},
    VkBuiltin{"test_cv", 1, pravella::builtins::testCvBuiltin},
    VkBuiltin{"thinning", 1, thinning},
    VkBuiltin{"tensya", 5, tensya<true>},
    VkBuiltin{"tensya_count", 4, tensya<false>},
    VkBuiltin{"today", 1, todayBuiltin},
    VkBuiltin{"tan", 1, eachElement<tangent>, vkScalarOf<tangent>},
    VkBuiltin{"tanh", 1, eachElement<hyperbolicTangent>, vkScalarOf<hyperbolicTangent>},
    VkBuiltin{"type", 1, typeBuiltin},
    VkBuiltin{"tDistribution", 2, tDistribution},
    VkBuiltin{"tickCount", 1, tickCount},
};

#undef CAT_ENTRY

}  // namespace

int DoFunctionT(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kT, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableT() { return kT; }
