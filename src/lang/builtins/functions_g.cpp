// Built-ins G: one table in the order of precedence.

#include "lang/builtins/dispatch.h"
#include "lang/builtins/gl_builtins.h"

#include <QByteArray>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>

#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "editors/dropped_files_path.h"
#include "editors/memo_run_settings.h"
#include "graphics/picture_clipboard.h"
#include "graphics/picture_filter.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/clipboard_text.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/builtins/gauss_newton.h"
#include "lang/builtins/hand_editor_builtins.h"
#include "lang/builtins/image_builtins.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/volume_builtins.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/module_eval.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/stdlib/cell_label.h"
#include "lang/stdlib/gamma.h"
#include "lang/stdlib/image_stats.h"
#include "lang/stdlib/random_dist.h"
#include "lang/stdlib/string_utils.h"
#include "platform/font_aliases.h"

namespace {

using namespace pravella::builtins;

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

int fail(const char* message) {
  error_disp(message);
  return 0;
}

int pushText(CalcStackEntry* stack, int* sp, const std::string& s) {
  return pushString(stack, sp, s.c_str(), static_cast<int>(s.size()));
}

// Pops a string argument into `dst`; "Invalid arguments." for another type.
int popString(CalcStackEntry* stack, int* sp, double* dst) {
  VkArg arg;
  if (!vkPopArg(stack, sp, dst, &arg)) return 0;
  return arg.isString() ? 1 : invalidArguments();
}

// ---------------------------------------------------------------------------------------
// Settings and getters of the run.

int graphInsertMode(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double flag = 0;
  if (!vkPopNumber(stack, sp, &flag)) return 0;
  changeGraphInsertMode(flag);
  return 1;
}

int getDropedFilesPathOnAmMode(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  return pushText(stack, sp, dragedFilePathString());
}

int getTempDataPath(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  return pushText(stack, sp, vkDataPathString);
}

int getNowFileName(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  return pushText(stack, sp, NowLoadSaveName);
}

int getFormat(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  return pushText(stack, sp, DispFormat);
}

int getSaveFormat(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popAny(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  return pushText(stack, sp, SaveFormat);
}

int getFileNameFromFullPath(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isString()) return fail("Full path list");
  std::string out;
  if (!DoGetFileNameFromFullPathName(text(vk_ta), out)) return 0;
  return pushText(stack, sp, out);
}

// Width, height, ascent and descent in pixels of `s` drawn in the font. QuickDraw's text face
// bits: 1 bold, 2 italic, 4 underline, 8 outline, 16 shadow, 32 condense, 64 extend.
int getTextDrawSize(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isNumber()) return fail("Invalid TextFace.");
  const int face = vkTruncToInt(vk_ta[0]);
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isNumber()) return fail("Invalid FontSize.");
  const int size = vkTruncToInt(vk_ta[0]);
  if (!vkPopArg(stack, sp, vk_tb, &arg)) return 0;
  if (!arg.isString() || std::strlen(text(vk_tb)) > 255) return fail("Invalid FontName.");
  if (!vkPopArg(stack, sp, vk_tc, &arg)) return 0;
  if (!arg.isString()) return fail("Invalid string.");
  if (size <= 0 || size > 32767) return fail("Invalid FontSize.");
  // Fonts need the GUI application (every process that runs programs has one).
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return fail("Invalid FontName.");
  QFont font(pravella::fonts::familyFor(QString::fromUtf8(text(vk_tb))));
  font.setPixelSize(size);
  font.setBold(face & 1);
  font.setItalic(face & 2);
  font.setUnderline(face & 4);
  if (face & 32) font.setStretch(QFont::Condensed);
  if (face & 64) font.setStretch(QFont::Expanded);
  const QFontMetrics metrics(font);
  const double ascent = metrics.ascent();
  const double descent = metrics.descent();
  const double row[4] = {static_cast<double>(metrics.horizontalAdvance(QString::fromUtf8(text(vk_tc)))),
                         ascent + descent, ascent, descent};
  return pushMatrix(stack, sp, row, 1, 4);
}

// ---------------------------------------------------------------------------------------
// The clipboard.

// The clipboard's text, or 0 after the message for a missing flavour or a too big text.
int clipboardText(const char* missing, std::string& out) {
  if (!hasClipboard()) return fail("Can not get currentScrap");
  auto clip = textFromClipboard();
  if (!clip) return fail(missing);
  if (clip->size() >= static_cast<std::size_t>(TNumber) * 8) return fail("Too Big Text");
  out = std::move(*clip);
  return 1;
}

int getClipText(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  std::string s;
  if (!clipboardText("No Text in ClipBoard", s)) return 0;
  // The value is a zero-terminated text: it ends at the first zero byte.
  s.resize(std::strlen(s.c_str()));
  return pushText(stack, sp, s);
}

int getClipData(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  std::string s;
  if (!clipboardText("No TextData in ClipBoard", s)) return 0;
  int rows = 0, cols = 0;
  if (!ChangeStringToNumValue(s.c_str(), vk_tc, &rows, &cols)) return 0;
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int getClipPict(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  if (!hasClipboard()) return fail("Can not get currentScrap");
  const QByteArray picture = pravella::pictureFromClipboard();
  if (picture.isEmpty()) return fail("No Picture in ClipBoard");
  if (picture.size() >= static_cast<qsizetype>(TNumber) * 8) return fail("Too Big Text");
  return PushToStack(stack, sp, picture.constData(), kValuePicture, static_cast<int>(picture.size()), 0);
}

// ---------------------------------------------------------------------------------------
// Strings.

int getStringLine(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_ta)) return 0;
  const char* s = text(vk_ta);
  const std::size_t length = std::strlen(s);
  double lines = 0;
  if (length > 0) {
    for (std::size_t i = 0; i < length; ++i)
      if (s[i] == '\n') ++lines;
    if (s[length - 1] != '\n') ++lines;
  }
  return pushMatrix(stack, sp, &lines, 1, 1);
}

int getNthString(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!vkPopNumber(stack, sp, &n) || !popString(stack, sp, vk_ta)) return 0;
  std::string out;
  if (!DoGetNthString(text(vk_ta), vkTruncToInt(n), out)) return fail("over string");
  return pushText(stack, sp, out);
}

int getNthItemFromString(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!vkPopNumber(stack, sp, &n) || !popString(stack, sp, vk_ta)) return 0;
  std::string out;
  getNtheItemFromString(text(vk_ta), vkTruncToInt(n), out);
  return pushText(stack, sp, out);
}

int getString(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_tc) || !popString(stack, sp, vk_tb) || !popString(stack, sp, vk_ta)) return 0;
  if (std::strlen(text(vk_tb)) > 255 || std::strlen(text(vk_tc)) > 255) return invalidArguments();
  std::string out;
  if (!getAllStringWithTwoWord(text(vk_ta), text(vk_tb), text(vk_tc), out)) return 0;
  return pushText(stack, sp, out);
}

int getCommandArgNBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_ta)) return 0;
  const double n = getCommandArgN(text(vk_ta));
  return pushMatrix(stack, sp, &n, 1, 1);
}

int getCommandNthArgBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double n = 0;
  if (!vkPopNumber(stack, sp, &n) || !popString(stack, sp, vk_ta)) return 0;
  std::string out;
  if (!getCommandNthArg(text(vk_ta), vkTruncToInt(n), out)) return fail("more string");
  return pushText(stack, sp, out);
}

int getStringFromFile(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_tb, &rows, &cols)) return 0;
  if (rows != 1 || cols != 2) return invalidArguments();
  if (!popString(stack, sp, vk_ta)) return 0;
  const int32_t start = vkTruncToInt(vk_tb[0]);
  const int32_t end = vkTruncToInt(vk_tb[1]);
  if (start >= end || static_cast<long long>(end) - start >= TNumber) return invalidArguments();
  std::string out;
  if (!getFileString(text(vk_ta), start, end, out)) return fail("Can not open a file");
  return pushText(stack, sp, out);
}

// ---------------------------------------------------------------------------------------
// Numbers.

constexpr double kGammaOverflow = 172.0;

int gammaBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) {
    // Gamma has poles at 0 and the negative integers; NaN and infinity are refused as well.
    if (!(vk_ta[i] > 0.0) || !std::isfinite(vk_ta[i])) return invalidArguments();
    // SubGamma steps its argument down by 1 at a time, which would never end for a huge one;
    // gamma overflows the doubles from about 171.7 on anyway.
    if (vk_ta[i] > kGammaOverflow)
      vk_tc[i] = HUGE_VAL;
    else
      SubGamma(vk_ta[i], &vk_tc[i]);
  }
  return pushMatrix(stack, sp, vk_tc, rows, cols);
}

int gcdBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows < 1 || cols < 1) return invalidArguments();
  double out = 0;
  if (!nGreatestCommonDivisor(vk_ta, rows, cols, &out)) return 0;
  return pushMatrix(stack, sp, &out, 1, 1);
}

int getMaxCellBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_tb, &rows, &cols)) return 0;
  if (rows <= 1 || cols <= 1) return invalidArguments();
  int outRows = 0, outCols = 0;
  if (!getMaxCell(vk_tb, vk_ta, rows, cols, &outRows, &outCols)) return 0;
  return pushMatrix(stack, sp, vk_ta, outRows, 3);
}

// ---------------------------------------------------------------------------------------
// Kernel filters.

// The kernel (on top of the stack) must be square with an odd side; its side goes to *side.
int popKernel(CalcStackEntry* stack, int* sp, int* side) {
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_tb, &rows, &cols)) return 0;
  if (rows < 1 || rows != cols || rows % 2 == 0) return invalidArguments();
  *side = rows;
  return 1;
}

int filterPicture(CalcStackEntry* stack, int* sp, const VkArg& picture, int side, int offset) {
  QByteArray out;
  if (!DoGraphProcess(QByteArray(text(vk_ta), picture.rows), vk_tb, side, offset, out)) return 0;
  return PushToStack(stack, sp, out.constData(), kValuePicture, static_cast<int>(out.size()), 0);
}

int gProcess2(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  int side = 0;
  if (!popKernel(stack, sp, &side)) return 0;
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (arg.isPicture()) return filterPicture(stack, sp, arg, side, 128);
  if (!arg.isReal() || arg.rows < side || arg.cols < side) return invalidArguments();
  if (!DoGraphProcessNumMatrix(vk_ta, arg.rows, arg.cols, vk_tb, side, vk_tc)) return 0;
  return pushMatrix(stack, sp, vk_tc, arg.rows, arg.cols);
}

int gProcess3(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double offset = 0;
  int side = 0;
  if (!vkPopNumber(stack, sp, &offset) || !popKernel(stack, sp, &side)) return 0;
  VkArg arg;
  if (!vkPopArg(stack, sp, vk_ta, &arg)) return 0;
  if (!arg.isPicture()) return invalidArguments();
  return filterPicture(stack, sp, arg, side, vkTruncToInt(offset));
}

// ---------------------------------------------------------------------------------------
// The Gauss-Newton fit of a user module.

// Pops a real matrix and keeps a copy of its own (the module runs clobber the scratch
// buffers). "memory allocation" when the copy cannot be made.
int popCopy(CalcStackEntry* stack, int* sp, std::vector<double>& copy, int* rows, int* cols) {
  if (!popMatrix(stack, sp, vk_ta, rows, cols)) return 0;
  try {
    copy.assign(vk_ta, vk_ta + static_cast<std::size_t>(*rows) * *cols);
  } catch (const std::bad_alloc&) {
    return fail("memory allocation");
  }
  return 1;
}

int gaussNewton(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popString(stack, sp, vk_ta)) return 0;
  int module = 0;
  if (!pravella::vkFindNumericModule(text(vk_ta), 3, &module) || UFNtable[module].argc != 3)
    return fail("Unknown Usr function.");
  int rows = 0, cols = 0;
  if (!popMatrix(stack, sp, vk_ta, &rows, &cols)) return 0;
  if (rows != 1 || cols != 2) return invalidArguments();
  const double tolerance = vk_ta[0];
  const double damping = vk_ta[1];
  std::vector<double> x, y, params, steps, extra;
  int er = 0, ec = 0, dr = 0, dc = 0, pr = 0, pc = 0, yr = 0, yc = 0, xr = 0, xc = 0;
  if (!popCopy(stack, sp, extra, &er, &ec)) return 0;
  if (!popCopy(stack, sp, steps, &dr, &dc)) return 0;
  if (dr != 1 || dc < 1) return invalidArguments();
  if (!popCopy(stack, sp, params, &pr, &pc)) return 0;
  if (pr != 1 || pc != dc) return invalidArguments();
  if (!popCopy(stack, sp, y, &yr, &yc)) return 0;
  if (yr < 1 || yc < 1) return invalidArguments();
  if (!popCopy(stack, sp, x, &xr, &xc)) return 0;
  if (xr < 1 || xc < 1) return invalidArguments();
  std::vector<double> out(static_cast<std::size_t>(pc));
  if (!Do_Gauss_Newton_2(x.data(), xr, xc, y.data(), yr, yc, params.data(), steps.data(), pr, pc,
                         extra.data(), er, ec, tolerance, damping, module, out.data(), stack, sp))
    return 0;
  return pushMatrix(stack, sp, out.data(), 1, pc);
}

// ---------------------------------------------------------------------------------------

constexpr VkBuiltin kG[] = {
    {"getVolumeData", 1, pravella::builtins::volume::getVolumeData},
    {"getVolumeData", 2, pravella::builtins::volume::getVolumeData},
    {"getVolumeImage", 3, pravella::builtins::volume::getVolumeImage},
    {"getVolume_correlation", 3, pravella::builtins::volume::getVolumeCorrelation},
    {"getVolume_correlation", 4, pravella::builtins::volume::getVolumeCorrelation},
    {"gradVolumeData", 1, pravella::builtins::volume::gradVolumeData},
    // OpenGL plot windows (lang/builtins/gl_builtins.h).
    {"getGLPicture", 1, pravella::builtins::getGLPicture},
    {"getGLPict", 1, pravella::builtins::getGLPicture},
    {"gazoHosei", 1, vkGazoHoseiBuiltin},
    {"gazoHosei", 2, vkGazoHoseiBuiltin},
    {"gazoHosei", 3, vkGazoHoseiBuiltin},
    {"graphInsertMode", 1, graphInsertMode},
    {"getDropedFilesPathOnAmMode", 1, getDropedFilesPathOnAmMode},
    {"getTextDrawSize", 4, getTextDrawSize},
    {"getTempDataPath", 1, getTempDataPath},
    {"getFileNameFromFullPath", 1, getFileNameFromFullPath},
    {"getNowFileName", 1, getNowFileName},
    {"graphTitle", 3, vkPictureBuiltinEntry},
    {"graphTitle", 4, vkPictureBuiltinEntry},
    {"graphTitle", 6, vkPictureBuiltinEntry},
    {"gauss_newton", 7, gaussNewton},
    {"getClipText", 1, getClipText},
    {"getClipData", 1, getClipData},
    {"getClipPict", 1, getClipPict},
    {"getStringLine", 1, getStringLine},
    {"getPictSize", 1, vkPictureBuiltinEntry},
    {"graphBlendLevel", 1, vkPictureBuiltinEntry},
    {"graphOpeMode", 1, vkPictureBuiltinEntry},
    {"getNthString", 2, getNthString},
    {"getFormat", 1, getFormat},
    {"getDispFormat", 1, getFormat},
    {"getSaveFormat", 1, getSaveFormat},
    {"getMaxCell", 1, getMaxCellBuiltin},
    {"GCD", 1, gcdBuiltin},
    {"gProcess", 2, gProcess2},
    {"gProcess", 3, gProcess3},
    {"gamma", 1, gammaBuiltin},
    {"getStringFromFile", 2, getStringFromFile},
    {"getNthItemFromString", 2, getNthItemFromString},
    {"getString", 3, getString},
    {"getCommandArgN", 1, getCommandArgNBuiltin},
    {"getCommandNthArg", 2, getCommandNthArgBuiltin},
    // Hand editors (lang/builtins/hand_editor_builtins.h).
    {"grEdit", 2, grEditBuiltin},
    {"grEdit", 3, grEditBuiltin},
    {"getPictPoints", 1, getPictPointsBuiltin},
    {"getPictPoints", 2, getPictPointsBuiltin},
    {"getPictPoints", 3, getPictPointsBuiltin},
    {"getPictPointsData", 1, getPictPointsDataBuiltin},
    {"getDensityPlotEditPointsData", 1, getPictPointsDataBuiltin},
};

}  // namespace

int DoFunctionG(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kG, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableG() { return kG; }
