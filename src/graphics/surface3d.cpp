#include "graphics/surface3d.h"

#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "graphics/axis_range.h"
#include "graphics/color_table.h"
#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"
#include "graphics/plot2d.h"
#include "graphics/triangle_cut.h"
#include "graphics/triangle_warp.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/statistics.h"
#include "lang/values.h"

namespace view3d {
int32_t hwin = 300;
int32_t vwin = 300;
}  // namespace view3d
double magView3D = 0.6, viewX = 10.0, viewY = 10.0, viewZ = 100.0, Dhight = 0.1, Dmax = 1000.0,
       Dmin = -1000.0;

void resetView3DSettings() {
  view3d::hwin = view3d::vwin = 300;
  magView3D = 0.6;
  viewX = viewY = 10.0;
  viewZ = 100.0;
  Dhight = 0.1;
  Dmax = 1000.0;
  Dmin = -1000.0;
}

namespace {

using pravella::OffScreenWorld;
using pravella::Picture;

// Contour levels beyond this many per cell cannot be told apart and would only stall a run.
constexpr double kMaxLevels = 10000;

std::size_t at(long long i, int cols, long long j) { return static_cast<std::size_t>(i * cols + j); }

int16_t toCorner(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0));
}

// The derived size and centre of the view.
struct Frame {
  double W, H, cx, cy;
};
Frame frameOfView() {
  return Frame{std::trunc(view3d::hwin * magView3D), std::trunc(view3d::vwin * magView3D),
               static_cast<double>(view3d::hwin / 2), static_cast<double>(view3d::vwin / 2)};
}

double depthOf(const ViewRotation& r, double x, double y, double z) {
  return r.C[0] * x + r.C[1] * z + r.C[2] * y;
}

// The projected, culled and sorted cells of a grid.
struct Cells {
  std::vector<double> sx, sy;
  std::vector<SurfaceQuad> quads;
  int count = 0;
};

bool project(int rows, int cols, const double* x, const double* y, const double* z, const ViewRotation& r,
             double cx, double cy, Cells& cells) {
  const Frame f = frameOfView();
  try {
    const std::size_t n = static_cast<std::size_t>(rows) * cols;
    cells.sx.assign(n, 0.0);
    cells.sy.assign(n, 0.0);
    cells.quads.assign(n, SurfaceQuad{});
  } catch (const std::bad_alloc&) {
    return false;
  }
  Calc3DframeTo2D(rows, cols, x, y, z, cells.sx.data(), cells.sy.data(), r, cx, cy, f.W, f.H, viewZ, Dhight);
  CalcBehind3D(rows, cols, cells.quads.data(), x, y, z, viewZ, cells.sx.data(), cells.sy.data(), r,
               &cells.count);
  return SortBehind(cells.quads.data(), cells.count) != 0;
}

QPoint corner(const SurfaceQuad& q, int k) { return QPoint(q.corners[k][1], q.corners[k][0]); }
enum { P00 = 0, P10 = 1, P01 = 2, P11 = 3 };

bool drawable(const QPoint& p) { return std::abs(p.x()) <= 30000 && std::abs(p.y()) <= 30000; }

// A polygon of the cell's corners painted in the world's foreground; a corner out of the
// drawing range leaves the polygon unpainted, as its edges would be missing.
void paintPolygon(OffScreenWorld& w, const SurfaceQuad& q, std::initializer_list<int> order) {
  QPolygon polygon;
  for (int k : order) {
    const QPoint p = corner(q, k);
    if (!drawable(p)) return;
    polygon << p;
  }
  w.paintPolygon(polygon);
}

void frameCell(OffScreenWorld& w, const SurfaceQuad& q) {
  w.setForeColor(Qt::black);
  const int order[5] = {P00, P10, P11, P01, P00};
  for (int k = 0; k < 4; ++k) {
    const QPoint a = corner(q, order[k]), b = corner(q, order[k + 1]);
    pravella::line(w, a.x(), a.y(), b.x(), b.y());
  }
}

QColor tableColor(const uint8_t table[768], int k) {
  k = std::clamp(k, 0, 255);
  return QColor(table[3 * k], table[3 * k + 1], table[3 * k + 2]);
}

// The grid value at a corner of the cell.
double valueAt(const double* c, int cols, const SurfaceQuad& q, int k) {
  const int di = (k == P10 || k == P11) ? 1 : 0, dj = (k == P01 || k == P11) ? 1 : 0;
  return c[at(q.row + di, cols, q.column + dj)];
}

struct ValueRange {
  double max = 0, min = 0, step = 0, threshold = 0;
};

void minMaxOf(const double* c, long long n, double* max, double* min) {
  double hi = n > 0 ? c[0] : 0, lo = hi;
  for (long long i = 1; i < n; ++i) {
    if (c[i] > hi) hi = c[i];
    if (c[i] < lo) lo = c[i];
  }
  *max = hi;
  *min = lo;
}

// The contour segments of one cell: the first and second triangle cut at every level.
void contourCell(OffScreenWorld& w, const double* c, int cols, const SurfaceQuad& q, const ValueRange& vr) {
  if (!(vr.step > 0) || (vr.max - vr.min) / vr.step > kMaxLevels) return;
  auto point = [&](int k, double out[3]) {
    const QPoint p = corner(q, k);
    out[0] = p.x();
    out[1] = p.y();
    out[2] = valueAt(c, cols, q, k);
  };
  double a[3], b[3], d[3], e[3];
  point(P00, a);
  point(P01, b);
  point(P10, d);
  point(P11, e);
  forEachStep(vr.min, vr.max, vr.step, static_cast<long long>(kMaxLevels) + 2, [&](double level) {
    // The drawing system's blue and red, colour numbers 4 and 2.
    w.setForeColor(colorForReference(vr.threshold > level ? 4 : 2));
    double x1, y1, x2, y2;
    if (pravella::cross(a, b, d, level, &x1, &y1, &x2, &y2)) pravella::line(w, x1, y1, x2, y2);
    if (pravella::cross(d, b, e, level, &x1, &y1, &x2, &y2)) pravella::line(w, x1, y1, x2, y2);
  });
}

enum class Paint { Mesh, Shade, ValueSP, ValueTopo };

struct Surface {
  int rows, cols;
  const double *x, *y, *z, *c;
};

// Paints the sorted cells of one view into the world; false when the break stopped it.
bool paintCells(OffScreenWorld& w, const Surface& s, const Cells& cells, Paint paint, const ValueRange& vr,
                const uint8_t table[768], bool contours, bool outline) {
  for (int n = 0; n < cells.count; ++n) {
    // Between cells: one cell may cut thousands of levels.
    if (vkBreakHeld()) return false;
    const SurfaceQuad& q = cells.quads[static_cast<std::size_t>(n)];
    if (paint == Paint::Mesh) {
      w.setForeColor(Qt::white);
      paintPolygon(w, q, {P00, P10, P11, P01});
      frameCell(w, q);
      continue;
    }
    int first = 0, second = 0;
    if (paint == Paint::Shade) {
      auto xyz = [&](int k, double out[3]) {
        const int di = (k == P10 || k == P11) ? 1 : 0, dj = (k == P01 || k == P11) ? 1 : 0;
        const std::size_t i = at(q.row + di, s.cols, q.column + dj);
        out[0] = s.x[i];
        out[1] = s.y[i];
        out[2] = s.z[i];
      };
      double p00[3], p01[3], p10[3], p11[3];
      xyz(P00, p00);
      xyz(P01, p01);
      xyz(P10, p10);
      xyz(P11, p11);
      first = lightingIndex(p00, p01, p10);
      second = lightingIndex(p10, p01, p11);
    } else {
      const double m1 =
          (valueAt(s.c, s.cols, q, P00) + valueAt(s.c, s.cols, q, P10) + valueAt(s.c, s.cols, q, P01)) / 3;
      const double m2 =
          (valueAt(s.c, s.cols, q, P11) + valueAt(s.c, s.cols, q, P10) + valueAt(s.c, s.cols, q, P01)) / 3;
      const bool sp = paint == Paint::ValueSP;
      first = sp ? valueIndexSP(m1, vr.min, vr.max) : valueIndexTopo(m1, vr.min, vr.max);
      second = sp ? valueIndexSP(m2, vr.min, vr.max) : valueIndexTopo(m2, vr.min, vr.max);
    }
    w.setForeColor(tableColor(table, first));
    paintPolygon(w, q, {P00, P01, P10});
    w.setForeColor(tableColor(table, second));
    paintPolygon(w, q, {P10, P01, P11});
    if (contours) contourCell(w, s.c, s.cols, q, vr);
    if (outline && DrawLineStatus != 0) frameCell(w, q);
  }
  return true;
}

// Ends a picture that the break stopped: nothing is kept, the break's message is the reason.
int brokenPicture(OffScreenWorld* world) {
  EndDrawInToOffScreen(world);
  error_disp(kVkBreakMessage);
  return 0;
}

// The pipeline of the single-view pictures.
int surfacePicture(const Surface& s, Paint paint, const ValueRange& vr, bool contours, bool outline,
                   Picture& out) {
  ViewRotation r;
  CalcAngle(&r, viewX, viewY);
  const Frame f = frameOfView();
  Cells cells;
  if (!project(s.rows, s.cols, s.x, s.y, s.z, r, f.cx, f.cy, cells)) return 0;
  auto world = pravella::newOffScreenWorld(view3d::hwin, view3d::vwin);
  if (!world) return 0;
  pravella::PortSaver saver;
  if (!BeginDrawInToOffScreen(world.get())) return 0;
  uint8_t table[768];
  if (paint != Paint::Mesh) GetRGBColorTable(table);
  world->penNormal();
  world->eraseAll();
  if (!paintCells(*world, s, cells, paint, vr, table, contours, outline)) return brokenPicture(world.get());
  CopyOffScreen(out, *world);
  EndDrawInToOffScreen(world.get());
  return out.isEmpty() ? 0 : 1;
}

ValueRange rangeOf(const double* c, long long n, double p0, double p1, double step, double threshold,
                   bool topo) {
  ValueRange vr;
  if (p1 < p0) {
    vr = ValueRange{p0, p1, step, threshold};
  } else {
    minMaxOf(c, n, &vr.max, &vr.min);
    if (topo) {
      vr.step = (vr.max - vr.min) / 15;
      vr.threshold = (vr.min + vr.max) / 2;
    }
  }
  return vr;
}

}  // namespace

int DoSetparametricPlot3D(const double v[6]) {
  // A picture needs at least one pixel each way (and fits the drawing's 16-bit coordinates),
  // and the projections divide by the eye distance: such a view would leave every later 3-D
  // picture failing or undefined, so it is refused and the view kept.
  for (int i = 0; i < 6; ++i)
    if (!std::isfinite(v[i])) return 0;
  for (int i = 0; i < 2; ++i)
    if (std::trunc(v[i]) < 1 || std::trunc(v[i]) > 32767) return 0;
  if (v[4] == 0) return 0;
  view3d::hwin = vkTruncToInt(v[0]);
  view3d::vwin = vkTruncToInt(v[1]);
  viewX = v[2];
  viewY = v[3];
  viewZ = v[4];
  magView3D = v[5];
  return 1;
}

int DoSetView3D(const double v[6]) {
  const double flipped[6] = {v[0], v[1], -v[2], -v[3], -v[4], v[5]};
  return DoSetparametricPlot3D(flipped);
}

int CalcAngle(ViewRotation* r, double turn, double tilt) {
  const double t = -M_PI * turn / 180, u = M_PI * tilt / 180;
  *r = ViewRotation{{std::cos(t), 0, std::sin(t)},
                    {std::sin(t) * std::sin(u), std::cos(u), -std::cos(t) * std::sin(u)},
                    {-std::cos(u) * std::sin(t), std::sin(u), std::cos(t) * std::cos(u)}};
  return 1;
}

int Calc3DframeTo2D(int rows, int cols, const double* x, const double* y, const double* z, double* sx,
                    double* sy, const ViewRotation& r, double cx, double cy, double W, double, double eye,
                    double scale) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) {
    const double s = r.A[0] * x[i] + r.A[1] * z[i] + r.A[2] * y[i];
    const double u = r.B[0] * x[i] + r.B[1] * z[i] + r.B[2] * y[i];
    const double d = r.C[0] * x[i] + r.C[1] * z[i] + r.C[2] * y[i];
    if (eye > d) {
      const double p = 1 - d / eye;
      sx[i] = s / p * W * scale + cx;
      sy[i] = cy - u / p * W * scale;
    } else {
      sx[i] = cx;
      sy[i] = cy;
    }
  }
  return 1;
}

int Calc3DframeTo3D(int rows, int cols, const double* x, const double* y, const double* z, double* across,
                    double* depth, double* up, const ViewRotation& r) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) {
    across[i] = r.A[0] * x[i] + r.A[1] * z[i] + r.A[2] * y[i];
    up[i] = r.B[0] * x[i] + r.B[1] * z[i] + r.B[2] * y[i];
    depth[i] = r.C[0] * x[i] + r.C[1] * z[i] + r.C[2] * y[i];
  }
  return 1;
}

int CalcBehind3D(int rows, int cols, SurfaceQuad* out, const double* x, const double* y, const double* z,
                 double eye, const double* sx, const double* sy, const ViewRotation& r, int* count) {
  int n = 0;
  for (int i = 0; i + 1 < rows; ++i)
    for (int j = 0; j + 1 < cols; ++j) {
      const std::size_t k[4] = {at(i, cols, j), at(i + 1, cols, j), at(i, cols, j + 1),
                                at(i + 1, cols, j + 1)};
      bool visible = true;
      double mx = 0, my = 0, mz = 0;
      for (std::size_t c : k) {
        if (!(depthOf(r, x[c], y[c], z[c]) < eye)) visible = false;
        mx += x[c];
        my += y[c];
        mz += z[c];
      }
      if (!visible) continue;
      SurfaceQuad& q = out[n++];
      for (int c = 0; c < 4; ++c) {
        q.corners[c][0] = toCorner(sy[k[c]]);
        q.corners[c][1] = toCorner(sx[k[c]]);
      }
      q.row = i;
      q.column = j;
      const double d = depthOf(r, mx / 4, my / 4, mz / 4) - eye;
      q.key = d * d;
      q.mean = 0;
    }
  *count = n;
  return 1;
}

int Calc3Dto2D(int rows, int cols, double* sx, double* sy, const double* heights, const ViewRotation& r,
               double cx, double cy, double W, double eye) {
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) {
      const double u = static_cast<double>(j) / (cols - 1) - 0.5,
                   w = static_cast<double>(i) / (rows - 1) - 0.5;
      const std::size_t k = at(i, cols, j);
      const double h = heights[k];
      const double s = r.A[0] * u + r.A[1] * h - r.A[2] * w;
      const double up = r.B[0] * u + r.B[1] * h - r.B[2] * w;
      const double d = r.C[0] * u + r.C[1] * h - r.C[2] * w;
      const double p = 1 - d / eye;
      sx[k] = s / p * W + cx;
      sy[k] = cy - up / p * W;
    }
  return 1;
}

int CalcBehind(int rows, int cols, SurfaceQuad* out, const double* heights, const double* sx,
               const double* values, const double* sy, double eye, const ViewRotation& r, int* count) {
  int n = 0;
  for (int i = 0; i + 1 < rows; ++i)
    for (int j = 0; j + 1 < cols; ++j) {
      const std::size_t k[4] = {at(i, cols, j), at(i + 1, cols, j), at(i, cols, j + 1),
                                at(i + 1, cols, j + 1)};
      SurfaceQuad& q = out[n++];
      double mean = 0;
      for (int c = 0; c < 4; ++c) {
        q.corners[c][0] = toCorner(sy[k[c]]);
        q.corners[c][1] = toCorner(sx[k[c]]);
        mean += values[k[c]];
      }
      q.row = i;
      q.column = j;
      const double u = static_cast<double>(j) / (cols - 1) - 0.5,
                   w = static_cast<double>(i) / (rows - 1) - 0.5;
      const double d = r.C[0] * u + r.C[1] * heights[k[0]] - r.C[2] * w - eye;
      q.key = d * d;
      q.mean = mean / 4;
    }
  *count = n;
  return 1;
}

int SortBehind(SurfaceQuad* quads, int count) {
  if (count <= 1) return 1;
  std::vector<SurfaceQuad> copy;
  try {
    copy.assign(quads, quads + count);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (!DoMakeSortInfo(count)) return 0;
  for (int i = 0; i < count; ++i) msData[static_cast<std::size_t>(i)].value = -quads[i].key;
  if (!mergesort_vk(0, count - 1)) {
    DoDisposeSortInfo();
    error_disp(kVkBreakMessage);
    return 0;
  }
  for (int i = 0; i < count; ++i)
    quads[i] = copy[static_cast<std::size_t>(msData[static_cast<std::size_t>(i)].index)];
  DoDisposeSortInfo();
  return 1;
}

int lightingIndex(const double q0[3], const double q1[3], const double q2[3]) {
  const double u[3] = {q1[0] - q0[0], q1[1] - q0[1], q1[2] - q0[2]};
  const double v[3] = {q2[0] - q0[0], q2[1] - q0[1], q2[2] - q0[2]};
  const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const double nn = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
  double shade = M_PI / 2;
  if (nn * 3 != 0)
    shade = std::fabs(M_PI / 2 - std::acos(std::clamp((n[0] + n[1] + n[2]) / std::sqrt(nn * 3), -1.0, 1.0)));
  return vkTruncToInt(64 * shade + 64);
}

int valueIndexSP(double m, double min, double max) {
  if (max == min) return 0;
  int k = vkTruncToInt((m - min) * 255 / (max - min));
  if (k < 0) k = 0;
  if (k >= 255) k = 254;
  return k;
}

int valueIndexTopo(double m, double min, double max) {
  if (max == min) return 0;
  double v = (m - min) * 255 / (max - min);
  if (v < 0) v = 0;
  if (v > 255) v = 255;
  return vkTruncToInt(v);
}

int PlotPict3D(int rows, int cols, const double* x, const double* y, const double* z,
               const QByteArray& picture, Picture& out) {
  ViewRotation r;
  CalcAngle(&r, viewX, viewY);
  const Frame f = frameOfView();
  Cells cells;
  if (!project(rows, cols, x, y, z, r, f.cx, f.cy, cells)) return 0;
  std::vector<double> table;
  try {
    table.reserve(static_cast<std::size_t>(2) * (cells.count + 1) * 12);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const QRect frame = Picture(picture).frame();
  const long long pw = frame.width(), ph = frame.height();
  auto add = [&table](long long sx1, long long sy1, long long sx2, long long sy2, long long sx3,
                      long long sy3, QPoint t1, QPoint t2, QPoint t3) {
    for (double v :
         {double(sx1), double(sy1), double(sx2), double(sy2), double(sx3), double(sy3), double(t1.x()),
          double(t1.y()), double(t2.x()), double(t2.y()), double(t3.x()), double(t3.y())})
      table.push_back(v);
  };
  // Cell (i, j) takes the picture's columns xa..xb and rows ya..yb, far cells first so that
  // nearer ones cover them.
  for (int k = 0; k < cells.count; ++k) {
    const SurfaceQuad& q = cells.quads[k];
    const long long i = q.row, j = q.column;
    const long long xa = pw * j / (cols - 1), xb = pw * (j + 1) / (cols - 1);
    const long long ya = ph * i / (rows - 1), yb = ph * (i + 1) / (rows - 1);
    add(xa, ya, xa, yb, xb, ya, corner(q, P00), corner(q, P10), corner(q, P01));
    add(xa, yb, xb, yb, xb, ya, corner(q, P10), corner(q, P11), corner(q, P01));
  }
  QByteArray bytes;
  if (!changeMoofPicture(picture, table.data(), 2 * cells.count, view3d::hwin, view3d::vwin, bytes)) return 0;
  out = Picture(bytes);
  return 1;
}

int DoParametricPlot3D(int rows, int cols, const double* x, const double* y, const double* z, Picture& out) {
  return surfacePicture(Surface{rows, cols, x, y, z, nullptr}, Paint::Mesh, ValueRange{}, false, false, out);
}

int DoParametricPlot3DColor(int rows, int cols, const double* x, const double* y, const double* z,
                            Picture& out) {
  return surfacePicture(Surface{rows, cols, x, y, z, nullptr}, Paint::Shade, ValueRange{}, false, true, out);
}

int DoParametricPlot3DSP(int rows, int cols, const double* x, const double* y, const double* z,
                         const double* c, double p0, double p1, Picture& out) {
  const ValueRange vr = rangeOf(c, static_cast<long long>(rows) * cols, p0, p1, 0, 0, false);
  return surfacePicture(Surface{rows, cols, x, y, z, c}, Paint::ValueSP, vr, false, true, out);
}

int DoParametricPlot3DSPTopo(int rows, int cols, const double* x, const double* y, const double* z,
                             const double* c, double p0, double p1, double step, double threshold,
                             double frame, Picture& out) {
  const ValueRange vr = rangeOf(c, static_cast<long long>(rows) * cols, p0, p1, step, threshold, true);
  return surfacePicture(Surface{rows, cols, x, y, z, c}, Paint::ValueTopo, vr, true, frame > 0, out);
}

int DoParametricPlot3DStereo(int rows, int cols, const double* x, const double* y, const double* z,
                             const double* c, double p0, double p1, double step, double threshold,
                             double eyeAngle, int32_t swap, Picture& out) {
  const long long n = static_cast<long long>(rows) * cols;
  ValueRange vr;
  if (p1 < p0)
    vr = ValueRange{p0, p1, step, threshold};
  else
    minMaxOf(c, n, &vr.max, &vr.min);
  std::vector<double> across, depth, up;
  try {
    across.assign(static_cast<std::size_t>(n), 0.0);
    depth.assign(static_cast<std::size_t>(n), 0.0);
    up.assign(static_cast<std::size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  auto world = pravella::newOffScreenWorld(2 * view3d::hwin, view3d::vwin);
  if (!world) return 0;
  pravella::PortSaver saver;
  if (!BeginDrawInToOffScreen(world.get())) return 0;
  uint8_t table[768];
  GetRGBColorTable(table);
  world->penNormal();
  world->eraseAll();
  ViewRotation main;
  CalcAngle(&main, viewX, viewY);
  Calc3DframeTo3D(rows, cols, x, y, z, across.data(), depth.data(), up.data(), main);
  const Frame f = frameOfView();
  const Surface s{rows, cols, across.data(), depth.data(), up.data(), c};
  for (int image = 0; image < 2; ++image) {
    const bool left = image == 0;
    const double angle = (swap == 0) == left ? eyeAngle : -eyeAngle;
    ViewRotation eye;
    CalcAngle(&eye, angle, 0);
    Cells cells;
    if (!project(rows, cols, across.data(), depth.data(), up.data(), eye, left ? f.cx : f.cx + view3d::hwin,
                 f.cy, cells)) {
      EndDrawInToOffScreen(world.get());
      return 0;
    }
    if (!paintCells(*world, s, cells, Paint::ValueTopo, vr, table, vr.step != 0, true))
      return brokenPicture(world.get());
  }
  CopyOffScreen(out, *world);
  EndDrawInToOffScreen(world.get());
  return out.isEmpty() ? 0 : 1;
}
