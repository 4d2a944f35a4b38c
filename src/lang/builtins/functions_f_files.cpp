// The file-slot built-ins of the letter F and fileExistsAtPath: argument tests and pushes
// around the slot routines, which report their own failures.

#include "lang/builtins/functions_f_files.h"

#include <cstring>
#include <string>

#include "editors/text_services.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/stdlib/file_slots.h"
#include "lang/variables.h"

namespace {

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

// A slot id, count or position: a 1 by 1 real, truncated. Popped through vk_ta.
int popInt(CalcStackEntry* stack, int* sp, int* value) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  *value = vkTruncToInt(v);
  return 1;
}

// Ids outside 0 .. 9 reach the slot routines, which refuse them with their own message.
unsigned slotId(int id) { return static_cast<unsigned>(id); }

int popStringInto(CalcStackEntry* stack, int* sp, double* buffer) {
  return vkPopString(stack, sp, text(buffer));
}

}  // namespace

namespace pravella::builtins {

int fileExistsAtPathBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popStringInto(stack, sp, vk_ta)) return 0;
  std::string path;
  if (!changeFullPath(text(vk_ta), path)) return 0;
  return vkPushScalar(stack, sp, fileExistsAtFullPath(path.c_str()));
}

int fileOpenBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popStringInto(stack, sp, vk_tc) || !popStringInto(stack, sp, vk_tb)) return 0;
  int id = 0;
  if (!popInt(stack, sp, &id)) return 0;
  return fileOpen(slotId(id), text(vk_tb), text(vk_tc));
}

int fileCheckBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popStringInto(stack, sp, vk_ta)) return 0;
  return vkPushScalar(stack, sp, fileCheck(text(vk_ta)) ? 1.0 : 0.0);
}

int fileCloseBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int id = 0;
  if (!popInt(stack, sp, &id)) return 0;
  return fileClose(slotId(id));
}

// The argument is not used.
int fileAllCloseBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  return fileAllClose();
}

int fileSeekBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int position = 0, id = 0;
  if (!popInt(stack, sp, &position) || !popInt(stack, sp, &id)) return 0;
  return fileSeek(slotId(id), position);
}

// A line is read into a buffer of `size` bytes, its terminator included.
int pushLine(CalcStackEntry* stack, int* sp, int id, int size) {
  std::string line;
  if (!fileGetString(slotId(id), line, size)) return 0;
  return vkPushString(stack, sp, line.c_str(), static_cast<int>(line.size()));
}

constexpr int kLineBytes = 30000;

int fileGetString1Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int id = 0;
  if (!popInt(stack, sp, &id)) return 0;
  return pushLine(stack, sp, id, TNumber < kLineBytes ? TNumber - 1 : kLineBytes);
}

int fileGetString2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int n = 0, id = 0;
  if (!popInt(stack, sp, &n) || !popInt(stack, sp, &id)) return 0;
  if (n >= TNumber - 1) return vkInvalidArguments();
  // A size of 0 or less reads nothing but the slot's state.
  return pushLine(stack, sp, id, n > kLineBytes ? kLineBytes : n + 1);
}

int fileWrite2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg data;
  if (!vkPopArg(stack, sp, vk_tb, &data)) return 0;
  if (!data.isString() && !data.isReal()) {
    error_disp("Second data type");
    return 0;
  }
  int id = 0;
  if (!popInt(stack, sp, &id)) return 0;
  if (data.isString()) return fileWriteString(slotId(id), text(vk_tb));
  return fileWriteNvalueWithText(slotId(id), vk_tb, data.rows, data.cols);
}

int fileWrite3Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popStringInto(stack, sp, vk_tb)) return 0;
  VkArg data;
  if (!vkPopArg(stack, sp, vk_ta, &data)) return 0;
  if (!data.isReal()) return vkInvalidArguments();
  VkArg id;
  if (!vkPopArg(stack, sp, vk_tc, &id)) return 0;
  if (!id.isNumber()) return vkInvalidArguments();
  return fileWriteBinary(slotId(vkTruncToInt(vk_tc[0])), vk_ta, data.rows, data.cols, text(vk_tb));
}

int fileReadBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popStringInto(stack, sp, vk_tc)) return 0;
  VkArg shape;
  if (!vkPopArg(stack, sp, vk_tb, &shape)) return 0;
  if (!shape.isReal()) return vkInvalidArguments();
  int id = 0;
  if (!popInt(stack, sp, &id)) return 0;
  const std::string typeName = text(vk_tc);
  if (typeName == "TextNumValue" && shape.rows == 1 && shape.cols == 1) {
    int rows = 0, cols = 0;
    if (!fileReadTextNumber(slotId(id), vk_tc, vkTruncToInt(vk_tb[0]), &rows, &cols)) return 0;
    return vkPushReals(stack, sp, vk_tc, rows, cols);
  }
  if (shape.rows == 1 && shape.cols == 2) {
    const int rows = vkTruncToInt(vk_tb[0]), cols = vkTruncToInt(vk_tb[1]);
    if (!fileReadBinary(slotId(id), rows, cols, vk_ta, typeName.c_str())) return 0;
    return vkPushReals(stack, sp, vk_ta, rows, cols);
  }
  error_disp("unknown file data type");
  return 0;
}

int fileLengthBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popStringInto(stack, sp, vk_ta)) return 0;
  if (!DoGetFileLength(text(vk_ta), vk_tc)) return 0;
  return vkPushScalar(stack, sp, vk_tc[0]);
}

int filePositionBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int id = 0;
  if (!popInt(stack, sp, &id)) return 0;
  double position = 0;
  if (!GetFilePosition(slotId(id), &position)) return 0;
  return vkPushScalar(stack, sp, position);
}

}  // namespace pravella::builtins
