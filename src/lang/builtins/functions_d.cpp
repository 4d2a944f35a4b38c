// Built-ins D: one table, in the order of precedence.

#include "lang/builtins/dictionary_builtins.h"
#include "lang/builtins/dispatch.h"

#include <QByteArray>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "diary/calendar_arithmetic.h"
#include "graphics/canvas_drawing.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/hand_editor_builtins.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/volume_builtins.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/modules.h"
#include "lang/run_state.h"
#include "lang/stdlib/linear_algebra.h"
#include "lang/stdlib/matrix_utils.h"
#include "lang/stdlib/numeric_kernels.h"
#include "lang/variables.h"
#include "platform/cformat.h"

namespace {

int deleteModule(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  char* name = reinterpret_cast<char*>(vk_ta);
  if (!vkPopString(stack, sp, name)) return 0;
  if (std::strcmp(name, "all") == 0) return DoDeleteModuleAll();
  int index = 0;
  if (!findModule(name, &index)) {
    error_disp("Module is not exist.");
    return 0;
  }
  return DoDeleteModule(index);
}

// The joined path of the working folder and a relative name may hold at most 2047 bytes.
constexpr std::size_t kDeletePathBytes = 2048;

int deleteFileBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  const char* name = reinterpret_cast<const char*>(vk_ta);
  if (!a.isString() || name[0] == '\0') return vkInvalidArguments();
  std::string path;
  if (!changeFullPath(name, path, kDeletePathBytes)) return 0;
  if (std::remove(path.c_str()) != 0) {
    error_disp("File does not find !");
    return 0;
  }
  return 1;
}

// The argument is not used; the table is emptied whatever it is.
int deleteAllVariableBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  deleteAllVariable();
  return 1;
}

int pushPicture(CalcStackEntry* stack, int* sp, const pravella::Picture& picture) {
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture, static_cast<int>(picture.size()),
                     0);
}

QByteArray pictureBytes(const double* buffer, const VkArg& arg) {
  return QByteArray(reinterpret_cast<const char*>(buffer), arg.rows);
}

bool isPair(const VkArg& a) { return a.isReal() && a.rows == 1 && a.cols == 2; }

int drawBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg size, rows;
  if (!vkPopArg(stack, sp, vk_tb, &size)) return 0;
  if (!isPair(size)) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &rows)) return 0;
  if (!rows.isReal() || (rows.cols != 7 && rows.cols != 10)) return vkInvalidArguments();
  pravella::Picture picture;
  const int ok =
      rows.cols == 7 ? DoDraw(vk_ta, vk_tb, rows.rows, picture) : DoDraw2(vk_ta, vk_tb, rows.rows, picture);
  if (!ok) return 0;
  return pushPicture(stack, sp, picture);
}

int drawPictureInCanvasBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg position, canvas, picture;
  if (!vkPopArg(stack, sp, vk_tc, &position)) return 0;
  if (!isPair(position)) return vkInvalidArguments();
  const int x = vkTruncToInt(vk_tc[0]), y = vkTruncToInt(vk_tc[1]);
  if (!vkPopArg(stack, sp, vk_tb, &canvas)) return 0;
  pravella::Picture out;
  if (canvas.isReal()) {
    if (!isPair(canvas) || !(vk_tb[0] > 0) || !(vk_tb[1] > 0)) return vkInvalidArguments();
    if (!vkPopArg(stack, sp, vk_ta, &picture)) return 0;
    if (!picture.isPicture()) return vkInvalidArguments();
    if (!DoDrawPictureInCanvas_1(pictureBytes(vk_ta, picture), vkTruncToInt(vk_tb[0]), vkTruncToInt(vk_tb[1]),
                                 x, y, out))
      return 0;
  } else if (canvas.isPicture()) {
    if (!vkPopArg(stack, sp, vk_ta, &picture)) return 0;
    if (!picture.isPicture()) return vkInvalidArguments();
    if (!DoDrawPictureInCanvas_2(pictureBytes(vk_ta, picture), pictureBytes(vk_tb, canvas), x, y, out))
      return 0;
  } else {
    return vkInvalidArguments();
  }
  return pushPicture(stack, sp, out);
}

// The font and colour names are kept to 255 bytes, as their fields hold.
std::string nameField(const double* buffer) {
  return std::string(reinterpret_cast<const char*>(buffer)).substr(0, 255);
}

int drawStringInCanvasBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  auto fail = [](const char* message) {
    error_disp(message);
    return 0;
  };
  VkArg a;
  if (!vkPopArg(stack, sp, vk_tc, &a)) return 0;
  if (!a.isNumber()) return fail("Invalid TextFace.");
  const int face = vkTruncToInt(vk_tc[0]);
  if (!vkPopArg(stack, sp, vk_tc, &a)) return 0;
  if (!a.isNumber()) return fail("Invalid FontSize.");
  const int fontSize = vkTruncToInt(vk_tc[0]);
  if (!vkPopArg(stack, sp, vk_tc, &a)) return 0;
  if (!a.isString()) return fail("Invalid FontColor.");
  const std::string colour = nameField(vk_tc);
  if (!vkPopArg(stack, sp, vk_tc, &a)) return 0;
  if (!a.isString()) return fail("Invalid FontName.");
  const std::string font = nameField(vk_tc);
  if (!vkPopArg(stack, sp, vk_tb, &a)) return 0;
  if (!a.isString()) return fail("Invalid string.");
  const std::string text(reinterpret_cast<const char*>(vk_tb));
  if (!vkPopArg(stack, sp, vk_tc, &a)) return 0;
  if (!isPair(a)) return fail("Invalid TextFace.");
  const int x = vkTruncToInt(vk_tc[0]), y = vkTruncToInt(vk_tc[1]);
  VkArg canvas;
  if (!vkPopArg(stack, sp, vk_ta, &canvas)) return 0;
  pravella::Picture out;
  int ok = 0;
  if (canvas.isPicture()) {
    ok = DoDrawStringInCanvas(pictureBytes(vk_ta, canvas), x, y, text, font, colour, fontSize, face, out);
  } else if (isPair(canvas) && vk_ta[0] > 0 && vk_ta[1] > 0) {
    const auto packed =
        static_cast<std::int32_t>((static_cast<std::uint32_t>(vkTruncToInt(vk_ta[0])) << 16) |
                                  (static_cast<std::uint32_t>(vkTruncToInt(vk_ta[1])) & 0xFFFF));
    ok = DoDrawStringInCanvas_2(packed, x, y, text, font, colour, fontSize, face, out);
  } else {
    return fail("Invalid Graph.");
  }
  if (!ok) return fail("Invalid Data.");
  return pushPicture(stack, sp, out);
}

// Markup tags, CR, LF and TAB removed; the tags P, /P and BR become line feeds.
int deleteTagBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  const char* text = reinterpret_cast<const char*>(vk_ta);
  if (!a.isString() || text[0] == '\0') return vkInvalidArguments();
  const std::size_t length = std::strlen(text);
  std::string out, tag;
  for (std::size_t i = 0; i < length; ++i) {
    const char ch = text[i];
    if (ch == '\r' || ch == '\n' || ch == '\t') continue;
    if (ch != '<') {
      out += ch;
      continue;
    }
    tag.clear();
    int depth = 0;
    std::size_t j = i + 1;
    for (; j < length; ++j) {
      const char t = text[j];
      if (t == '<') {
        ++depth;
      } else if (t == '>') {
        if (--depth < 0) break;
      } else {
        tag += static_cast<char>(std::toupper(static_cast<unsigned char>(t)));
      }
    }
    i = j;
    if (tag == "P" || tag == "/P" || tag == "BR") out += '\n';
  }
  return vkPushString(stack, sp, out.c_str(), static_cast<int>(out.size()));
}

// Rows whose first two columns repeat a row already kept are dropped; order is kept.
int deleteSamePointBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal() || m.rows < 2 || m.cols < 2) return vkInvalidArguments();
  const int cols = m.cols;
  int kept = 0;
  // Each point is compared with every point kept before it: many distinct points take minutes.
  VkBreakByWork breakTest;
  for (int i = 0; i < m.rows; ++i) {
    if (breakTest.held(kept + 1)) {
      error_disp(kVkBreakMessage);
      return 0;
    }
    const double* row = vk_ta + static_cast<long long>(i) * cols;
    bool seen = false;
    for (int k = 0; k < kept && !seen; ++k) {
      const double* other = vk_tc + static_cast<long long>(k) * cols;
      seen = other[0] == row[0] && other[1] == row[1];
    }
    if (seen) continue;
    std::memcpy(vk_tc + static_cast<long long>(kept) * cols, row, sizeof(double) * cols);
    ++kept;
  }
  return vkPushReals(stack, sp, vk_tc, kept, cols);
}

int dqrBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal() || m.rows != m.cols || m.rows < 1 || m.rows > 100) return vkInvalidArguments();
  if (!DQR_main(vk_ta, m.rows, vk_tb)) return 0;
  return vkPushReals(stack, sp, vk_tb, 2, m.rows);
}

int dec2hex(CalcStackEntry* stack, int* sp, const VkArg& m, int width) {
  std::string text, hex;
  for (int r = 0; r < m.rows; ++r) {
    for (int c = 0; c < m.cols; ++c) {
      if (c) text += '\t';
      DecToHex(static_cast<unsigned int>(vkTruncToInt(vk_ta[static_cast<long long>(r) * m.cols + c])), hex,
               width);
      text += hex;
    }
    text += '\n';
  }
  return vkPushString(stack, sp, text.c_str(), static_cast<int>(text.size()));
}

int dec2hex1Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal()) return vkInvalidArguments();
  return dec2hex(stack, sp, m, 0);
}

int dec2hex2Builtin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg w, m;
  if (!vkPopArg(stack, sp, vk_tb, &w)) return 0;
  if (!w.isNumber()) return vkInvalidArguments();
  const int width = vkTruncToInt(vk_tb[0]);
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal()) return vkInvalidArguments();
  return dec2hex(stack, sp, m, width);
}

int detBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal()) return vkInvalidArguments();
  double det = 0;
  if (!DoInv(vk_ta, reinterpret_cast<int*>(vk_tb), vk_tc, m.rows, m.cols, &det)) return 0;
  return vkPushScalar(stack, sp, det);
}

int dayWeekBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal() || m.cols != 3) return vkInvalidArguments();
  get_DayWeek(vk_ta, m.rows, vk_tb);
  return vkPushReals(stack, sp, vk_tb, m.rows, 1);
}

int distanceBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  // The n x n result must fit a value (and the buffer it is built in).
  if (!m.isReal() || static_cast<long long>(m.rows) * m.rows > TNumber) return vkInvalidArguments();
  if (!DoDistance(vk_ta, vk_tc, m.rows, m.cols)) return 0;
  return vkPushReals(stack, sp, vk_tc, m.rows, m.rows);
}

int dLimitBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg limit, data;
  if (!vkPopArg(stack, sp, vk_ta, &limit)) return 0;
  if (!limit.isReal()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_tb, &data)) return 0;
  if (!data.isReal()) return vkInvalidArguments();
  if (!DoLimit(vk_ta, vk_tb, vk_tc, limit.rows, limit.cols, data.rows, data.cols, 0)) return 0;
  return vkPushReals(stack, sp, vk_tc, data.rows, data.cols);
}

// The local time of a seconds count given as a number not below 0; false after "Invalid
// arguments." The count is limited to an unsigned 32-bit value; later times than 2038 are shown
// as they are, since the platform's time value is 64-bit.
bool localTimeOfArgument(CalcStackEntry* stack, int* sp, std::tm* tm) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return false;
  if (!(v >= 0.0)) {
    vkInvalidArguments();
    return false;
  }
  const std::time_t t = static_cast<std::time_t>(std::fmin(std::trunc(v), 4294967295.0));
  if (!localtime_r(&t, tm)) {
    vkInvalidArguments();
    return false;
  }
  return true;
}

int dateTimeStringBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::tm tm{};
  if (!localTimeOfArgument(stack, sp, &tm)) return 0;
  // The fixed form of the C library's asctime (25 bytes with the line feed).
  static const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::string text =
      pravella::cformat("%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[tm.tm_wday], kMonths[tm.tm_mon], tm.tm_mday,
                        tm.tm_hour, tm.tm_min, tm.tm_sec, 1900 + tm.tm_year);
  return vkPushString(stack, sp, text.c_str(), static_cast<int>(text.size()));
}

int dateTimeKStringBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::tm tm{};
  if (!localTimeOfArgument(stack, sp, &tm)) return 0;
  const std::string text = pravella::cformat("%4d/%02d/%02d (%02d:%02d:%02d)", 1900 + tm.tm_year,
                                             tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return vkPushString(stack, sp, text.c_str(), static_cast<int>(text.size()));
}

int dateTimeBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg m;
  if (!vkPopArg(stack, sp, vk_ta, &m)) return 0;
  if (!m.isReal() || m.elements() < 1) return vkInvalidArguments();
  const int mode = vkTruncToInt(vk_ta[0]);
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  const double all[7] = {1900.0 + tm.tm_year,
                         tm.tm_mon + 1.0,
                         static_cast<double>(tm.tm_mday),
                         static_cast<double>(tm.tm_hour),
                         static_cast<double>(tm.tm_min),
                         static_cast<double>(tm.tm_sec),
                         static_cast<double>(tm.tm_wday)};
  std::memcpy(vk_tc, all, sizeof all);
  switch (mode) {
    case 1:
      return vkPushReals(stack, sp, vk_tc, 1, 3);
    case 2:
      return vkPushReals(stack, sp, vk_tc + 3, 1, 3);
    case 3:
      return vkPushReals(stack, sp, vk_tc, 1, 6);
    default:
      return vkPushReals(stack, sp, vk_tc, 1, 7);
  }
}

constexpr VkBuiltin kD[] = {
    {"deleteVolumeData", 1, pravella::builtins::volume::deleteVolumeData},
    {"decVolumeData4", 1, pravella::builtins::volume::decVolumeData4},
    {"deleteModule", 1, deleteModule},
    {"deleteFile", 1, deleteFileBuiltin},
    {"deleteAllVariable", 1, deleteAllVariableBuiltin},
    {"draw", 2, drawBuiltin},
    {"drawPictureInCanvas", 3, drawPictureInCanvasBuiltin},
    {"drawStringInCanvas", 7, drawStringInCanvasBuiltin},
    // Pictures (graphics/picture_builtins.h).
    {"densityPlot", kAnyArgc, vkPictureBuiltinEntry},
    {"deleteTag", 1, deleteTagBuiltin},
    {"deleteSamePoint", 1, deleteSamePointBuiltin},
    {"DQR", 1, dqrBuiltin},
    {"dec2hex", 1, dec2hex1Builtin},
    {"dec2hex", 2, dec2hex2Builtin},
    {"det", 1, detBuiltin},
    {"dayWeek", 1, dayWeekBuiltin},
    {"distance", 1, distanceBuiltin},
    {"dLimit", 2, dLimitBuiltin},
    {"dateTimeString", 1, dateTimeStringBuiltin},
    {"dateTimeKString", 1, dateTimeKStringBuiltin},
    {"dateTime", 1, dateTimeBuiltin},
    {"dicKensakuList", 2, dicKensakuListEntry},
    // Hand editors (lang/builtins/hand_editor_builtins.h).
    {"densityPlotEdit", 1, pravella::builtins::densityPlotEditBuiltin},
    {"densityPlotEdit", 2, pravella::builtins::densityPlotEditBuiltin},
    {"densityPlotEdit2", 1, pravella::builtins::densityPlotEdit2Builtin},
    {"densityPlotEdit2", 2, pravella::builtins::densityPlotEdit2Builtin},
    {"densityPlotEdit2", 3, pravella::builtins::densityPlotEdit2Builtin},
};

}  // namespace

int DoFunctionD(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kD, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableD() { return kD; }
