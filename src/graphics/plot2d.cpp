#include "graphics/plot2d.h"

#include <algorithm>
#include <cmath>

#include "graphics/axis_range.h"
#include "graphics/color_table.h"
#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/cformat.h"

namespace {
constexpr int32_t kStartWidth = 400;
constexpr int32_t kStartHeight = 280;
}  // namespace

int32_t hwin = kStartWidth;
int32_t vwin = kStartHeight;
int32_t pointMode = 0;
double axisData[7] = {0, 0, 0, 0, 0, 0, 0};
uint8_t DrawLineStatus = 1;

void resetPlotSettings() {
  hwin = kStartWidth;
  vwin = kStartHeight;
  pointMode = 0;
  for (double& v : axisData) v = 0;
  DrawLineStatus = 1;
}

namespace {

using pravella::OffScreenWorld;
using pravella::Picture;

// A tick loop of more steps than this cannot be read on any plot and would only stall the
// run: such a range is refused as unusable.
constexpr double kMaxTicks = 10000;
constexpr long long kTickLimit = static_cast<long long>(kMaxTicks) + 2;
// Drawing coordinates are 16-bit; a point far outside the plot is drawn at the edge of that
// space (its lines still point the right way) rather than wrapped.
constexpr double kCoordinateLimit = 32000;
// Marks (segments, dots, bars) drawn between two looks at the break.
constexpr long long kMarksBetweenBreakTests = 1024;

int fail(const char* message) {
  error_disp(message);
  return 0;
}

struct Range {
  double xmin = 0, xmax = 0, xstep = 0, ymin = 0, ymax = 0, ystep = 0;
};

Range rangeOf(const double* six) { return Range{six[0], six[1], six[2], six[3], six[4], six[5]}; }

// A range whose ticks can be drawn: ordered finite bounds, positive steps that move the values
// at the range's ends, a bounded tick count.
bool drawable(const Range& r) {
  return stepsApart(r.xmin, r.xmax, r.xstep, kMaxTicks) && stepsApart(r.ymin, r.ymax, r.ystep, kMaxTicks);
}

// Largest and smallest of n values; false when one is not finite (no axis can be made).
bool finiteMaxMin(const double* v, long long n, long long stride, double* max, double* min) {
  double hi = v[0], lo = v[0];
  for (long long i = 0; i < n; ++i) {
    const double value = v[i * stride];
    if (!std::isfinite(value)) return false;
    if (value > hi) hi = value;
    if (value < lo) lo = value;
  }
  *max = hi;
  *min = lo;
  return true;
}

// The automatic range from the data's bounds: spans below 1e-15 cannot be scaled, then both
// axes are widened to nice steps.
int automaticRange(double xmax, double xmin, double ymax, double ymin, Range* r) {
  if (xmax - xmin < 1e-15 || ymax - ymin < 1e-15) return fail("Invalid plot range.");
  r->xmax = xmax;
  r->xmin = xmin;
  r->ymax = ymax;
  r->ymin = ymin;
  if (!AxisGet(&r->xmax, &r->xmin, &r->xstep)) return 0;
  if (!AxisGet(&r->ymax, &r->ymin, &r->ystep)) return 0;
  if (!drawable(*r)) return fail("Invalid plot range.");
  return 1;
}

class Plot {
 public:
  explicit Plot(const Range& r)
      : r_(r),
        left_(hwin / 7),
        right_(6 * hwin / 7),
        top_(vwin / 7),
        bottom_(6 * vwin / 7),
        tx_((right_ - left_) / 80),
        ty_((bottom_ - top_) / 80) {}

  int tickY() const { return ty_; }

  // Screen position of a value; false for a value that has none (not a number).
  bool X(double x, int* out) const {
    return toPixel(left_ + (x - r_.xmin) * (right_ - left_) / (r_.xmax - r_.xmin), out);
  }
  bool Y(double y, int* out) const {
    return toPixel(bottom_ - (y - r_.ymin) * (bottom_ - top_) / (r_.ymax - r_.ymin), out);
  }
  bool at(double x, double y, int* h, int* v) const { return X(x, h) && Y(y, v); }

  void axes(OffScreenWorld& w) const {
    w.setForeColor(Qt::black);
    w.textSize(9);
    w.textFont(QString());
    w.moveTo(left_, bottom_);
    w.lineTo(right_, bottom_);
    forEachStep(r_.xmin, r_.xmax, r_.xstep, kTickLimit, [&](double v) {
      if (std::fabs(v) < 1e-15) v = 0;
      int h = 0;
      if (!X(v, &h)) return;
      w.moveTo(h, bottom_ - tx_);
      w.lineTo(h, bottom_ + tx_ / 2);
      w.moveTo(h, bottom_ + 15);
      w.drawString(QString::fromStdString(pravella::cformat("%G", v)));
    });
    w.moveTo(left_, top_);
    w.lineTo(left_, bottom_);
    forEachStep(r_.ymin, r_.ymax, r_.ystep, kTickLimit, [&](double v) {
      if (std::fabs(v) < 1e-15) v = 0;
      int y = 0;
      if (!Y(v, &y)) return;
      w.moveTo(left_ - ty_ / 2, y);
      w.lineTo(left_ + ty_, y);
      w.moveTo(10, y);
      w.drawString(QString::fromStdString(pravella::cformat("%G", v)));
    });
  }

  // Whether the break stopped the drawing: looked at every so many marks, after which every
  // mark is skipped and the plot fails.
  bool broken() const { return broken_; }
  bool stopped() const {
    if (!broken_ && ++marks_ % kMarksBetweenBreakTests == 0) broken_ = vkBreakHeld();
    return broken_;
  }

  void segment(OffScreenWorld& w, double x0, double y0, double x1, double y1) const {
    if (stopped()) return;
    int h0, v0, h1, v1;
    if (!at(x0, y0, &h0, &v0) || !at(x1, y1, &h1, &v1)) return;
    w.moveTo(h0, v0);
    w.lineTo(h1, v1);
  }

  void pixel(OffScreenWorld& w, double x, double y) const {
    if (stopped()) return;
    int h, v;
    if (!at(x, y, &h, &v)) return;
    w.moveTo(h, v);
    w.lineTo(h, v);
  }

  // A circle in (X - r, Y - r, X + r + 1, Y + r + 1), filled or framed.
  void dot(OffScreenWorld& w, double x, double y, int r, bool filled) const {
    if (stopped()) return;
    int h, v;
    if (!at(x, y, &h, &v)) return;
    if (filled)
      w.paintOval(h - r, v - r, h + r + 1, v + r + 1);
    else
      w.frameOval(h - r, v - r, h + r + 1, v + r + 1);
  }

 private:
  static bool toPixel(double p, int* out) {
    if (std::isnan(p)) return false;
    *out = static_cast<int>(std::clamp(p, -kCoordinateLimit, kCoordinateLimit));
    return true;
  }

  Range r_;
  int left_, right_, top_, bottom_, tx_, ty_;
  mutable long long marks_ = 0;
  mutable bool broken_ = false;
};

// The drawing-then-record of every plot: a world of the plot size, the axes, the data, the
// titles.
template <typename Draw>
int record(const Range& r, Picture& out, Draw&& draw) {
  auto world = pravella::newOffScreenWorld(hwin, vwin);
  if (!world) return 0;
  const Plot plot(r);
  out = pravella::recordCommands(*world, [&](OffScreenWorld& w) {
    plot.axes(w);
    draw(w, plot);
    w.setForeColor(Qt::black);
  });
  if (plot.broken()) {
    out = Picture();
    return fail(kVkBreakMessage);
  }
  if (out.isEmpty()) return fail("BeginDrawingOffscreen: LockPixels failed");
  return 1;
}

// Series colour s of the line plots: black, red, green, blue, cyan, magenta, yellow.
QColor seriesColor(int s) { return colorForReference(s % 7 + 1); }
// Colour number 1..7 (black .. yellow); any other black.
QColor numberedColor(double number) {
  const int32_t n = vkTruncToInt(number);
  return colorForReference(n >= 1 && n <= 7 ? n : 1);
}

// The range of a line or mark plot: given (modes 5..7), from axisData (mode 4 with its flag)
// or from the data. `ySeries` columns of y (from the first) take part in the y range.
int lineRange(const double* x, const double* y, const double* third, int xRows, int xCols, int yRows,
              int yCols, int ySeries, int mode, Range* r) {
  const long long xCount = static_cast<long long>(xRows) * xCols;
  if (yRows <= 0 || ySeries <= 0) return fail("Invalid plot parameters.");
  if (mode >= 5 || (mode == 4 && axisData[6] == 1.0)) {
    *r = rangeOf(mode >= 5 ? third : axisData);
    if (!drawable(*r)) return fail("Invalid plot range.");
    // x[i] is read for every row of y.
    if (mode != 4 && xCount < yRows) return fail("Invalid plot parameters.");
    return 1;
  }
  if (xRows != yRows) return fail("Invalid plot parameters.");
  double xmax, xmin, ymax = 0, ymin = 0;
  if (!finiteMaxMin(x, xCount, 1, &xmax, &xmin)) return fail("Invalid plot range.");
  for (int s = 0; s < ySeries; ++s) {
    double hi, lo;
    if (!finiteMaxMin(y + s, yRows, yCols, &hi, &lo)) return fail("Invalid plot range.");
    ymax = s == 0 ? hi : std::max(ymax, hi);
    ymin = s == 0 ? lo : std::min(ymin, lo);
  }
  return automaticRange(xmax, xmin, ymax, ymin, r);
}

// Range of the free-form and bar plots: a given range counts when its bounds are ordered and
// its steps not zero.
bool givenRangeApplies(const double* range) {
  return range && range[0] < range[1] && range[2] != 0 && range[3] < range[4] && range[5] != 0;
}

std::size_t idx(long long r, int cols, int c) { return static_cast<std::size_t>(r * cols + c); }

}  // namespace

int getMaxMin(const double* m, int rows, int cols, double* max, double* min) {
  const long long n = static_cast<long long>(rows) * cols;
  double hi = n > 0 ? m[0] : 0, lo = hi;
  for (long long i = 1; i < n; ++i) {
    if (m[i] > hi) hi = m[i];
    if (m[i] < lo) lo = m[i];
  }
  *max = hi;
  *min = lo;
  return 1;
}

int DoPlot(const double* x, const double* y, const double* third, int xRows, int xCols, int yRows, int yCols,
           int mode, Picture& out) {
  if (mode < 1 || mode > 7) return fail("Invalid plot parameters.");
  if (mode == 4 && (xCols != 2 || yCols != 2 || xRows != yRows)) return fail("Invalid plot parameters.");
  Range r;
  if (!lineRange(x, y, third, xRows, xCols, yRows, yCols, yCols, mode, &r)) return 0;
  const int drawMode = mode >= 5 ? mode - 4 : mode;
  return record(r, out, [&](OffScreenWorld& w, const Plot& p) {
    if (drawMode == 4) {
      for (int i = 0; i < yRows; ++i) {
        w.setForeColor(numberedColor(third[i]));
        p.segment(w, x[idx(i, 2, 0)], y[idx(i, 2, 0)], x[idx(i, 2, 1)], y[idx(i, 2, 1)]);
      }
      return;
    }
    const int radius = p.tickY();
    for (int s = 0; s < yCols; ++s) {
      w.setForeColor(seriesColor(s));
      auto yv = [&](int i) { return y[idx(i, yCols, s)]; };
      switch (drawMode) {
        case 1:
          for (int i = 1; i < yRows; ++i) p.segment(w, x[i - 1], yv(i - 1), x[i], yv(i));
          break;
        case 2:
          for (int i = 0; i < yRows; ++i) {
            if (pointMode == 1)
              p.pixel(w, x[i], yv(i));
            else
              p.dot(w, x[i], yv(i), radius, true);
          }
          break;
        case 3:
          for (int i = 0; i + 1 < yRows; ++i) {
            p.segment(w, x[i], yv(i), x[i + 1], yv(i + 1));
            p.dot(w, x[i], yv(i), radius, true);
          }
          p.dot(w, x[yRows - 1], yv(yRows - 1), radius, true);
          break;
      }
    }
  });
}

int DoPlotMark(const double* x, const double* y, const double* third, int xRows, int xCols, int yRows,
               int yCols, int mode, Picture& out) {
  if (mode < 1 || mode > 7 || mode == 4) return fail("Invalid plot parameters.");
  // The last column flags the points; the series are the columns before it.
  const int series = yCols - 1;
  Range r;
  if (!lineRange(x, y, third, xRows, xCols, yRows, yCols, series, mode, &r)) return 0;
  const int drawMode = mode >= 5 ? mode - 4 : mode;
  return record(r, out, [&](OffScreenWorld& w, const Plot& p) {
    const int radius = p.tickY();
    for (int s = 0; s < series; ++s) {
      w.setForeColor(seriesColor(s));
      auto yv = [&](int i) { return y[idx(i, yCols, s)]; };
      auto mark = [&](int i) {
        const bool filled = vkTruncToInt(y[idx(i, yCols, series)]) != 0;
        if (drawMode == 2 && pointMode == 1)
          p.pixel(w, x[i], yv(i));
        else
          p.dot(w, x[i], yv(i), radius, filled);
      };
      if (drawMode != 2)
        for (int i = 1; i < yRows; ++i) p.segment(w, x[i - 1], yv(i - 1), x[i], yv(i));
      if (drawMode != 1)
        for (int i = 0; i < yRows; ++i) mark(i);
    }
  });
}

int DoPlotSpecial(const double* points, const double* range, int rows, int cols, Picture& out) {
  if (cols != 5 || rows <= 0) return fail("invalid data size");
  Range r;
  if (givenRangeApplies(range)) {
    if (range[2] <= 0 || range[5] <= 0) return fail("invalid x-axis range");
    r = rangeOf(range);
    if (!drawable(r)) return fail("Invalid plot range.");
  } else {
    double xmax, xmin, ymax, ymin;
    if (!finiteMaxMin(points, rows, 5, &xmax, &xmin) || !finiteMaxMin(points + 1, rows, 5, &ymax, &ymin))
      return fail("Invalid plot range.");
    if (xmax == xmin || ymax == ymin) return fail("invalid x-axis range");
    if (!automaticRange(xmax, xmin, ymax, ymin, &r)) return 0;
  }
  return record(r, out, [&](OffScreenWorld& w, const Plot& p) {
    auto px = [&](int i, int c) { return points[idx(i, 5, c)]; };
    for (int i = 0; i < rows; ++i) {
      const int32_t kind = vkTruncToInt(px(i, 2));
      const int32_t color = vkTruncToInt(px(i, 3));
      w.setForeColor(numberedColor(px(i, 3)));
      auto line = [&] {
        if (i + 1 < rows && vkTruncToInt(px(i + 1, 3)) == color)
          p.segment(w, px(i, 0), px(i, 1), px(i + 1, 0), px(i + 1, 1));
      };
      auto mark = [&] {
        // A mark larger than any plot is drawn at the largest size that still means something.
        const int m = std::clamp(vkTruncToInt(px(i, 4)), -4096, 4096);
        int h, v;
        if (p.stopped() || !p.at(px(i, 0), px(i, 1), &h, &v)) return;
        const int a = std::abs(m);
        if (m > 0)
          w.paintOval(h - a + 1, v - a + 1, h + a + 1, v + a + 1);
        else if (m < 0)
          w.frameOval(h - a + 1, v - a + 1, h + a + 1, v + a + 1);
        else
          p.dot(w, px(i, 0), px(i, 1), p.tickY(), true);
      };
      if (kind == 0)
        p.pixel(w, px(i, 0), px(i, 1));
      else if (kind == 1)
        line();
      else if (kind == 2)
        mark();
      else {
        mark();
        line();
      }
    }
  });
}

namespace {

int barRange(const double* x, const double* range, long long xCount, double yHigh, double yLow, bool yFinite,
             double width, Range* r) {
  if (givenRangeApplies(range)) {
    *r = rangeOf(range);
    if (!drawable(*r)) return fail("Invalid plot range.");
    return 1;
  }
  double xmax, xmin;
  if (!finiteMaxMin(x, xCount, 1, &xmax, &xmin) || !yFinite || !std::isfinite(width))
    return fail("Invalid plot range.");
  if (xmax - xmin < 1e-15 || yHigh - yLow < 1e-15) return fail("Invalid plot range.");
  return automaticRange(xmax + width, xmin, yHigh, yLow, r);
}

// Paints the bar from (x0, y0) to (x1, y1) in bar colour number c (1..6, red .. yellow);
// another number leaves it undrawn.
void bar(OffScreenWorld& w, const Plot& p, double x0, double y0, double x1, double y1, double colorNumber) {
  const int32_t c = vkTruncToInt(colorNumber);
  if (c < 1 || c > 6) return;
  int h0, v0, h1, v1;
  if (p.stopped() || !p.at(x0, y0, &h0, &v0) || !p.at(x1, y1, &h1, &v1)) return;
  w.setForeColor(colorForReference(c + 1));
  w.paintRect(std::min(h0, h1), std::min(v0, v1), std::max(h0, h1), std::max(v0, v1));
}

int barCheck(int xRows, int yRows, int yCols, int colorCount) {
  if (xRows != yRows || yRows <= 0 || yCols <= 0 || colorCount <= 0)
    return fail("Invalid barPlot parameters.");
  return 1;
}

}  // namespace

int DoBarPlot(const double* x, const double* y, const double* range, int xRows, int xCols, int yRows,
              int yCols, double base, double width, const double* colors, int colorCount, Picture& out) {
  if (!barCheck(xRows, yRows, yCols, colorCount)) return 0;
  double yHigh = 0, yLow = 0;
  const bool yFinite = finiteMaxMin(y, static_cast<long long>(yRows) * yCols, 1, &yHigh, &yLow);
  // The bars stand on the base: an automatic range without it would hang them below the axis.
  if (std::isfinite(base)) {
    yHigh = std::max(yHigh, base);
    yLow = std::min(yLow, base);
  }
  Range r;
  if (!barRange(x, range, static_cast<long long>(xRows) * xCols, yHigh, yLow, yFinite, width, &r)) return 0;
  return record(r, out, [&](OffScreenWorld& w, const Plot& p) {
    const double share = width / yCols;
    for (int i = 0; i < yRows; ++i)
      for (int s = 0; s < yCols; ++s) {
        const double left = x[i] - width / 2 + s * share;
        bar(w, p, left, base, x[i] - width / 2 + (s + 1) * share, y[idx(i, yCols, s)],
            colors[s % colorCount]);
      }
  });
}

int DoStackBarPlot(const double* x, const double* y, const double* range, int xRows, int xCols, int yRows,
                   int yCols, double, double width, const double* colors, int colorCount, Picture& out) {
  if (!barCheck(xRows, yRows, yCols, colorCount)) return 0;
  // The automatic y range holds every bar whole: from 0, where the stacks stand, through every
  // running total (a negative segment turns a stack back below its highest point).
  double yHigh = 0, yLow = 0;
  bool yFinite = true;
  for (int i = 0; i < yRows; ++i) {
    double total = 0;
    for (int j = 0; j < yCols; ++j) {
      total += y[idx(i, yCols, j)];
      if (!std::isfinite(total)) yFinite = false;
      yHigh = std::max(yHigh, total);
      yLow = std::min(yLow, total);
    }
  }
  Range r;
  if (!barRange(x, range, static_cast<long long>(xRows) * xCols, yHigh, yLow, yFinite, width, &r)) return 0;
  return record(r, out, [&](OffScreenWorld& w, const Plot& p) {
    for (int i = 0; i < yRows; ++i) {
      double below = 0;
      for (int j = 0; j < yCols; ++j) {
        const double top = below + y[idx(i, yCols, j)];
        bar(w, p, x[i] - width / 2, below, x[i] + width / 2, top, colors[j % colorCount]);
        below = top;
      }
    }
  });
}

int DoSetWindowSize(int32_t width, int32_t height) {
  hwin = std::max(width, 100);
  vwin = std::max(height, 100);
  return 1;
}

int DoPointMode(double value) {
  if (value != 0 && value != 1) return fail("invalid status");
  pointMode = static_cast<int32_t>(value);
  return 1;
}

int FrameLineDraw(uint8_t value) {
  DrawLineStatus = value;
  return 1;
}
