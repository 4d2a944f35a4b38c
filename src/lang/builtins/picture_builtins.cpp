#include "lang/builtins/picture_builtins.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/color_table.h"
#include "graphics/graph_title.h"
#include "graphics/offscreen.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"
#include "graphics/picture_files.h"
#include "graphics/picture_ops.h"
#include "graphics/pixel_ops.h"
#include "lang/builtins/work_folders.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/values.h"
#include "platform/atomic_file.h"
#include "platform/cformat.h"
#include "platform/notification_center.h"
#include "tools/jpeg_file.h"
#include "tools/pictures/picture_folder.h"

namespace {

// Operands are read in place and dropped together once the case is known: the stack keeps
// its buffers, so nothing is copied that is not needed.
const CalcStackEntry& arg(const CalcStackEntry* stack, int sp, int argc, int k) {
  return stack[sp - argc + k];
}

bool isPicture(const CalcStackEntry& e) { return e.type == kValuePicture; }
bool isReal(const CalcStackEntry& e) { return e.type == kValueReal; }
bool isNumber(const CalcStackEntry& e) { return e.type == kValueReal && e.msize == 1 && e.nsize == 1; }
bool isString(const CalcStackEntry& e) { return e.type == kValueString; }
bool isRealShape(const CalcStackEntry& e, int rows, int columns) {
  return e.type == kValueReal && e.msize == rows && e.nsize == columns;
}

QByteArray bytesOf(const CalcStackEntry& e) {
  return QByteArray(reinterpret_cast<const char*>(e.data.data()), static_cast<qsizetype>(e.msize));
}
std::string textOf(const CalcStackEntry& e) {
  return std::string(e.data.chars(), static_cast<std::size_t>(std::max(0, e.msize)));
}
double number(const CalcStackEntry& e, int k = 0) { return e.data.doubles()[k]; }

void drop(int* sp, int n) { *sp -= n; }

int fail(int* sp, int argc, const char* message) {
  drop(sp, argc);
  if (message) error_disp(message);
  return 0;
}

int pushPicture(CalcStackEntry* stack, int* sp, const QByteArray& picture) {
  return PushToStack(stack, sp, picture.constData(), kValuePicture, static_cast<int>(picture.size()), 0);
}

int pushReals(CalcStackEntry* stack, int* sp, const double* values, int rows, int columns) {
  return PushToStack(stack, sp, values, kValueReal, rows, columns);
}

// A picture routine's result replaces the operands; a failed routine has reported.
int finishPicture(CalcStackEntry* stack, int* sp, int argc, int ok, const QByteArray& out) {
  drop(sp, argc);
  if (!ok) return 0;
  return pushPicture(stack, sp, out);
}

int graphTitleBuiltin(int argc, CalcStackEntry* stack, int* sp) {
  if (argc != 3 && argc != 4 && argc != 6) return fail(sp, argc, "Invalid arguments.");
  const CalcStackEntry& slot = arg(stack, *sp, argc, 0);
  const CalcStackEntry& text = arg(stack, *sp, argc, 1);
  const CalcStackEntry& at = arg(stack, *sp, argc, 2);
  if (!isNumber(slot) || !isString(text) || !isRealShape(at, 1, 2))
    return fail(sp, argc, "Invalid arguments.");
  std::string color = "black", font;
  int size = 9;
  if (argc >= 4) {
    if (!isString(arg(stack, *sp, argc, 3))) return fail(sp, argc, "Invalid arguments.");
    color = textOf(arg(stack, *sp, argc, 3));
  }
  if (argc == 6) {
    if (!isString(arg(stack, *sp, argc, 4)) || !isNumber(arg(stack, *sp, argc, 5)))
      return fail(sp, argc, "Invalid arguments.");
    font = textOf(arg(stack, *sp, argc, 4));
    size = static_cast<std::int16_t>(vkTruncToInt(number(arg(stack, *sp, argc, 5))) & 0xFFFF);
  }
  // Compared as unsigned: a negative slot is refused like one past the end.
  const auto index = static_cast<std::uint32_t>(vkTruncToInt(number(slot)));
  if (index >= static_cast<std::uint32_t>(kGraphTitleSlots)) return fail(sp, argc, "Invalid arguments.");
  setGraphTitle(static_cast<int>(index), textOf(text), vkTruncToInt(number(at, 0)),
                vkTruncToInt(number(at, 1)), argc, color, font, size);
  drop(sp, argc);
  return 1;
}

int densityPlotBuiltin(int argc, CalcStackEntry* stack, int* sp) {
  if (argc != 1 && argc != 2) return fail(sp, argc, "Invalid arguments.");
  const CalcStackEntry& m = arg(stack, *sp, argc, 0);
  if (!isReal(m) || m.msize < 2 || m.nsize < 2) return fail(sp, argc, "Invalid arguments.");
  double upper = 0, lower = 0;
  if (argc == 2) {
    const CalcStackEntry& range = arg(stack, *sp, argc, 1);
    if (!isRealShape(range, 1, 2)) return fail(sp, argc, "Invalid arguments.");
    upper = number(range, 0);
    lower = number(range, 1);
  }
  std::vector<double> values(m.data.doubles(),
                             m.data.doubles() + static_cast<std::size_t>(m.msize) * m.nsize);
  QByteArray out;
  const int ok = DoDensityPlot(values.data(), m.msize, m.nsize, upper, lower, out);
  return finishPicture(stack, sp, argc, ok, out);
}

int pastePictWithPath(int argc, CalcStackEntry* stack, int* sp) {
  const CalcStackEntry& picture = arg(stack, *sp, argc, 0);
  const CalcStackEntry& comment = arg(stack, *sp, argc, 1);
  if (argc != 2 || !isPicture(picture) || !isString(comment)) return fail(sp, argc, "Invalid arguments.");
  if (comment.msize >= 256) return fail(sp, argc, "Invalid file name.");
  // Numbered per process, so that every pasted picture keeps a file of its own.
  static long tempPictNum = 1;
  // The work folder as start-up set it, or made under the home folder when nothing did (a
  // run without the window): never a name at the filesystem's root.
  const std::string path =
      pravella::languageWorkFolder() + pravella::cformat("/tempPict%05ld.jpg", tempPictNum++);
  if (SaveJPEG_x(path, bytesOf(picture)) != 0) return fail(sp, argc, "Invalid PICT.");
  const std::string text = textOf(comment);
  // The arguments go before the memo takes the picture.
  drop(sp, argc);
  if (!pravella::writeCommentToJPEGFile(path, text)) {
    error_disp("Invalid PICT.");
    return 0;
  }
  return 1;
}

}  // namespace

int vkPictureOperands(char c, const CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack,
                      int* sp) {
  const bool addSub = c == '+' || c == '-';
  const bool mulDiv = c == '*' || c == '/';
  QByteArray out;
  int ok = 0;
  if (isPicture(a) && isPicture(b)) {
    if (addSub) {
      ok = DoGraphOpeCalc2(bytesOf(a), bytesOf(b), c, out);
    } else if (c == '*') {
      // The joins take the right operand as picture 1: it goes right of, or below, the left.
      ok = DoAddPictureToRight(bytesOf(b), bytesOf(a), out);
    } else if (c == '/') {
      ok = DoAddPictureToBelow(bytesOf(b), bytesOf(a), out);
    } else if (c == 'x') {
      ok = OpePict(bytesOf(a), bytesOf(b), out);
    } else {
      error_disp("Invalid data type.");
      return 0;
    }
  } else if (isPicture(a) && isReal(b) && (addSub || mulDiv)) {
    if (b.msize != 1 || (b.nsize != 1 && b.nsize != 3)) {
      error_disp("Invalid data structure.");
      return 0;
    }
    const double r = number(b, 0);
    const double g = b.nsize == 3 ? number(b, 1) : r;
    const double bl = b.nsize == 3 ? number(b, 2) : r;
    ok = DoGraphOpeCalc(bytesOf(a), c, r, g, bl, out);
  } else {
    error_disp(addSub ? "Invalid data structure." : "Invalid data type.");
    return 0;
  }
  return ok ? pushPicture(stack, sp, out) : 0;
}

int vkPictureTransposed(const CalcStackEntry& a, CalcStackEntry* stack, int* sp) {
  QByteArray out;
  if (!DoTrnPicture(bytesOf(a), out)) return 0;
  return pushPicture(stack, sp, out);
}

int vkPictureOperator(const std::string& op, CalcStackEntry* stack, int* sp) {
  if (op == "'") {
    if (*sp < 1 || !isPicture(stack[*sp - 1])) return -1;
    const CalcStackEntry a = stack[*sp - 1];
    drop(sp, 1);
    return vkPictureTransposed(a, stack, sp);
  }
  if (op.size() != 1 || std::strchr("+-*/x%", op[0]) == nullptr) return -1;
  if (*sp < 2 || (!isPicture(stack[*sp - 2]) && !isPicture(stack[*sp - 1]))) return -1;
  const CalcStackEntry a = stack[*sp - 2];
  const CalcStackEntry b = stack[*sp - 1];
  drop(sp, 2);
  return vkPictureOperands(op[0], a, b, stack, sp);
}

int vkLoadPictureFile(const std::string& path, QByteArray& out) {
  if (canImportPicture(path)) return DoLoadPicture(path, out);
  // A readable file that no reader knows (text, an empty file, garbage under a picture's
  // name) is a failure, not the no-image picture passed off as what was loaded. One that is
  // missing or unreadable fails with the system's reason (canImportPicture hands it on).
  error_disp("not a picture file");
  return 0;
}

int vkPictureBuiltin(const std::string& name, int argc, CalcStackEntry* stack, int* sp) {
  if (argc < 0 || *sp < argc) return -1;
  auto first = [&]() -> const CalcStackEntry& { return arg(stack, *sp, argc, 0); };

  if (name == "flipH" || name == "flipHorizontal" || name == "flipV" || name == "flipVertical") {
    if (argc != 1 || !isPicture(first())) return -1;
    QByteArray out;
    const int flag = (name == "flipV" || name == "flipVertical") ? 1 : 0;
    return finishPicture(stack, sp, 1, DoFlipPicture(bytesOf(first()), flag, out), out);
  }
  if (name == "smooth") {
    if (argc < 1 || argc > 2 || !isPicture(first())) return -1;
    int flags[3] = {1, 1, 1};
    if (argc == 2) {
      const CalcStackEntry& f = arg(stack, *sp, argc, 1);
      if (!isRealShape(f, 1, 3)) return fail(sp, argc, "Invalid arguments.");
      for (int k = 0; k < 3; ++k) flags[k] = vkTruncToInt(number(f, k));
    }
    QByteArray out;
    return finishPicture(stack, sp, argc, DoSmoothGraph(bytesOf(first()), flags[0], flags[1], flags[2], out),
                         out);
  }
  if (name == "save") {
    if (argc != 2 || !isPicture(first())) return -1;
    const CalcStackEntry& file = arg(stack, *sp, argc, 1);
    if (!isString(file)) return fail(sp, argc, "Invalid arguments.");
    if (file.msize == 0) return fail(sp, argc, "Need saveFileName");
    const int ok = DoSavePicture2(textOf(file), bytesOf(first()));
    drop(sp, argc);
    return ok;
  }
  if (name == "changeCopyBitsMode") {
    if (argc != 1 || !isNumber(first())) return fail(sp, argc, "Invalid arguments.");
    doChangeCopyBitsMode(vkTruncToInt(number(first())));
    drop(sp, argc);
    return 1;
  }
  if (name == "copyPicture" || name == "copyPictureToScrap") {
    if (argc != 1 || !isPicture(first())) return fail(sp, argc, "Invalid arguments.");
    const int ok = DoCopyPictureToScrap(bytesOf(first()));
    drop(sp, argc);
    return ok;
  }
  if (name == "getPictSize") {
    if (argc != 1 || !isPicture(first())) return fail(sp, argc, "Invalid arguments.");
    const QRect frame = pravella::Picture(bytesOf(first())).frame();
    const double size[2] = {static_cast<double>(frame.width()), static_cast<double>(frame.height())};
    drop(sp, argc);
    return pushReals(stack, sp, size, 1, 2);
  }
  if (name == "graphTitle") return graphTitleBuiltin(argc, stack, sp);
  if (name == "densityPlot") return densityPlotBuiltin(argc, stack, sp);
  if (name == "graphBlendLevel") {
    if (argc != 1 || !isRealShape(first(), 1, 3)) return fail(sp, argc, "Invalid arguments.");
    const int ok = DoBlendLevel(number(first(), 0), number(first(), 1), number(first(), 2));
    drop(sp, argc);
    return ok;
  }
  if (name == "graphOpeMode") {
    if (argc != 1 || !isNumber(first())) return fail(sp, argc, "Invalid arguments.");
    const int ok = DoChangeOpeMode(vkTruncToInt(number(first())));
    drop(sp, argc);
    return ok;
  }
  if (name == "loadPicture") {
    if (argc != 1 || !isString(first())) return fail(sp, argc, "Invalid arguments.");
    QByteArray out;
    return finishPicture(stack, sp, argc, vkLoadPictureFile(textOf(first()), out), out);
  }
  if (name == "pastePictWithPath") return pastePictWithPath(argc, stack, sp);
  if (name == "popRGBColor") {
    if (argc != 1 || (!isString(first()) && !isNumber(first()))) return fail(sp, argc, "Invalid arguments.");
    std::vector<double> table(768);
    const bool text = isString(first());
    const int ok = vkColorTable_RGB(text ? textOf(first()) : std::string(), text ? 0.0 : number(first()),
                                    text ? kValueString : kValueReal, table.data());
    drop(sp, argc);
    return ok ? pushReals(stack, sp, table.data(), 256, 3) : 0;
  }
  if (name == "setJpegQuality") {
    if (argc != 1 || !isNumber(first())) return fail(sp, argc, "Invalid arguments.");
    if (!DoSetJpegQuality(number(first()))) return fail(sp, argc, "Invalid value.");
    drop(sp, argc);
    return 1;
  }
  if (name == "saveJPEG") {
    if (argc != 2 || !isPicture(first()) || !isString(arg(stack, *sp, argc, 1)))
      return fail(sp, argc, "Invalid arguments.");
    const CalcStackEntry& file = arg(stack, *sp, argc, 1);
    if (file.msize > 255) return fail(sp, argc, "Invalid file name.");
    if (SaveJPEG_x(textOf(file), bytesOf(first())) != 0) return fail(sp, argc, "Invalid PICT.");
    drop(sp, argc);
    return 1;
  }
  if (name == "unixColor") {
    if (argc != 1 || !isString(first())) return fail(sp, argc, "Invalid arguments.");
    double rgb[3];
    DoGetUnixColor(textOf(first()), rgb);
    drop(sp, argc);
    return pushReals(stack, sp, rgb, 1, 3);
  }
  return -1;
}

int vkPictureBuiltinEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const vk_Code& rec = code[*pc];
  const int result = vkPictureBuiltin(rec.name, rec.argc, stack, sp);
  if (result >= 0) return result;
  error_disp("Invalid arguments.");
  return 0;
}
