// The textFile_ built-ins of the letter T: argument tests over the line filters of the
// text-file library, which report their own failures.

#include "lang/builtins/functions_t_parts.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "lang/builtins/functions_c_args.h"
#include "lang/stdlib/text_file_filters.h"

namespace pravella::builtins {

namespace {

// textFile_Cat's names, entry 0 the last argument; kept between calls.
constexpr int kCatNames = 20;
constexpr std::size_t kCatNameBytes = 256;
std::array<std::array<char, kCatNameBytes>, kCatNames> catFileName{};

int argCount(const vk_Code* code, const int* pc) { return code[*pc].argc; }

int popText(CalcStackEntry* stack, int* sp, double* buffer, std::string& out) {
  VkArg arg;
  if (!vkPopArg(stack, sp, buffer, &arg)) return 0;
  if (!arg.isString()) return invalidArguments();
  out.assign(reinterpret_cast<const char*>(buffer));
  return 1;
}

int popValue(CalcStackEntry* stack, int* sp, double* buffer, double* value) {
  VkArg arg;
  if (!vkPopArg(stack, sp, buffer, &arg)) return 0;
  if (!arg.isNumber()) return invalidArguments();
  *value = buffer[0];
  return 1;
}

// A 1 x 2 (from, to) range with to >= from, both truncated.
int popRange(CalcStackEntry* stack, int* sp, double* buffer, int* from, int* to) {
  VkArg arg;
  if (!vkPopArg(stack, sp, buffer, &arg)) return 0;
  if (!arg.isReal() || arg.rows != 1 || arg.cols != 2) return invalidArguments();
  *from = vkTruncToInt(buffer[0]);
  *to = vkTruncToInt(buffer[1]);
  return *to < *from ? invalidArguments() : 1;
}

// The file names: one (the file rewritten) or input and output.
int popFiles(int files, CalcStackEntry* stack, int* sp, std::string& input, std::string& output) {
  if (files == 2 && !popText(stack, sp, vk_tb, output)) return 0;
  return popText(stack, sp, vk_ta, input);
}

}  // namespace

int textFileCountSameString(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string input, output;
  if (!popFiles(2, stack, sp, input, output)) return 0;
  return TextFile_CountSameString(input, output);
}

int textFileCut(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string file, marker;
  if (!popText(stack, sp, vk_tb, marker) || !popText(stack, sp, vk_ta, file)) return 0;
  return TextFile_Cut(file, marker);
}

int textFileGetLineNumber(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string file;
  if (!popText(stack, sp, vk_ta, file)) return 0;
  if (!textFile_GetLineNumber(file, vk_tb)) return 0;
  return pushMatrix(stack, sp, vk_tb, 1, 1);
}

int textFileExchangeItem(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int files = argCount(code, pc) - 2;
  std::string search, replacement, input, output;
  if (!popText(stack, sp, vk_tc, replacement)) return 0;
  // The new text of the two-file form has always been held in 256 bytes; longer is refused
  // rather than cut.
  if (files == 2 && replacement.size() > 255) return invalidArguments();
  if (!popText(stack, sp, vk_tb, search) || !popFiles(files, stack, sp, input, output)) return 0;
  return files == 2 ? TextFile_ExchangeItem(input, output, search, replacement)
                    : TextFile_ExchangeItem_SameName(input, search, replacement);
}

int textFileCat(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int count = argCount(code, pc);
  for (int k = 0; k < count; ++k) {
    VkArg arg;
    if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
    if (!arg.isString()) return invalidArguments();
    const char* name = reinterpret_cast<const char*>(vk_ta);
    const std::size_t length = std::strlen(name);
    if (length > kCatNameBytes - 1) {
      error_disp("Too long file name");
      return 0;
    }
    std::memcpy(catFileName[static_cast<std::size_t>(k)].data(), name, length + 1);
  }
  // Entry count - 1 is the first argument (the destination); the others follow it backwards.
  const char* destination = catFileName[static_cast<std::size_t>(count - 1)].data();
  for (int k = count - 2; k >= 0; --k)
    if (!TextFile_Cat(catFileName[static_cast<std::size_t>(k)].data(), destination)) return 0;
  return 1;
}

int textFileSelectArea(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int files = argCount(code, pc) - 1;
  int from = 0, to = 0;
  std::string input, output;
  if (!popRange(stack, sp, files == 2 ? vk_tc : vk_tb, &from, &to)) return 0;
  if (!popFiles(files, stack, sp, input, output)) return 0;
  return files == 2 ? TextFile_SelectArea(input, output, from, to) : TextFile_SelectArea_SameName(input, from, to);
}

int textFileSelectNumber(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int files = argCount(code, pc) - 3;
  double x = 0;
  std::string op, input, output;
  if (!popValue(stack, sp, vk_tc, &x) || !popText(stack, sp, vk_tc, op)) return 0;
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_tb, &arg)) return 0;
  if (!arg.isReal() || arg.rows != 1 || (arg.cols != 1 && arg.cols != 2)) return invalidArguments();
  const bool itemForm = arg.cols == 1;
  const int first = vkTruncToInt(vk_tb[0]);
  const int last = itemForm ? first : vkTruncToInt(vk_tb[1]);
  if (last < first) return invalidArguments();
  if (!popFiles(files, stack, sp, input, output)) return 0;
  if (itemForm)
    return files == 2 ? TextFile_SelectItem_NthNumber(input, output, op, first, x)
                      : TextFile_SelectItem_NthNumber_SameFile(input, op, first, x);
  return files == 2 ? TextFile_SelectItem_Number(input, output, op, first, last, x)
                    : TextFile_SelectItem_Number_SameFile(input, op, first, last, x);
}

int textFileGetNthItem(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int files = argCount(code, pc) - 1;
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_tc, &arg)) return 0;
  if (!arg.isReal() || arg.rows != 1 || arg.cols < 1) return invalidArguments();
  std::string input, output;
  if (!popFiles(files, stack, sp, input, output)) return 0;
  return files == 2 ? TextFile_GetNthItem(input, output, vk_tc, arg.cols)
                    : TextFile_GetNthItem_SameName(input, vk_tc, arg.cols);
}

int textFileDeleteNullLine(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int files = argCount(code, pc);
  std::string input, output;
  if (!popFiles(files, stack, sp, input, output)) return 0;
  return files == 2 ? TextFile_DeleteNullLine(input, output) : TextFile_DeleteNullLine_SameName(input);
}

namespace {

using TwoFiles = int (*)(std::string_view, std::string_view, std::string_view);
using OneFile = int (*)(std::string_view, std::string_view);

int wordFilter(const vk_Code* code, const int* pc, CalcStackEntry* stack, int* sp, TwoFiles two, OneFile one) {
  const int files = argCount(code, pc) - 1;
  std::string word, input, output;
  if (!popText(stack, sp, vk_tc, word) || !popFiles(files, stack, sp, input, output)) return 0;
  return files == 2 ? two(input, output, word) : one(input, word);
}

}  // namespace

int textFileSelectItem(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return wordFilter(code, pc, stack, sp, TextFile_SelectItem, TextFile_SelectItem_sameName);
}

int textFileDeSelectItem(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return wordFilter(code, pc, stack, sp, TextFile_DeSelectItem, TextFile_DeSelectItem_sameName);
}

int textFileDeleteItem(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return wordFilter(code, pc, stack, sp, TextFile_DeleteItem, TextFile_DeleteItem_sameName);
}

}  // namespace pravella::builtins
