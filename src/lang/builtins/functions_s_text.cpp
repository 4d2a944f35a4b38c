// Built-ins S: string search, replacement and comparison, number formats, saving and the shell.

#include <QString>
#include <QStringList>

#include <cstring>
#include <string>

#include "editors/text_services.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/builtins/functions_s_parts.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/run_command_line.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/stdlib/file_load_save.h"
#include "lang/stdlib/number_format.h"
#include "lang/stdlib/shift_jis_file.h"
#include "lang/stdlib/string_utils.h"
#include "lang/text_services.h"

namespace pravella::builtins::s {

namespace {

// Pops a string of at most `limit` bytes into `out`; "Invalid arguments." otherwise.
int popName(CalcStackEntry* stack, int* sp, std::string& out, std::size_t limit = 255) {
  if (!vkPopString(stack, sp, text(vk_tc))) return 0;
  out = text(vk_tc);
  return out.size() <= limit ? 1 : invalidArguments();
}

// A format from the user reaches printf only when it takes exactly one double and has a
// bounded width: a stray %s or %n would read or write through a missing argument.
int storeFormat(CalcStackEntry* stack, int* sp, std::string& target) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  const std::string_view format(text(vk_ta));
  if (format.size() >= static_cast<std::size_t>(kFormatBytes) || !vkIsSafeNumberFormat(format))
    return invalidArguments();
  target = format;
  return 1;
}

}  // namespace

int swapTextStringEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isString() || std::strlen(text(vk_ta)) > 255) return fail("Too big swap string");
  const std::string replacement = text(vk_ta);
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  const std::size_t searchLength = a.isString() ? std::strlen(text(vk_ta)) : 0;
  if (searchLength == 0 || searchLength > 255) return fail("Invalid string.");
  const std::string search = text(vk_ta);
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  std::string out;
  if (!swapTextString(text(vk_ta), search, replacement, out)) return fail("Invalid data");
  return pushString(stack, sp, out.c_str(), static_cast<int>(out.size()));
}

int searchStringUTF8Entry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_tb))) return 0;
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  return vkPushScalar(stack, sp, searchStringUTF8(text(vk_ta), text(vk_tb)));
}

int searchStringEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_tb))) return 0;
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  const std::string_view haystack(text(vk_ta)), needle(text(vk_tb));
  // An empty search text answers the text's length.
  if (needle.empty()) return vkPushScalar(stack, sp, static_cast<double>(haystack.size()));
  const std::size_t at = haystack.find(needle);
  return vkPushScalar(stack, sp, at == std::string_view::npos ? -1.0 : static_cast<double>(at));
}

int strcmpEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_tb))) return 0;
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  return vkPushScalar(stack, sp, std::strcmp(text(vk_ta), text(vk_tb)));
}

int setSortStringDirectionEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  return DoSetSortStringDirection(v);
}

namespace {

// The byte position of saveB, truncated into 64 bits: a file may be longer than 2 GB. Past
// the range it saturates, and the file system then refuses it with its own reason.
int64_t bytePosition(double v) {
  if (v != v) return 0;
  if (v >= 9223372036854775807.0) return INT64_MAX;
  if (v <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(v);
}

}  // namespace

int saveBEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int argc = code[*pc].argc;
  double position = 0;
  std::string typeName, fileName;
  if (argc == 4 && !vkPopNumber(stack, sp, &position)) return 0;
  if (argc >= 3 && !popName(stack, sp, typeName)) return 0;
  if (!popName(stack, sp, fileName)) return 0;
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (argc == 2) {
    if (!a.isReal() || a.rows < 1) return invalidArguments();
    return DoSaveBinaryDouble(fileName.c_str(), vk_ta, a.rows, a.cols);
  }
  if (argc == 3 && a.isInt())
    return DoSaveBinary_Int(fileName.c_str(), typeName.c_str(), reinterpret_cast<const int32_t*>(vk_ta),
                            a.rows, a.cols, 0);
  if (!a.isReal() || (argc == 4 && a.rows < 1)) return invalidArguments();
  return DoSaveBinary(fileName.c_str(), typeName.c_str(), vk_ta, a.rows, a.cols,
                      argc == 4 ? bytePosition(position) : 0);
}

int systemEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  if (text(vk_ta)[0] == '\0') return 1;  // nothing to run
  return vkRunCommandLine(text(vk_ta));
}

int strlenEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  return vkPushScalar(stack, sp, static_cast<double>(std::strlen(text(vk_ta))));
}

int strEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  if (!vkIsSafeNumberFormat(text(vk_ta))) return invalidArguments();
  std::string out;
  vkAppendFormatted(out, text(vk_ta), v);
  if (out.size() >= static_cast<std::size_t>(TNumber) * 8) return invalidArguments();
  return pushString(stack, sp, out.c_str(), static_cast<int>(out.size()));
}

int setFormatEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return storeFormat(stack, sp, DispFormat);
}
int setSaveFormatEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return storeFormat(stack, sp, SaveFormat);
}

int saveShiftJISEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string fileName;
  if (!popName(stack, sp, fileName, kPathBytes - 1)) return 0;
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  return saveShiftJIS(text(vk_ta), fileName.c_str()) ? 1 : fail("Can not write TEXT(ShiftJIS)");
}

int saveEntry(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (*sp >= 2 && stack[*sp - 2].type == kValuePicture)
    return vkPictureBuiltinEntry(count, code, pc, stack, sp);
  std::string fileName;
  if (!popName(stack, sp, fileName, kPathBytes - 1)) return 0;
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (a.isReal()) return DoSaveNumValue(fileName.c_str(), vk_ta, a.rows, a.cols);
  if (a.isString()) return DoSaveStrValue(fileName.c_str(), text(vk_ta));
  return invalidArguments();
}

}  // namespace pravella::builtins::s
