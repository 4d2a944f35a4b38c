// Built-ins L: the loaders, logarithms, the Laplacian, polyline length and left parts of
// strings, one table in the order of precedence.

#include "lang/builtins/dispatch.h"

#include <QByteArray>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "editors/text_services.h"
#include "graphics/picture.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/file_chooser.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/plot_builtins.h"
#include "lang/builtins/volume_builtins.h"
#include "lang/stack.h"
#include "lang/stdlib/file_load_save.h"
#include "lang/stdlib/file_slots.h"
#include "lang/stdlib/image_stats.h"
#include "lang/stdlib/string_utils.h"
#include "lang/variables.h"

namespace {

const char* text(const double* buffer) { return reinterpret_cast<const char*>(buffer); }

// Fixed name fields of the typed binary loader hold 255 bytes and the terminator.
constexpr std::size_t kNameField = 255;

// A string argument (a file name, say); "Invalid arguments." for any other value.
int popText(CalcStackEntry* stack, int* sp, std::string& out) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isString()) return vkInvalidArguments();
  out = text(vk_ta);
  return 1;
}

// A file name argument; the empty name asks the chooser.
int popFileName(CalcStackEntry* stack, int* sp, std::string& out) {
  return popText(stack, sp, out) && vkFileNameOrChooser(stack, sp, out);
}

int popMatrix(CalcStackEntry* stack, int* sp, double* dst, VkArg& arg) {
  if (!vkPopArg(stack, sp, dst, &arg)) return 0;
  return arg.isReal() ? 1 : vkInvalidArguments();
}

int pushText(CalcStackEntry* stack, int* sp, const std::string& s) {
  return vkPushString(stack, sp, s.c_str(), static_cast<int>(std::strlen(s.c_str())));
}

// ---------------------------------------------------------------------------------------
// Loaders.

int loadRTFD(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isString()) {
    error_disp("Need fileName");
    return 0;
  }
  std::string out;
  if (!getRTFDDocumentFromFilePath(text(vk_ta), out)) return 0;
  return pushText(stack, sp, out);
}

int listVariables(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  std::string listing;
  listVariableTable(listing);
  return pushText(stack, sp, listing);
}

int loadPicture(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string path;
  if (!popFileName(stack, sp, path)) return 0;
  QByteArray picture;
  if (!vkLoadPictureFile(path, picture)) return 0;
  return PushToStack(stack, sp, picture.constData(), kValuePicture, static_cast<int>(picture.size()), 0);
}

int loadText(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string path, out;
  if (!popFileName(stack, sp, path)) return 0;
  if (!DoProgramList(path.c_str(), out)) return 0;
  return pushText(stack, sp, out);
}

int loadTable(CalcStackEntry* stack, int* sp, int32_t offset) {
  std::string path;
  if (!popFileName(stack, sp, path)) return 0;
  int rows = 0, cols = 0;
  if (!DoLoadNumvalue(path.c_str(), vk_tb, &rows, &cols, offset)) return 0;
  return vkPushReals(stack, sp, vk_tb, rows, cols);
}

int load1(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return loadTable(stack, sp, 0); }

int load2(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double offset = 0;
  if (!vkPopNumber(stack, sp, &offset)) return 0;
  return loadTable(stack, sp, vkTruncToInt(offset));
}

int loadFixedTextData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg form;
  if (!vkPopArg(stack, sp, vk_tb, &form)) return 0;
  std::vector<double> pairs;
  if (form.isString()) {
    const std::size_t length = std::strlen(text(vk_tb));
    pairs.resize(2 * length + 2);
    const int n = spritString(text(vk_tb), pairs.data());
    if (n < 1) return vkInvalidArguments();
    pairs.resize(2 * static_cast<std::size_t>(n));
  } else if (form.isReal() && form.cols == 2 && form.rows >= 1) {
    pairs.assign(vk_tb, vk_tb + 2 * static_cast<std::size_t>(form.rows));
  } else {
    return vkInvalidArguments();
  }
  std::string path;
  if (!popFileName(stack, sp, path)) return 0;
  int rows = 0, cols = 0;
  if (!DoLoadFixedTextData(path.c_str(), vk_tc, &rows, &cols, pairs.data(),
                           static_cast<int>(pairs.size() / 2)))
    return 0;
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

int loadBinFile(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  if (arg.rows != 1 || arg.cols != 5) return vkInvalidArguments();
  double form[5];
  std::memcpy(form, vk_ta, sizeof form);
  VkArg name;
  if (!vkPopArg(stack, sp, vk_tb, &name)) return 0;
  if (!name.isString()) return vkInvalidArguments();
  std::string path = text(vk_tb);
  if (!vkFileNameOrChooser(stack, sp, path)) return 0;
  int rows = 0, cols = 0;
  if (!DoLoadBinFile(path.c_str(), form, vk_tc, &rows, &cols)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

int loadDoubleBinary(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string path;
  if (!popFileName(stack, sp, path)) return 0;
  int rows = 0, cols = 0;
  if (!DoLoadBinaryDouble(path.c_str(), &rows, &cols, vk_tb)) return 0;
  return vkPushReals(stack, sp, vk_tb, rows, cols);
}

// loadB, loadBS and loadBSwap with (file name, element type name, (rows, columns, offset)).
int loadTyped(CalcStackEntry* stack, int* sp, int swap) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  if (arg.rows != 1 || arg.cols != 3) return vkInvalidArguments();
  const int rows = vkTruncToInt(vk_ta[0]), cols = vkTruncToInt(vk_ta[1]);
  const int32_t offset = vkTruncToInt(vk_ta[2]);
  if (static_cast<long long>(rows) * cols > TNumber) return vkInvalidArguments();
  std::string type;
  if (!popText(stack, sp, type)) return 0;
  if (type.size() >= kNameField) return vkInvalidArguments();
  std::string path;
  if (!popFileName(stack, sp, path)) return 0;
  if (path.size() >= kNameField) return vkInvalidArguments();
  if (!DoLoadBinary_next(path.c_str(), type.c_str(), rows, cols, offset, vk_tc, swap)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

int loadB3(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return loadTyped(stack, sp, ByteOrderBigEndian ? 1 : 0);
}

int loadBSwap(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return loadTyped(stack, sp, 1); }

// ---------------------------------------------------------------------------------------
// Numbers.

// linePlot(y): each column of y as a line against the row index 0 .. rows - 1; linePlot(x, y)
// and linePlot(x, y, range).
int linePlot(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkPlotForms(1, false, code, pc, stack, sp);
}

int length(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  if (arg.cols != 2 || arg.rows < 2) return vkInvalidArguments();
  double total = 0;
  for (int i = 1; i < arg.rows; ++i) {
    const double dx = vk_ta[2 * i] - vk_ta[2 * (i - 1)];
    const double dy = vk_ta[2 * i + 1] - vk_ta[2 * (i - 1) + 1];
    total += std::hypot(dx, dy);  // steps past 1e+154 have lengths their squares have not
  }
  return vkPushScalar(stack, sp, total);
}

// log and ln: no domain test, 0 gives minus infinity and a negative number not-a-number.
template <double (*F)(double)>
int elementwise(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  for (long long i = 0; i < arg.elements(); ++i) vk_ta[i] = F(vk_ta[i]);
  return vkPushReals(stack, sp, vk_ta, arg.rows, arg.cols);
}

double log10Of(double v) { return std::log10(v); }
double lnOf(double v) { return std::log(v); }

int laplace(CalcStackEntry* stack, int* sp, bool negate) {
  VkArg arg;
  if (!popMatrix(stack, sp, vk_ta, arg)) return 0;
  if (arg.rows <= 2 || arg.cols <= 2) return vkInvalidArguments();
  if (!DoLaplace(vk_ta, arg.rows, arg.cols, vk_tc)) return 0;
  if (negate)
    for (long long i = 0; i < arg.elements(); ++i) vk_tc[i] = -vk_tc[i] + 0.0;
  return vkPushReals(stack, sp, vk_tc, arg.rows, arg.cols);
}

int laplacian(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return laplace(stack, sp, true); }
int laplaceBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return laplace(stack, sp, false); }

// ---------------------------------------------------------------------------------------
// Strings.

int leftStringUTF8Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!vkPopNumber(stack, sp, &n)) return 0;
  std::string source;
  if (!popText(stack, sp, source)) return 0;
  std::string out;
  if (!leftStringUTF8(source.c_str(), vkTruncToInt(n), out)) {
    error_disp("Too big data.");
    return 0;
  }
  return pushText(stack, sp, out);
}

int leftString(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!vkPopNumber(stack, sp, &n)) return 0;
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_tc, &arg)) return 0;
  if (!arg.isString()) return vkInvalidArguments();
  char* s = reinterpret_cast<char*>(vk_tc);
  const std::size_t size = std::strlen(s);
  // A negative count gives the empty string, one past the end the whole string.
  const int count = vkTruncToInt(n);
  const std::size_t keep = count < 0 ? 0 : std::min(size, static_cast<std::size_t>(count));
  s[keep] = '\0';
  return vkPushString(stack, sp, s, static_cast<int>(keep));
}

constexpr VkBuiltin kL[] = {
    {"loadVolumeData", 1, pravella::builtins::volume::loadVolumeData},
    {"loadRTFD", 1, loadRTFD},
    {"listVariableTable", 1, listVariables},
    {"loadPicture", 1, loadPicture},
    {"loadText", 1, loadText},
    {"linePlot", 1, linePlot},
    {"linePlot", 2, linePlot},
    {"linePlot", 3, linePlot},
    {"length", 1, length},
    {"log", 1, elementwise<log10Of>, vkScalarOf<log10Of>},
    {"Laplacian", 1, laplacian},
    {"Laplace", 1, laplaceBuiltin},
    {"ln", 1, elementwise<lnOf>, vkScalarOf<lnOf>},
    {"leftStringUTF8", 2, leftStringUTF8Builtin},
    {"leftString", 2, leftString},
    {"load", 1, load1},
    {"load", 2, load2},
    {"loadFixedTextData", 2, loadFixedTextData},
    {"loadBinFile", 2, loadBinFile},
    {"loadB", 1, loadDoubleBinary},
    {"loadB", 3, loadB3},
    {"loadBS", 3, loadBSwap},
    {"loadBSwap", 3, loadBSwap},
};

}  // namespace

int DoFunctionL(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kL, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableL() { return kL; }
