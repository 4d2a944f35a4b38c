// Built-ins S: one table in the order of precedence (first match of name and count).

#include "lang/builtins/dictionary_builtins.h"
#include "lang/builtins/dispatch.h"
#include "lang/builtins/gl_builtins.h"

#include <string>

#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_s_parts.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/picture_window_builtins.h"
#include "lang/builtins/volume_builtins.h"
#include "lang/builtins/volume_process_builtins.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/stdlib/calculus.h"
#include "lang/variables.h"

namespace {

using namespace pravella::builtins::s;

int showVariables(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  std::string text;
  showVariableTable(text);
  return PushToStack(stack, sp, text.c_str(), kValueString, static_cast<int>(text.size()), 0);
}

constexpr VkBuiltin kS[] = {
    // The volume store.
    {"saveVolumeData", 2, pravella::builtins::volume::saveVolumeData},
    {"setVolumeData", 2, pravella::builtins::volume::setVolumeData},
    {"showVolumeData", 3, pravella::builtins::volume::showVolumeData},
    {"showVolumeData", 4, pravella::builtins::volume::showVolumeData},
    {"smoothVolumeData", 1, pravella::builtins::volume::smoothVolumeData},
    {"subtractVolumeData", 3, pravella::builtins::volume::subtractVolumeData},
    // Settings, windows and conversions.
    {"setRememberString", 1, setRememberStringEntry},
    {"setGnuplotGraphWidth", 1, setGnuplotGraphWidthEntry},
    {"setGnuPlotPath", 1, setGnuPlotPathEntry},
    {"sizePictWindow", 2, pravella::builtins::sizePictWindowBuiltin},
    {"setPictureToWindow", 2, pravella::builtins::showPictInWindow},
    {"setPictToWin", 2, pravella::builtins::showPictInWindow},
    {"showPict", 2, pravella::builtins::showPictInWindow},
    {"showPicture", 2, pravella::builtins::showPictInWindow},
    {"setGnuplotPath", 1, setGnuPlotPathEntry},
    {"sjis2jis_noCnt", 1, sjis2jisNoCntEntry},
    {"sjis2euc", 1, sjis2eucEntry},
    {"sjis2jis", 1, sjis2jisEntry},
    {"sjis2sjisSeion", 1, sjis2sjisSeionEntry},
    {"sjis2jisSeion", 1, sjis2jisSeionEntry},
    {"symmetricLineImage", 2, symmetricLineImageEntry},
    {"setDateFontColor", 1, setDateFontColorEntry},
    {"setInternetWordSearch", 1, setInternetWordSearchEntry},
    {"setDropedFilesPathOnAmMode", 1, setDropedFilesPathEntry},
    {"setCellStackNumber", 1, setCellStackNumberEntry},
    {"strlenUTF8", 1, strlenUTF8Entry},
    {"sankakuHokan", 1, sankakuHokanEntry},
    {"sankakuContourPlot", 1, sankakuContourPlotEntry},
    {"sankakuContourPlot", 2, sankakuContourPlotEntry},
    {"stringFromShiftJIS", 1, stringFromShiftJISEntry},
    {"stringFromJIS", 1, stringFromJISEntry},
    {"stringFromEUC", 1, stringFromEUCEntry},
    {"stringToShiftJIS", 1, stringToShiftJISEntry},
    {"stringToJIS", 1, stringToJISEntry},
    {"stringToEUC", 1, stringToEUCEntry},
    {"setProcessIndicator", 1, setProcessIndicatorEntry},
    {"setProcessIndicatorValue", 1, setProcessIndicatorValueEntry},
    // Sun and moon, strings, saving and mathematics.
    {"sunMoon_s", 2, sunMoonReportEntry},
    {"sunMoon", 2, sunMoonTableEntry},
    {"setFileTableColor", 1, setFileTableColorEntry},
    {"setMonthTableColor", 1, setMonthTableColorEntry},
    {"setIndexTableColor", 1, setIndexTableColorEntry},
    {"setBookMarkTableColor", 1, setBookMarkTableColorEntry},
    {"setDocBGColor", 1, setDocBGColorEntry},
    {"setJpegQuality", kAnyArgc, vkPictureBuiltinEntry},
    {"saveJPEG", kAnyArgc, vkPictureBuiltinEntry},
    {"showVariableTable", 1, showVariables},
    {"swapTextString", 3, swapTextStringEntry},
    {"setView3D", 1, setView3DEntry},
    {"setParametricPlot3D", 1, setParametricPlot3DEntry},
    {"savePlot3Ddata", 6, savePlot3DdataEntry},
    {"setPlotWindowSize", 1, setPlotWindowSize1Entry},
    {"setPlotWindowSize", 2, setPlotWindowSize2Entry},
    {"setTopoWindowSize", 1, setTopoWindowSize1Entry},
    {"setTopoWindowSize", 2, setTopoWindowSize2Entry},
    {"searchStringUTF8", 2, searchStringUTF8Entry},
    {"searchString", 2, searchStringEntry},
    {"strcmp", 2, strcmpEntry},
    {"setSortStringDirection", 1, setSortStringDirectionEntry},
    {"sortString", 1, sort1Entry},
    {"sort", 1, sort1Entry},
    {"sort", 2, sort2Entry},
    {"sekibun", 2, sekibunEntry},
    {"saveB", 2, saveBEntry},
    {"saveB", 3, saveBEntry},
    {"saveB", 4, saveBEntry},
    {"selectIf", 2, selectIfEntry},
    {"sin", 1, sinEntry, vkScalarOf<sineOf>},
    {"sinh", 1, sinhEntry, vkScalarOf<hyperbolicSineOf>},
    {"sqrt", 1, sqrtEntry, vkSqrtOf},
    {"sum", 1, sumEntry},
    {"sd", 1, sdEntry},
    {"system", 1, systemEntry},
    {"strlen", 1, strlenEntry},
    {"string", 2, strEntry},
    {"str", 2, strEntry},
    {"setFormat", 1, setFormatEntry},
    {"setSaveFormat", 1, setSaveFormatEntry},
    {"series", 1, seriesEntry},
    {"series", 3, seriesEntry},
    {"seriesX", 1, seriesXEntry},
    {"seriesX", 3, seriesXEntry},
    {"saveShiftJIS", 2, saveShiftJISEntry},
    {"save", 2, saveEntry},  // pictures go on to the picture built-ins
    {"size", 2, sizeEntry},
    {"smooth", 1, smoothEntry},  // pictures go on to the picture built-ins
    {"smooth", 2, smoothEntry},
    {"spline", 3, splineEntry},
    {"smoothBS", 4, smoothBSEntry},
    // OpenGL plot windows by title (lang/builtins/gl_builtins.h).
    {"sizeGLWindow", 1, pravella::builtins::glWindowCommand},
    {"sizeGLWindow", 2, pravella::builtins::glWindowCommand},
    {"setBackColor", 1, pravella::builtins::glWindowCommand},
    {"setBackColor", 2, pravella::builtins::glWindowCommand},
    {"setLineColor", 1, pravella::builtins::glWindowCommand},
    {"setLineColor", 2, pravella::builtins::glWindowCommand},
    {"setPointColor", 1, pravella::builtins::glWindowCommand},
    {"setPointColor", 2, pravella::builtins::glWindowCommand},
    {"setPlaneColor", 1, pravella::builtins::glWindowCommand},
    {"setPlaneColor", 2, pravella::builtins::glWindowCommand},
    {"setObjectSize", 1, pravella::builtins::glWindowCommand},
    {"setObjectSize", 2, pravella::builtins::glWindowCommand},
    {"setPointSize", 1, pravella::builtins::glWindowCommand},
    {"setPointSize", 2, pravella::builtins::glWindowCommand},
    {"setLineWidth", 1, pravella::builtins::glWindowCommand},
    {"setLineWidth", 2, pravella::builtins::glWindowCommand},
    {"setPointSwitch", 1, pravella::builtins::glWindowCommand},
    {"setPointSwitch", 2, pravella::builtins::glWindowCommand},
    {"setLineSwitch", 1, pravella::builtins::glWindowCommand},
    {"setLineSwitch", 2, pravella::builtins::glWindowCommand},
    {"setPlaneSwitch", 1, pravella::builtins::glWindowCommand},
    {"setPlaneSwitch", 2, pravella::builtins::glWindowCommand},
    {"setColorSwitch", 1, pravella::builtins::glWindowCommand},
    {"setColorSwitch", 2, pravella::builtins::glWindowCommand},
    {"setBoxSwitch", 1, pravella::builtins::glWindowCommand},
    {"setBoxSwitch", 2, pravella::builtins::glWindowCommand},
    {"setWorldRotation", 1, pravella::builtins::glWindowCommand},
    {"setWorldRotation", 2, pravella::builtins::glWindowCommand},
    {"setObjectRotation", 1, pravella::builtins::glWindowCommand},
    {"setObjectRotation", 2, pravella::builtins::glWindowCommand},
};

}  // namespace

int DoFunctionS(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kS, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableS() { return kS; }
