#include "graphics/contour.h"

#include <algorithm>
#include <cmath>

#include "graphics/axis_range.h"
#include "graphics/color_table.h"
#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"
#include "graphics/triangle_cut.h"
#include "lang/report.h"
#include "lang/run_state.h"

int32_t topoHwin = 200;
int32_t topoVwin = 200;

void resetTopoWindowSize() { topoHwin = topoVwin = 200; }

namespace {

using pravella::OffScreenWorld;
using pravella::Picture;

// More levels than this cannot be told apart and would only stall the run.
constexpr double kMaxLevels = 10000;
// The level walk's bound; the step is shortened a little, which adds a level at most.
constexpr long long kLevelLimit = static_cast<long long>(kMaxLevels) + 3;

struct Levels {
  double max, min, step, reference;
};

int invalidParameters() {
  error_disp("Invalid contourPlot parameters.");
  return 0;
}

// The given levels, or the data's in 15 steps.
int chooseLevels(const double* heights, long long n, long long stride, double max, double min, double step,
                 double reference, Levels* out) {
  if (max != min && max > min && step != 0) {
    if (!(step > 0) || !std::isfinite(max) || !std::isfinite(min) || (max - min) / step > kMaxLevels)
      return invalidParameters();
    *out = Levels{max, min, step, reference};
    return 1;
  }
  double hi = heights[0], lo = heights[0];
  for (long long i = 0; i < n; ++i) {
    const double v = heights[i * stride];
    if (v > hi) hi = v;
    if (v < lo) lo = v;
  }
  if (hi == lo || !std::isfinite(hi - lo)) return invalidParameters();
  *out = Levels{hi, lo, (hi - lo) / 15, (hi + lo) / 2};
  return 1;
}

// Cuts the triangle at every level and draws the segments.
void contourTriangle(OffScreenWorld& w, const double a[3], const double b[3], const double c[3],
                     const Levels& lv) {
  const double s = lv.step * 0.9999999999;
  forEachStep(lv.min, lv.max, s, kLevelLimit, [&](double v) {
    double x1, y1, x2, y2;
    if (!pravella::cross(a, b, c, v, &x1, &y1, &x2, &y2)) return;
    // The drawing system's blue and red, colour numbers 4 and 2.
    w.setForeColor(colorForReference(lv.reference > v ? 4 : 2));
    pravella::line(w, x1, y1, x2, y2);
  });
}

// The contours of a grid whose node (i, j) is drawn at position(i, j); the cell diagonals
// mirror about the grid's centre lines. False when the break stopped it (between cells: a
// cell may cut thousands of levels).
template <typename Position>
bool contourGrid(OffScreenWorld& w, const double* z, int rows, int cols, const Levels& lv,
                 Position position) {
  auto node = [&](int i, int j, double out[3]) {
    position(i, j, &out[0], &out[1]);
    out[2] = z[static_cast<std::size_t>(i) * cols + j];
  };
  for (int i = 0; i + 1 < rows; ++i) {
    for (int j = 0; j + 1 < cols; ++j) {
      if (vkBreakHeld()) return false;
      double p00[3], p01[3], p10[3], p11[3];
      node(i, j, p00);
      node(i, j + 1, p01);
      node(i + 1, j, p10);
      node(i + 1, j + 1, p11);
      const bool antiDiagonal = (i < rows / 2 && j < cols / 2) || (i >= rows / 2 && j >= cols / 2);
      if (antiDiagonal) {
        contourTriangle(w, p00, p10, p01, lv);
        contourTriangle(w, p11, p10, p01, lv);
      } else {
        contourTriangle(w, p00, p01, p11, lv);
        contourTriangle(w, p00, p10, p11, lv);
      }
    }
  }
  return true;
}

// The picture that draw(world) records; draw returns false when the break stopped it, and
// the plot then fails with the break's message and no picture.
template <typename Draw>
int record(int width, int height, Picture& out, Draw&& draw) {
  auto world = pravella::newOffScreenWorld(width, height);
  if (!world) return 0;
  bool whole = true;
  out = pravella::recordCommands(*world, [&](OffScreenWorld& w) {
    w.setBackColor(Qt::white);
    whole = draw(w);
  });
  if (!whole) {
    out = Picture();
    error_disp(kVkBreakMessage);
    return 0;
  }
  return out.isEmpty() ? 0 : 1;
}

}  // namespace

int DoSetTopoWindowSize(int32_t width, int32_t height) {
  topoHwin = std::max(width, 100);
  topoVwin = std::max(height, 100);
  return 1;
}

int DoGraphTopo(const double* z, int rows, int cols, double max, double min, double step, double reference,
                Picture& out) {
  if (rows < 2 || cols < 2) return invalidParameters();
  Levels lv;
  if (!chooseLevels(z, static_cast<long long>(rows) * cols, 1, max, min, step, reference, &lv)) return 0;
  const int W = topoHwin, H = topoVwin;
  const double w = W - 2, h = H - 2;
  const double left = W / 2 - w / 2, top = H / 2 - h / 2;
  return record(W, H, out, [&](OffScreenWorld& world) {
    return contourGrid(world, z, rows, cols, lv, [&](int i, int j, double* x, double* y) {
      *x = left + j * w / (cols - 1);
      *y = top + i * h / (rows - 1);
    });
  });
}

int DoGraphTopoXY(int32_t width, int32_t height, const double* x, const double* y, const double* z, int rows,
                  int cols, double max, double min, double step, double reference, Picture& out) {
  if (rows < 2 || cols < 2) return invalidParameters();
  Levels lv;
  if (!chooseLevels(z, static_cast<long long>(rows) * cols, 1, max, min, step, reference, &lv)) return 0;
  return record(width, height, out, [&](OffScreenWorld& world) {
    return contourGrid(world, z, rows, cols, lv, [&](int i, int j, double* px, double* py) {
      const std::size_t k = static_cast<std::size_t>(i) * cols + j;
      *px = x[k];
      *py = y[k];
    });
  });
}

int DoSankakuTopo(const double* triangles, int count, double max, double min, double step, double reference,
                  double xmin, double xmax, double ymin, double ymax, Picture& out) {
  if (count < 1) return invalidParameters();
  // Heights are the last three of each record.
  Levels lv;
  double hi = triangles[9], lo = triangles[9];
  for (int t = 0; t < count; ++t)
    for (int k = 9; k < 12; ++k) {
      hi = std::max(hi, triangles[t * 12 + k]);
      lo = std::min(lo, triangles[t * 12 + k]);
    }
  const double extremes[2] = {hi, lo};
  if (max != min && max > min && step != 0) {
    if (!chooseLevels(extremes, 2, 1, max, min, step, reference, &lv)) return 0;
  } else if (!chooseLevels(extremes, 2, 1, 0, 0, 0, 0, &lv)) {
    return 0;
  }
  if (!(xmin < xmax && ymin < ymax)) {
    xmin = xmax = triangles[3];
    ymin = ymax = triangles[4];
    for (int t = 0; t < count; ++t)
      for (int k = 0; k < 3; ++k) {
        xmin = std::min(xmin, triangles[t * 12 + 3 + 2 * k]);
        xmax = std::max(xmax, triangles[t * 12 + 3 + 2 * k]);
        ymin = std::min(ymin, triangles[t * 12 + 4 + 2 * k]);
        ymax = std::max(ymax, triangles[t * 12 + 4 + 2 * k]);
      }
  }
  const int W = topoHwin, H = topoVwin;
  return record(W, H, out, [&](OffScreenWorld& world) {
    // An empty extent leaves the picture with the titles only.
    if (!(xmin < xmax && ymin < ymax)) return true;
    for (int t = 0; t < count; ++t) {
      if (vkBreakHeld()) return false;
      const double* r = triangles + static_cast<std::size_t>(t) * 12;
      double p[3][3];
      for (int k = 0; k < 3; ++k) {
        p[k][0] = (r[3 + 2 * k] - xmin) * W / (xmax - xmin);
        p[k][1] = H - (r[4 + 2 * k] - ymin) * H / (ymax - ymin);
        p[k][2] = r[9 + k];
      }
      contourTriangle(world, p[0], p[1], p[2], lv);
    }
    return true;
  });
}
