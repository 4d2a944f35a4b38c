#pragma once
// The built-ins S, in three groups: settings and code conversions (functions_s_settings.cpp),
// text, saving and formats (functions_s_text.cpp), mathematics, sorting and series
// (functions_s_math.cpp). Each has the frame arguments of the dispatchers.

#include "lang/report.h"
#include "lang/values.h"

namespace pravella::builtins::s {

// The scratch buffers hold strings as bytes.
inline char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

// Reports a failure of the built-in.
inline int fail(const char* message) {
  error_disp(message);
  return 0;
}

#define VK_S_ENTRY(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)

// Settings, windows and conversions.
VK_S_ENTRY(setRememberStringEntry);
VK_S_ENTRY(setGnuplotGraphWidthEntry);
VK_S_ENTRY(setGnuPlotPathEntry);
VK_S_ENTRY(sjis2jisNoCntEntry);
VK_S_ENTRY(sjis2eucEntry);
VK_S_ENTRY(sjis2jisEntry);
VK_S_ENTRY(setDateFontColorEntry);
VK_S_ENTRY(setInternetWordSearchEntry);
VK_S_ENTRY(setDropedFilesPathEntry);
VK_S_ENTRY(setCellStackNumberEntry);
VK_S_ENTRY(strlenUTF8Entry);
VK_S_ENTRY(stringFromShiftJISEntry);
VK_S_ENTRY(stringFromJISEntry);
VK_S_ENTRY(stringFromEUCEntry);
VK_S_ENTRY(stringToShiftJISEntry);
VK_S_ENTRY(stringToJISEntry);
VK_S_ENTRY(stringToEUCEntry);
VK_S_ENTRY(setProcessIndicatorEntry);
VK_S_ENTRY(setProcessIndicatorValueEntry);
VK_S_ENTRY(sunMoonReportEntry);
VK_S_ENTRY(sunMoonTableEntry);
VK_S_ENTRY(setFileTableColorEntry);
VK_S_ENTRY(setMonthTableColorEntry);
VK_S_ENTRY(setIndexTableColorEntry);
VK_S_ENTRY(setBookMarkTableColorEntry);
VK_S_ENTRY(setDocBGColorEntry);
VK_S_ENTRY(setPlotWindowSize1Entry);
VK_S_ENTRY(setPlotWindowSize2Entry);
VK_S_ENTRY(setTopoWindowSize1Entry);
VK_S_ENTRY(setTopoWindowSize2Entry);
VK_S_ENTRY(sankakuContourPlotEntry);
VK_S_ENTRY(sankakuHokanEntry);
VK_S_ENTRY(setView3DEntry);
VK_S_ENTRY(setParametricPlot3DEntry);
VK_S_ENTRY(savePlot3DdataEntry);

// Text, saving and formats.
VK_S_ENTRY(swapTextStringEntry);
VK_S_ENTRY(searchStringUTF8Entry);
VK_S_ENTRY(searchStringEntry);
VK_S_ENTRY(strcmpEntry);
VK_S_ENTRY(setSortStringDirectionEntry);
VK_S_ENTRY(saveBEntry);
VK_S_ENTRY(systemEntry);
VK_S_ENTRY(strlenEntry);
VK_S_ENTRY(strEntry);
VK_S_ENTRY(setFormatEntry);
VK_S_ENTRY(setSaveFormatEntry);
VK_S_ENTRY(saveShiftJISEntry);
VK_S_ENTRY(saveEntry);

// Mathematics, sorting and series.
VK_S_ENTRY(sort1Entry);
VK_S_ENTRY(sort2Entry);
VK_S_ENTRY(sekibunEntry);
VK_S_ENTRY(selectIfEntry);
VK_S_ENTRY(symmetricLineImageEntry);
VK_S_ENTRY(sinEntry);
VK_S_ENTRY(sinhEntry);
VK_S_ENTRY(sqrtEntry);
// Their forms on one real number (see VkScalarFn).
double sineOf(double v);
double hyperbolicSineOf(double v);
VK_S_ENTRY(sumEntry);
VK_S_ENTRY(sdEntry);
VK_S_ENTRY(seriesEntry);
VK_S_ENTRY(seriesXEntry);
VK_S_ENTRY(sizeEntry);
VK_S_ENTRY(smoothEntry);
VK_S_ENTRY(splineEntry);
VK_S_ENTRY(smoothBSEntry);

#undef VK_S_ENTRY

}  // namespace pravella::builtins::s
