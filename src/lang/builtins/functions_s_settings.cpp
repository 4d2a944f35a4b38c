// Built-ins S: application settings, Japanese code conversions, the progress indicator, the sun
// and moon, the table colours and the plot size.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "diary/calendar_arithmetic.h"
#include "diary/program_settings.h"
#include "diary/sun_moon.h"
#include "editors/dropped_files_path.h"
#include "editors/memo_run_settings.h"
#include "editors/text_services.h"
#include "graphics/contour.h"
#include "graphics/plot2d.h"
#include "graphics/surface3d.h"
#include "graphics/surface_mesh_file.h"
#include "graphics/triangulation.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/command_bridge.h"
#include "lang/builtins/functions_c_args.h"
#include "lang/builtins/functions_s_parts.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/stdlib/cell_label.h"
#include "lang/stdlib/kanji_code.h"
#include "platform/cformat.h"

namespace pravella::builtins::s {

namespace {

// Pops a real matrix of exactly rows x cols into `dst`; "Invalid arguments." otherwise.
int popShape(CalcStackEntry* stack, int* sp, double* dst, int rows, int cols) {
  VkArg a;
  if (!vkPopArg(stack, sp, dst, &a)) return 0;
  return a.isReal() && a.rows == rows && a.cols == cols ? 1 : invalidArguments();
}

// Pops a string into vk_ta and passes it to `convert`, which writes the result into vk_tb.
template <typename Convert>
int convertText(CalcStackEntry* stack, int* sp, Convert convert) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  if (!convert(text(vk_ta), text(vk_tb))) return invalidArguments();
  return pushString(stack, sp, text(vk_tb), static_cast<int>(std::strlen(text(vk_tb))));
}

// Dates and places become whole numbers and angles: refuse what has no such meaning.
bool usableDate(const double* d) {
  for (int i = 0; i < 3; ++i)
    if (!std::isfinite(d[i]) || std::fabs(d[i]) > 1e6) return false;
  return true;
}
bool usablePlace(const double* p) {
  for (int i = 0; i < 3; ++i)
    if (!std::isfinite(p[i]) || std::fabs(p[i]) > 1e6) return false;
  return true;
}

// One line of the report: rise and set, or "--:--" for an event that does not happen.
std::string riseSetLine(const char* body, double riseH, double riseM, double setH, double setM) {
  const std::string label = cformat("  %-10s", body);
  if (riseH >= 0 && setH >= 0)
    return label + cformat("%2.0f:%02.0f - %2.0f:%02.0f\n", riseH, riseM, setH, setM);
  if (riseH < 0 && setH >= 0) return label + cformat("--:-- - %2.0f:%02.0f\n", setH, setM);
  if (riseH >= 0 && setH < 0) return label + cformat("%2.0f:%02.0f - --:--\n", riseH, riseM);
  return label + "--:-- - --:--\n";
}

int setColors(CalcStackEntry* stack, int* sp, ColorTable table, std::initializer_list<int> rowCounts) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  bool shape = a.isReal() && a.cols == 3;
  if (shape) {
    shape = false;
    for (int r : rowCounts) shape = shape || a.rows == r;
  }
  if (!shape) return invalidArguments();
  std::vector<float> values(static_cast<std::size_t>(a.elements()));
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(vk_ta[i]);
  setTableColors(table, values.data(), static_cast<int>(values.size()));
  return 1;
}

}  // namespace

int setRememberStringEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  if (!setRememberString(text(vk_ta))) return fail("Can not save the remembered string.");
  return 1;
}

int setGnuplotGraphWidthEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  if (!(v > 0)) return fail("Invalid data.");
  gnuplotGraphWidth = v;
  return 1;
}

int setGnuPlotPathEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  return setGnuPlotPath(text(vk_ta)) ? 1 : invalidArguments();
}

int sjis2jisNoCntEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  auto* bytes = reinterpret_cast<unsigned char*>(vk_ta);
  const std::size_t n = std::strlen(text(vk_ta));
  // Every pair is taken as one two-byte character; an odd last byte pairs with the terminator.
  for (std::size_t i = 0; i < n; i += 2) sjistojis(bytes + i);
  bytes[n] = 0;
  return pushString(stack, sp, text(vk_ta), static_cast<int>(n));
}

int sjis2eucEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  DoSJIS2EUC(text(vk_ta));
  return pushString(stack, sp, text(vk_ta), static_cast<int>(std::strlen(text(vk_ta))));
}

int sjis2jisEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  std::string out;
  if (!DoSJIS2JIS(text(vk_ta), out)) return invalidArguments();
  return pushString(stack, sp, out.c_str(), static_cast<int>(out.size()));
}

int setDateFontColorEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.rows != 1 || a.cols != 3) return fail("Invalid colorValue.");
  setDateFontColor(vk_ta[0], vk_ta[1], vk_ta[2]);
  return 1;
}

int setInternetWordSearchEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isNumber()) return fail("Invalid TextFace.");
  setInternetWordSearchStatus(vk_ta[0] == 0 ? 0 : 1);
  return 1;
}

int setDropedFilesPathEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isString()) return fail("Invalid TextFace.");
  setDragedFilePathString(text(vk_ta));
  return 1;
}

int setCellStackNumberEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  setCellStackNumber(v);
  return 1;
}

int strlenUTF8Entry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  return vkPushScalar(stack, sp, strlenUTF8(text(vk_ta)));
}

int stringFromShiftJISEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return convertText(stack, sp, [](const char* in, char* out) { return stringFromShiftJIS(in, out); });
}
int stringFromJISEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return convertText(stack, sp, [](const char* in, char* out) { return stringFromJIS(in, out); });
}
int stringFromEUCEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return convertText(stack, sp, [](const char* in, char* out) { return stringFromEUC(in, out); });
}
int stringToShiftJISEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return convertText(stack, sp, [](const char* in, char* out) { return stringToShiftJIS(in, out); });
}
int stringToJISEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return convertText(stack, sp, [](const char* in, char* out) { return stringToJIS(in, out); });
}
int stringToEUCEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return convertText(stack, sp, [](const char* in, char* out) { return stringToEUC(in, out); });
}

int setProcessIndicatorEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popShape(stack, sp, vk_ta, 1, 2)) return 0;
  setProcessIndicator(vk_ta[0], vk_ta[1]);
  return 1;
}

int setProcessIndicatorValueEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  setProcessIndicatorValue(v);
  return 1;
}

int sunMoonReportEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double place[3], date[3], times[8];
  if (!popShape(stack, sp, vk_ta, 1, 3)) return 0;
  std::copy_n(vk_ta, 3, place);
  if (!popShape(stack, sp, vk_ta, 1, 3)) return 0;
  std::copy_n(vk_ta, 3, date);
  if (!usableDate(date) || !usablePlace(place)) return invalidArguments();
  caluculateSunRise(date, place, times);
  const double noon[6] = {date[0], date[1], date[2], 12, 0, 0};
  double ages[2];
  if (!calcMoonAge(noon, 1, ages)) return 0;

  std::string report = cformat("Date        %04.0f/%02.0f/%02.0f\n", date[0], date[1], date[2]);
  report += cformat("Latitude    %+7.2f\n", place[0]);
  report += cformat("Longitude   %+7.2f\n", place[1]);
  report += cformat("TimeZone    %+02.0fhr\n", place[2]);
  report += "             rise    set\n";
  report += riseSetLine("Sun", times[0], times[1], times[2], times[3]);
  report += riseSetLine("Moon", times[4], times[5], times[6], times[7]);
  report += cformat("  Moon Age  %5.2f   %5.2f\n", ages[0], ages[1]);
  return pushString(stack, sp, report.c_str(), static_cast<int>(report.size()));
}

int sunMoonTableEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double place[3];
  if (!popShape(stack, sp, vk_ta, 1, 3)) return 0;
  std::copy_n(vk_ta, 3, place);
  VkArg dates;
  if (!vkPopArg(stack, sp, vk_ta, &dates)) return 0;
  if (!dates.isReal() || dates.rows < 1 || dates.cols != 3 || !usablePlace(place)) return invalidArguments();
  if (dates.elements() * 8 / 3 > TNumber) return invalidArguments();
  std::vector<double> out(static_cast<std::size_t>(dates.rows) * 8);
  for (int i = 0; i < dates.rows; ++i) {
    const double* row = vk_ta + static_cast<std::size_t>(i) * 3;
    if (!usableDate(row)) return invalidArguments();
    caluculateSunRise(row, place, out.data() + static_cast<std::size_t>(i) * 8);
  }
  return pushMatrix(stack, sp, out.data(), dates.rows, 8);
}

int setFileTableColorEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return setColors(stack, sp, ColorTable::File, {2, 4});
}
int setMonthTableColorEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return setColors(stack, sp, ColorTable::Month, {2, 3, 5});
}
int setIndexTableColorEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return setColors(stack, sp, ColorTable::Index, {4});
}
int setBookMarkTableColorEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return setColors(stack, sp, ColorTable::BookMark, {4});
}
int setDocBGColorEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!setColors(stack, sp, ColorTable::DocBG, {3})) return 0;
  return cal_callNotification("cal_dispDocumentView", " ") ? 1 : 0;
}

int setPlotWindowSize1Entry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popShape(stack, sp, vk_ta, 1, 2)) return 0;
  return DoSetWindowSize(vkTruncToInt(vk_ta[0]), vkTruncToInt(vk_ta[1]));
}

int setPlotWindowSize2Entry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.elements() < 1) return invalidArguments();
  const double height = vk_ta[0];
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.elements() < 1) return invalidArguments();
  return DoSetWindowSize(vkTruncToInt(vk_ta[0]), vkTruncToInt(height));
}

int setTopoWindowSize1Entry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.rows != 1 || a.cols != 2) return fail("Invalid data");
  return DoSetTopoWindowSize(vkTruncToInt(vk_ta[0]), vkTruncToInt(vk_ta[1]));
}

int setTopoWindowSize2Entry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.elements() < 1) return fail("Invalid data");
  const double height = vk_ta[0];
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.elements() < 1) return fail("Invalid data");
  return DoSetTopoWindowSize(vkTruncToInt(vk_ta[0]), vkTruncToInt(height));
}

int sankakuHokanEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg list;
  if (!vkPopArg(stack, sp, vk_ta, &list)) return 0;
  if (!list.isReal() || list.rows == 0 || list.cols != 9) return invalidArguments();
  int k = 0;
  if (!DoSankakuHokan(vk_ta, list.rows, vk_tb, &k)) return reportSankakuFailure();
  return pushMatrix(stack, sp, vk_tb, k, 9);
}

int setView3DEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popShape(stack, sp, vk_ta, 1, 6)) return 0;
  return DoSetView3D(vk_ta) ? 1 : invalidArguments();
}

int setParametricPlot3DEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!popShape(stack, sp, vk_ta, 1, 6)) return 0;
  return DoSetparametricPlot3D(vk_ta) ? 1 : invalidArguments();
}

// savePlot3Ddata(X, Y, Z, C, |high, low|, name): C's shape (more than one row and column) is
// the shape of all four.
int savePlot3DdataEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  const std::string name = text(vk_ta);
  double range[2] = {0, 0};
  if (!popShape(stack, sp, vk_tb, 1, 2)) return 0;
  std::copy_n(vk_tb, 2, range);
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.rows <= 1 || a.cols <= 1) return invalidArguments();
  const int rows = a.rows, cols = a.cols;
  const std::size_t n = static_cast<std::size_t>(rows) * cols;
  std::vector<double> matrices[4];  // C, Z, Y, X as popped
  matrices[0].assign(vk_ta, vk_ta + n);
  for (int m = 1; m < 4; ++m) {
    if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
    if (!a.isReal() || a.rows != rows || a.cols != cols) return invalidArguments();
    matrices[m].assign(vk_ta, vk_ta + n);
  }
  if (!saveParametricPlot3DData(matrices[0].data(), matrices[3].data(), matrices[2].data(),
                                matrices[1].data(), range, rows, cols, name))
    return invalidArguments();
  return 1;
}

int sankakuContourPlotEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  double parameters[8] = {0, 0, 0, 0, 0, 0, 0, 0};  // all zero: the levels come from the data
  if (code[*pc].argc == 2) {
    if (!popShape(stack, sp, vk_tb, 1, 8)) return 0;
    std::copy_n(vk_tb, 8, parameters);
  }
  VkArg list;
  if (!vkPopArg(stack, sp, vk_ta, &list)) return 0;
  if (!list.isReal() || list.rows < 1 || list.cols != 9) return invalidArguments();
  // Triangle records: three unused values, the corners' x and y, then their heights.
  std::vector<double> records(static_cast<std::size_t>(list.rows) * 12);
  for (int i = 0; i < list.rows; ++i) {
    const double* t = vk_ta + static_cast<std::size_t>(i) * 9;
    double* r = records.data() + static_cast<std::size_t>(i) * 12;
    const double record[12] = {0, 0, 0, t[0], t[1], t[3], t[4], t[6], t[7], t[2], t[5], t[8]};
    std::copy_n(record, 12, r);
  }
  pravella::Picture picture;
  if (!DoSankakuTopo(records.data(), list.rows, parameters[0], parameters[1], parameters[2], parameters[3],
                     parameters[4], parameters[5], parameters[6], parameters[7], picture))
    return 0;
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture,
                     static_cast<int>(picture.bytes().size()), 0);
}

}  // namespace pravella::builtins::s
