#include "graphics/editors/gr_edit.h"

#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <new>

#include "graphics/axis_range.h"
#include "graphics/color_table.h"
#include "graphics/editors/hand_editor_panels.h"
#include "graphics/graphics_hooks.h"
#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"
#include "graphics/outline_region.h"
#include "graphics/plot2d.h"
#include "platform/cformat.h"

namespace pravella {

namespace {

// Pixel coordinates are kept inside the drawing system's space.
constexpr double kCoordinateLimit = 32767;
// The tick walk's bound: far above the few dozen ticks AxisGet gives.
constexpr long long kTickLimit = 10002;

int toPixel(double p) { return static_cast<int>(std::clamp(p, -kCoordinateLimit, kCoordinateLimit)); }

double xValue(const GrEditState& s, const double* data, int row) {
  return s.xParam == 0 ? row : data[static_cast<std::size_t>(row) * s.org_n + s.xParam - 1];
}

}  // namespace

GrEditState& grEditState() {
  static GrEditState state;
  return state;
}

int DoMakeInnerData(const double* data, int m, int n, int xParam, int yParam) {
  GrEditState& s = grEditState();
  try {
    s.org_data.assign(data, data + static_cast<std::size_t>(m) * n);
    s.now_data = s.org_data;
  } catch (const std::bad_alloc&) {
    s.org_data.clear();
    s.now_data.clear();
    return 0;
  }
  s.org_m = s.now_m = m;
  s.org_n = n;
  s.xParam = xParam;
  s.yParam = yParam;
  return 1;
}

QPointF grEditViewPoint(double x, double y) {
  const GrEditState& s = grEditState();
  const int W = s.width_n, H = s.height_m;
  const double sx = (6 * W / 7 - W / 7) / (s.xmax_A - s.xmin_A);
  const double sy = (6 * H / 7 - H / 7) / (s.ymax_A - s.ymin_A);
  return QPointF(W / 7 + (x - s.xmin_A) * sx, H / 7 + (y - s.ymin_A) * sy);
}

int DoGetSelectedData(const double* data, int m, int n, int xParam, int yParam, double* out, int* outCount,
                      int mode) {
  GrEditState& s = grEditState();
  const QRegion region = s.lasso.region();
  int kept = 0;
  for (int r = 0; r < m; ++r) {
    const double* row = data + static_cast<std::size_t>(r) * n;
    const double x = xParam == 0 ? r : row[xParam - 1];
    const QPointF p = grEditViewPoint(x, row[yParam - 1]);
    const bool inside = regionContains(region, p.x(), p.y());
    if (inside != (mode == 1)) continue;
    std::copy(row, row + n, out + static_cast<std::size_t>(kept) * n);  // kept <= r: safe in place
    ++kept;
  }
  *outCount = kept;
  return 1;
}

int DoMakePlotImageorGrEdit(const double* x, const double* y, int xCount, int yCount, int width, int height,
                            Picture& out) {
  GrEditState& s = grEditState();
  if (xCount != yCount || xCount <= 0) {
    graphics::reportError("Invalid plot parameters.");
    return 0;
  }
  double xmax, xmin, ymax, ymin;
  getMaxMin(x, xCount, 1, &xmax, &xmin);
  getMaxMin(y, yCount, 1, &ymax, &ymin);
  if (!(xmax - xmin >= 1e-15) || !(ymax - ymin >= 1e-15)) {
    graphics::reportError("Invalid plot range.");
    return 0;
  }
  double xstep = 0, ystep = 0;
  if (!AxisGet(&xmax, &xmin, &xstep) || !AxisGet(&ymax, &ymin, &ystep)) return 0;
  auto world = newOffScreenWorld(width, height);
  if (!world) return 0;
  s.xmin_A = xmin;
  s.xmax_A = xmax;
  s.ymin_A = ymin;
  s.ymax_A = ymax;
  const int W = width, H = height;
  const int left = W / 7, right = 6 * W / 7, top = H / 7, bottom = 6 * H / 7;
  const int kx = (right - left) / 80, ky = (bottom - top) / 80;
  const double sx = (right - left) / (xmax - xmin), sy = (bottom - top) / (ymax - ymin);
  out = recordCommands(*world, [&](OffScreenWorld& w) {
    w.setForeColor(Qt::black);
    w.textSize(9);
    w.textFont(QString());
    w.moveTo(left, bottom);
    w.lineTo(right, bottom);
    forEachStep(xmin, xmax, xstep, kTickLimit, [&](double t) {
      const double v = std::fabs(t) < 1e-15 ? 0 : t;
      const int h = toPixel(left + (v - xmin) * sx);
      w.moveTo(h, bottom - kx);
      w.lineTo(h, bottom + kx / 2);
      w.moveTo(h, bottom + 15);
      w.drawString(QString::fromStdString(cformat("%G", v)));
    });
    w.moveTo(left, top);
    w.lineTo(left, bottom);
    forEachStep(ymin, ymax, ystep, kTickLimit, [&](double t) {
      const double v = std::fabs(t) < 1e-15 ? 0 : t;
      const int vv = toPixel(bottom - (v - ymin) * sy);
      w.moveTo(left - ky / 2, vv);
      w.lineTo(left + ky, vv);
      w.moveTo(10, vv);
      w.drawString(QString::fromStdString(cformat("%G", v)));
    });
    // One data series: black dots of the y tick length, or single pixels in point mode.
    w.setForeColor(colorForReference(1));
    const int r = ky;
    for (int i = 0; i < xCount; ++i) {
      if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
      const int h = toPixel(left + (x[i] - xmin) * sx), v = toPixel(bottom - (y[i] - ymin) * sy);
      if (pointMode == 1) {
        w.moveTo(h, v);
        w.lineTo(h, v);
      } else {
        w.paintOval(h - r, v - r, h + r + 1, v + r + 1);
      }
    }
  });
  if (out.isEmpty()) {
    graphics::reportError("BeginDrawingOffscreen: LockPixels failed");
    return 0;
  }
  return 1;
}

bool showGrEditImage() {
  GrEditState& s = grEditState();
  if (s.xParam < 0 || s.xParam > s.org_n || s.yParam < 1 || s.yParam > s.org_n) return false;
  std::vector<double> x(static_cast<std::size_t>(s.now_m)), y(x.size());
  for (int r = 0; r < s.now_m; ++r) {
    x[static_cast<std::size_t>(r)] = xValue(s, s.now_data.data(), r);
    y[static_cast<std::size_t>(r)] = s.now_data[static_cast<std::size_t>(r) * s.org_n + s.yParam - 1];
  }
  Picture picture;
  if (!DoMakePlotImageorGrEdit(x.data(), y.data(), s.now_m, s.now_m, s.width_n, s.height_m, picture)) return false;
  s.image = picture.toImageOnWhite();
  return !s.image.isNull();
}

void grEditSelect(bool inside) {
  GrEditState& s = grEditState();
  std::vector<double> kept(s.now_data.size());
  int count = 0;
  DoGetSelectedData(s.now_data.data(), s.now_m, s.org_n, s.xParam, s.yParam, kept.data(), &count, inside ? 1 : 0);
  s.lasso.clear();
  if (count == 0) {
    if (s.sound) s.sound(QStringLiteral("Basso"));
  } else {
    kept.resize(static_cast<std::size_t>(count) * s.org_n);
    s.now_data = std::move(kept);
    s.now_m = count;
  }
  showGrEditImage();
}

void grEditRevert() {
  GrEditState& s = grEditState();
  s.now_data = s.org_data;
  s.now_m = s.org_m;
  s.lasso.clear();
  showGrEditImage();
}

bool grEditOk() {
  GrEditState& s = grEditState();
  if (s.lasso.empty()) return true;
  if (!s.lasso.closed()) {
    if (s.sound) s.sound(QStringLiteral("Basso"));
    return false;
  }
  std::vector<double> kept(s.now_data.size());
  int count = 0;
  DoGetSelectedData(s.now_data.data(), s.now_m, s.org_n, s.xParam, s.yParam, kept.data(), &count, 1);
  if (count == 0) {
    grEditRevert();
    return false;
  }
  kept.resize(static_cast<std::size_t>(count) * s.org_n);
  s.now_data = std::move(kept);
  s.now_m = count;
  return true;
}

void grEditResize(int width, int height) {
  GrEditState& s = grEditState();
  s.viewWidth = width;
  s.viewHeight = height;
  if (s.width_n <= 0 || s.height_m <= 0 || width <= 0 || height <= 0) return;
  s.xFactor = static_cast<double>(width) / s.width_n;
  s.yFactor = static_cast<double>(height) / s.height_m;
  s.lasso.scale(s.xFactor, s.yFactor);
  s.width_n = width;
  s.height_m = height;
  showGrEditImage();
}

int DoGrEdit_test1(const double* data, int m, int n, int xParam, int yParam, double* out, int* outRows) {
  GrEditState& s = grEditState();
  s.width_n = s.height_m = 0;
  s.xFactor = s.yFactor = 1.0;
  if (!DoMakeInnerData(data, m, n, xParam, yParam)) return 0;
  s.width_n = s.viewWidth;
  s.height_m = s.viewHeight;
  if (!showGrEditImage()) return 0;
  s.lasso.clear();
  const int code = runHandEditorPanel(kShowGrEditPanel);
  std::copy(s.now_data.begin(), s.now_data.end(), out);
  *outRows = s.now_m;
  return code == kPanelAccepted ? 1 : 0;
}

}  // namespace pravella
