// Built-ins P and Q: one table per letter, in the order of precedence.
//
// The letter Q has no built-in.

#include "lang/builtins/dispatch.h"
#include "lang/builtins/gl_builtins.h"
#include "lang/builtins/picture_window_builtins.h"

#include <QString>

#include <array>
#include <utility>
#include <vector>

#include "diary/program_settings.h"
#include "graphics/picture.h"
#include "graphics/plot2d.h"
#include "graphics/polar_resample.h"
#include "graphics/polygon_region.h"
#include "graphics/surface3d.h"
#include "graphics/triangulation.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/picture_builtins.h"
#include "lang/builtins/plot_builtins.h"
#include "lang/stdlib/spline.h"
#include "lang/stdlib/statistics.h"
#include "platform/cformat.h"
#include "platform/notification_center.h"
#include "platform/progress_bar.h"

namespace {

int argcOf(const vk_Code* code, const int* pc) { return code[*pc].argc; }

// Pops a real matrix into `dst`; "Invalid arguments." for any other value.
int popReal(CalcStackEntry* stack, int* sp, double* dst, VkArg* arg) {
  if (!vkPopArg(stack, sp, dst, arg)) return 0;
  if (!arg->isReal()) return vkInvalidArguments();
  return 1;
}

// Pops a real row of one row into `row` (through vk_tc); "Invalid arguments." otherwise, or
// when it has not `width` columns (any width when width is 0) or none at all.
int popRow(CalcStackEntry* stack, int* sp, int width, std::vector<double>& row) {
  VkArg a;
  if (!popReal(stack, sp, vk_tc, &a)) return 0;
  if (a.rows != 1 || a.cols < 1 || (width > 0 && a.cols != width)) return vkInvalidArguments();
  row.assign(vk_tc, vk_tc + a.cols);
  return 1;
}

int pushPicture(CalcStackEntry* stack, int* sp, const pravella::Picture& picture) {
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture, static_cast<int>(picture.size()),
                     0);
}

// ---------------------------------------------------------------------------------------
// Line, point and marked plots: one argument (y against its row numbers), two (x, y) or three
// (x, y and the range row, in the modes 5 to 7).

template <int Mode, bool Mark>
int plotEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkPlotForms(Mode, Mark, code, pc, stack, sp);
}

// Segments from start points to end points (k x 2 each) in the colour numbers of a k x 1
// column; with a range row first on the stack, that range is kept in axisData for them.
int plotLineToEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (argcOf(code, pc) == 4) {
    std::vector<double> range;
    if (!popRow(stack, sp, 6, range)) return 0;
    for (int i = 0; i < 6; ++i) axisData[i] = range[static_cast<std::size_t>(i)];
    axisData[6] = 1.0;
  } else {
    for (double& v : axisData) v = 0;
  }
  VkArg colors, ends, starts;
  if (!popReal(stack, sp, vk_tc, &colors)) return 0;
  if (!popReal(stack, sp, vk_tb, &ends)) return 0;
  if (!popReal(stack, sp, vk_ta, &starts)) return 0;
  const int k = starts.rows;
  if (colors.cols != 1 || colors.rows != k || ends.rows != k || starts.cols != 2 || ends.cols != 2 || k < 1)
    return vkInvalidArguments();
  // (x start, y start) and (x end, y end) become (x start, x end) and (y start, y end).
  for (int i = 0; i < k; ++i) std::swap(vk_ta[2 * i + 1], vk_tb[2 * i]);
  pravella::Picture picture;
  if (!DoPlot(vk_ta, vk_tb, vk_tc, k, 2, k, 2, 4, picture)) return 0;
  return pushPicture(stack, sp, picture);
}

// Free-form plot: rows of (x, y, kind, colour number, mark size), with a range row or the
// automatic (all zero) range.
int plotsEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  std::vector<double> range(6, 0.0);
  if (argcOf(code, pc) == 2 && !popRow(stack, sp, 6, range)) return 0;
  VkArg data;
  if (!popReal(stack, sp, vk_ta, &data)) return 0;
  if (data.cols != 5) return vkInvalidArguments();
  pravella::Picture picture;
  if (!DoPlotSpecial(vk_ta, range.data(), data.rows, data.cols, picture)) return 0;
  return pushPicture(stack, sp, picture);
}

// Bar plots: x, y, an option row ((base, width), or the six range values then base and
// width; any other width gives base and width 0) and, with four arguments, a colour row.
template <bool Stacked>
int barEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int argc = argcOf(code, pc);
  std::vector<double> colors{6.0}, options;
  if (argc == 4 && !popRow(stack, sp, 0, colors)) return 0;
  if (!popRow(stack, sp, 0, options)) return 0;
  VkArg x, y;
  if (!popReal(stack, sp, vk_tb, &y)) return 0;
  if (!popReal(stack, sp, vk_ta, &x)) return 0;
  std::array<double, 6> range{};
  double base = 0, width = 0;
  const std::size_t w = options.size();
  if (w == 2) {
    base = options[0];
    width = options[1];
  } else if (w == 8) {
    std::copy(options.begin(), options.begin() + 6, range.begin());
    base = options[6];
    width = options[7];
  } else if (argc == 3 && w >= 6) {
    // The row itself stands as the range; a shorter one leaves the range automatic.
    std::copy(options.begin(), options.begin() + 6, range.begin());
  }
  pravella::Picture picture;
  const int count = static_cast<int>(colors.size());
  const int ok = Stacked ? DoStackBarPlot(vk_ta, vk_tb, range.data(), x.rows, x.cols, y.rows, y.cols, base,
                                          width, colors.data(), count, picture)
                         : DoBarPlot(vk_ta, vk_tb, range.data(), x.rows, x.cols, y.rows, y.cols, base, width,
                                     colors.data(), count, picture);
  if (!ok) return 0;
  return pushPicture(stack, sp, picture);
}

// ---------------------------------------------------------------------------------------
// Settings, statistics and splines.

int pointModeEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  return DoPointMode(v);
}

int prefBackupNeedEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double v = 0;
  if (!vkPopNumber(stack, sp, &v)) return 0;
  prefBackupNeedStatua = v != 0 ? 1 : 0;
  return 1;
}

int progressBarEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::vector<double> row;
  if (!popRow(stack, sp, 3, row)) return 0;
  const double min = row[0], max = row[1], value = row[2];
  if (!(min < max && min <= value && value <= max)) return vkInvalidArguments();
  setProgressBar(min, max, value);
  return 1;
}

int preSplineMeanEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!popReal(stack, sp, vk_ta, &a)) return 0;
  if (a.rows < 2 || a.cols < 2) return vkInvalidArguments();
  int rows = 0, cols = 0;
  if (!preSplineMean(vk_ta, vk_tb, a.rows, a.cols, &rows, &cols)) return 0;
  return vkPushReals(stack, sp, vk_tb, rows, cols);
}

int permutationEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg n, r;
  if (!popReal(stack, sp, vk_tb, &r)) return 0;
  if (!popReal(stack, sp, vk_ta, &n)) return 0;
  if (!n.isNumber()) return vkInvalidArguments();
  int rows = 0, cols = 0;
  if (!DoPermutation(vk_ta, n.rows, n.cols, vk_tb, r.rows, r.cols, vk_tc, &rows, &cols)) return 0;
  return vkPushReals(stack, sp, vk_tc, rows, cols);
}

// The data rows (k x n, n >= 2) whose point lies in the polygon (m x 2, m >= 3).
int pointInRegionEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg points, outline;
  if (!popReal(stack, sp, vk_tb, &points)) return 0;
  if (!popReal(stack, sp, vk_ta, &outline)) return 0;
  if (outline.rows < 3 || outline.cols != 2 || points.rows < 1 || points.cols < 2)
    return vkInvalidArguments();
  int found = 0;
  doPointInRegion_short(vk_ta, outline.rows, vk_tb, points.rows, points.cols, vk_tc, &found);
  return vkPushReals(stack, sp, vk_tc, found, points.cols);
}

// A polar matrix (m >= 3 angles, n >= 2 radii) resampled into two h x w images, one above
// the other.
int polarToRectangularEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg size, polar;
  if (!popReal(stack, sp, vk_tb, &size)) return 0;
  if (size.rows != 1 || size.cols != 2) return vkInvalidArguments();
  const int h = vkTruncToInt(vk_tb[0]), w = vkTruncToInt(vk_tb[1]);
  if (!popReal(stack, sp, vk_ta, &polar)) return 0;
  if (polar.rows < 3 || polar.cols < 2) return vkInvalidArguments();
  // The mirrored half of the lower image needs two rows; the result must fit one value.
  if (h < 2 || w < 1 || 2LL * h * w > TNumber) return vkInvalidArguments();
  DoPolarToRectangular(vk_ta, polar.rows, polar.cols, vk_tc, h, w);
  return vkPushReals(stack, sp, vk_tc, 2 * h, w);
}

// The triangles of the points (m x 3 rows of x, y, value; m >= 3), 9 values a row.
int pointsToSankakuEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg points;
  if (!popReal(stack, sp, vk_ta, &points)) return 0;
  if (points.rows < 3 || points.cols != 3) return vkInvalidArguments();
  int count = 0;
  if (!getSankakuFromPoints(vk_ta, points.rows, vk_tb, &count)) return reportSankakuFailure();
  return vkPushReals(stack, sp, vk_tb, count, 9);
}

// ---------------------------------------------------------------------------------------
// Parametric surfaces: x, y, z (and the values c) of one shape.

// Pops x, y and z (z first) into the scratch buffers; all real and of one shape.
int popSurface(CalcStackEntry* stack, int* sp, VkArg* shape) {
  VkArg x, y, z;
  if (!popReal(stack, sp, vk_tc, &z)) return 0;
  if (!popReal(stack, sp, vk_tb, &y)) return 0;
  if (!popReal(stack, sp, vk_ta, &x)) return 0;
  if (x.rows != y.rows || x.rows != z.rows || x.cols != y.cols || x.cols != z.cols)
    return vkInvalidArguments();
  *shape = x;
  return 1;
}

// x, y and z of one shape, then a picture draped over their surface as the 3-D view sees it.
int plotPict3DEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::vector<double> buffer;
  try {
    buffer.resize(static_cast<std::size_t>(TNumber));
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return 0;
  }
  VkArg picture;
  if (!vkPopArg(stack, sp, buffer.data(), &picture)) return 0;
  if (!picture.isPicture()) return vkInvalidArguments();
  VkArg shape;
  if (!popSurface(stack, sp, &shape)) return 0;
  const QByteArray bytes(reinterpret_cast<const char*>(buffer.data()), picture.rows);
  pravella::Picture result;
  if (!PlotPict3D(shape.rows, shape.cols, vk_ta, vk_tb, vk_tc, bytes, result)) return 0;
  return pushPicture(stack, sp, result);
}

int parametricPlot3DEntry(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg shape;
  if (!popSurface(stack, sp, &shape)) return 0;
  pravella::Picture picture;
  if (!DoParametricPlot3D(shape.rows, shape.cols, vk_ta, vk_tb, vk_tc, picture)) return 0;
  return pushPicture(stack, sp, picture);
}

// c, x, y, z, then with five arguments a parameter row (max, min), (max, min, step,
// threshold) or with a fifth number the frame flag; with six a parameter row of two or four
// numbers and a stereo row (eye angle, swap flag).
int parametricPlot3DColorEntry(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const int argc = argcOf(code, pc);
  VkArg shape;
  pravella::Picture picture;
  if (argc == 3) {
    if (!popSurface(stack, sp, &shape)) return 0;
    if (!DoParametricPlot3DColor(shape.rows, shape.cols, vk_ta, vk_tb, vk_tc, picture)) return 0;
    return pushPicture(stack, sp, picture);
  }
  std::vector<double> stereo, params;
  if (argc == 6 && !popRow(stack, sp, 2, stereo)) return 0;
  if (argc >= 5) {
    if (!popRow(stack, sp, 0, params)) return 0;
    const std::size_t p = params.size();
    if (argc == 5 ? (p != 2 && p != 4 && p != 5) : (p != 2 && p != 4)) return vkInvalidArguments();
  }
  if (!popSurface(stack, sp, &shape)) return 0;
  // The values are the fourth matrix: taken from the stack directly, the scratch buffers being
  // full.
  if (*sp < 1) return vkInvalidArguments();
  const CalcStackEntry& top = stack[*sp - 1];
  if (top.type != kValueReal || top.msize != shape.rows || top.nsize != shape.cols)
    return vkInvalidArguments();
  std::vector<double> c;
  try {
    c.assign(top.data.doubles(), top.data.doubles() + static_cast<std::size_t>(shape.elements()));
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation.");
    return 0;
  }
  int type = 0, rows = 0, cols = 0;
  if (!PopFromStack(stack, sp, nullptr, &type, &rows, &cols)) return 0;
  int ok = 0;
  const int m = shape.rows, n = shape.cols;
  if (argc == 4) {
    ok = DoParametricPlot3DSP(m, n, vk_ta, vk_tb, vk_tc, c.data(), 0, 0, picture);
  } else if (argc == 5 && params.size() == 2) {
    ok = DoParametricPlot3DSP(m, n, vk_ta, vk_tb, vk_tc, c.data(), params[0], params[1], picture);
  } else if (argc == 5) {
    const double frame = params.size() == 5 ? params[4] : 1.0;
    ok = DoParametricPlot3DSPTopo(m, n, vk_ta, vk_tb, vk_tc, c.data(), params[0], params[1], params[2],
                                  params[3], frame, picture);
  } else {
    const double step = params.size() == 4 ? params[2] : 0, threshold = params.size() == 4 ? params[3] : 0;
    ok = DoParametricPlot3DStereo(m, n, vk_ta, vk_tb, vk_tc, c.data(), params[0], params[1], step, threshold,
                                  stereo[0], vkTruncToInt(stereo[1]), picture);
  }
  if (!ok) return 0;
  return pushPicture(stack, sp, picture);
}

constexpr VkBuiltin kP[] = {
    // OpenGL plot windows (lang/builtins/gl_builtins.h); other counts stay unknown.
    {"parametricPlot3D_GL", 3, pravella::builtins::parametricPlotGL},
    {"parametricPlot3D_GL", 4, pravella::builtins::parametricPlotGL},
    {"parametricPlot3D_GL", 5, pravella::builtins::parametricPlotGL},
    {"parametricPlot3D_GL", 6, pravella::builtins::parametricPlotGL},
    {"parametricPlot3D_GLWithPict", 5, pravella::builtins::parametricPlotGL},
    {"parametricPlot_GL", 3, pravella::builtins::parametricPlotGL},
    {"parametricPlot_GL", 4, pravella::builtins::parametricPlotGL},
    {"parametricPlot_GL", 5, pravella::builtins::parametricPlotGL},
    {"parametricLinePlot_GL", 3, pravella::builtins::parametricPlotGL},
    {"parametricLinePlot_GL", 4, pravella::builtins::parametricPlotGL},
    {"parametricLinePlot_GL", 5, pravella::builtins::parametricPlotGL},
    {"parametricPointPlot_GL", 3, pravella::builtins::parametricPlotGL},
    {"parametricPointPlot_GL", 4, pravella::builtins::parametricPlotGL},
    {"parametricPointPlot_GL", 5, pravella::builtins::parametricPlotGL},
    {"pointInRegion", 2, pointInRegionEntry},
    {"progressBar", 1, progressBarEntry},
    {"polarToRectangular", 2, polarToRectangularEntry},
    {"pointsToSankaku", 1, pointsToSankakuEntry},
    {"pictToWin", 2, pravella::builtins::showPictInWindow},
    {"pictToWindow", 2, pravella::builtins::showPictInWindow},
    {"prefBackupNeed", 1, prefBackupNeedEntry},
    // Pictures (graphics/picture_builtins.h).
    {"pastePictWithPath", kAnyArgc, vkPictureBuiltinEntry},
    {"pointMode", 1, pointModeEntry},
    {"preSplineMean", 1, preSplineMeanEntry},
    {"popRGBColor", kAnyArgc, vkPictureBuiltinEntry},
    {"permutation", 2, permutationEntry},
    {"PR", 2, permutationEntry},
    {"parametricPlot", 2, plotEntry<3, false>},
    {"plot", 2, plotEntry<3, false>},
    {"parametricPointPlot", 2, plotEntry<2, false>},
    {"pointPlot", 2, plotEntry<2, false>},
    {"parametricLinePlot", 2, plotEntry<1, false>},
    {"pointPlot", 1, plotEntry<2, false>},
    {"plot", 1, plotEntry<3, false>},
    {"plotLineTo", 3, plotLineToEntry},
    {"plotLineTo", 4, plotLineToEntry},
    {"parametricPlot", 3, plotEntry<3, false>},
    {"plot", 3, plotEntry<3, false>},
    {"parametricLinePlot", 3, plotEntry<1, false>},
    {"parametricPointPlot", 3, plotEntry<2, false>},
    {"pointPlot", 3, plotEntry<2, false>},
    {"parametricPlotMark", 2, plotEntry<3, true>},
    {"plotM", 2, plotEntry<3, true>},
    {"parametricPointPlotMark", 2, plotEntry<2, true>},
    {"pointPlotM", 2, plotEntry<2, true>},
    {"pointPlotMark", 1, plotEntry<2, true>},
    {"plotMark", 1, plotEntry<3, true>},
    {"parametricPlotMark", 3, plotEntry<3, true>},
    {"plotM", 3, plotEntry<3, true>},
    {"parametricPointPlotMark", 3, plotEntry<2, true>},
    {"pointPlotM", 3, plotEntry<2, true>},
    {"plots", 1, plotsEntry},
    {"plots", 2, plotsEntry},
    {"plotStackBar", 3, barEntry<true>},
    {"plotStackBar", 4, barEntry<true>},
    {"plotBar", 3, barEntry<false>},
    {"plotBar", 4, barEntry<false>},
    {"parametricPlot3D", 3, parametricPlot3DEntry},
    {"plotPict3D", 4, plotPict3DEntry},
    {"parametricPlot3DColor", 3, parametricPlot3DColorEntry},
    {"parametricPlot3DColor", 4, parametricPlot3DColorEntry},
    {"parametricPlot3DColor", 5, parametricPlot3DColorEntry},
    {"parametricPlot3DColor", 6, parametricPlot3DColorEntry},
};

constexpr std::array<VkBuiltin, 0> kQ{};

}  // namespace

int DoFunctionP(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kP, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableP() { return kP; }

int DoFunctionQ(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  return vkRunBuiltinChain(kQ, count, code, pc, stack, sp);
}
std::span<const VkBuiltin> vkBuiltinTableQ() { return kQ; }
