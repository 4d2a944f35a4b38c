#include "graphics/height_surface.h"

#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "graphics/color_table.h"
#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"
#include "graphics/plot2d.h"
#include "graphics/surface3d.h"
#include "graphics/triangle_cut.h"
#include "lang/values.h"

namespace {

using pravella::OffScreenWorld;
using pravella::Picture;

enum { P00 = 0, P10 = 1, P01 = 2, P11 = 3 };

QPoint corner(const SurfaceQuad& q, int k) { return QPoint(q.corners[k][1], q.corners[k][0]); }

// The cell's whole outline P00, P10, P11, P01.
QPolygon outlineOf(const SurfaceQuad& q) {
  QPolygon polygon;
  for (int k : {P00, P10, P11, P01}) polygon << corner(q, k);
  return polygon;
}

void frameCell(OffScreenWorld& w, const SurfaceQuad& q) {
  w.setForeColor(Qt::black);
  const int order[5] = {P00, P10, P11, P01, P00};
  for (int k = 0; k < 4; ++k) {
    const QPoint a = corner(q, order[k]), b = corner(q, order[k + 1]);
    pravella::line(w, a.x(), a.y(), b.x(), b.y());
  }
}

int heightSurface(const double* values, int rows, int cols, bool coloured, Picture& out) {
  if (rows < 2 || cols < 2) return 0;
  const double W = std::trunc(view3d::hwin * magView3D);
  const double cx = view3d::hwin / 2, cy = view3d::vwin / 2;
  const std::size_t n = static_cast<std::size_t>(rows) * cols;
  std::vector<double> sx, sy, heights;
  std::vector<SurfaceQuad> quads;
  try {
    sx.assign(n, 0.0);
    sy.assign(n, 0.0);
    heights.assign(n, 0.0);
    quads.assign(n, SurfaceQuad{});
  } catch (const std::bad_alloc&) {
    return 0;
  }
  ViewRotation r;
  CalcAngle(&r, viewX, viewY);
  limitData(rows, cols, values, heights.data(), Dmax, Dmin, Dhight);
  Calc3Dto2D(rows, cols, sx.data(), sy.data(), heights.data(), r, cx, cy, W, viewZ);
  int count = 0;
  CalcBehind(rows, cols, quads.data(), heights.data(), sx.data(), values, sy.data(), viewZ, r, &count);
  if (!SortBehind(quads.data(), count)) return 0;

  auto world = pravella::newOffScreenWorld(view3d::hwin, view3d::vwin);
  if (!world) return 0;
  pravella::PortSaver saver;
  if (!BeginDrawInToOffScreen(world.get())) return 0;
  world->penNormal();
  world->eraseAll();

  uint8_t table[768];
  double max = values[0], min = values[0];
  if (coloured) {
    GetRGBColorTable(table);
    for (std::size_t i = 1; i < n; ++i) {
      max = std::max(max, values[i]);
      min = std::min(min, values[i]);
    }
  }
  const double scale = max != min ? 254 / (max - min) : 0;
  for (int c = 0; c < count; ++c) {
    const SurfaceQuad& q = quads[static_cast<std::size_t>(c)];
    if (coloured) {
      int k = vkTruncToInt((q.mean - min) * scale);
      k = std::clamp(k, 0, 254);
      world->setForeColor(QColor(table[3 * k], table[3 * k + 1], table[3 * k + 2]));
    } else {
      world->setForeColor(Qt::white);
    }
    world->paintPolygon(outlineOf(q));
    if (!coloured || DrawLineStatus != 0) frameCell(*world, q);
  }
  CopyOffScreen(out, *world);
  EndDrawInToOffScreen(world.get());
  return out.isEmpty() ? 0 : 1;
}

}  // namespace

int limitData(int rows, int cols, const double* in, double* out, double upper, double lower, double factor) {
  const long long n = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < n; ++i) out[i] = std::max(lower, std::min(upper, in[i])) * factor;
  return 1;
}

int doM3D(int, int, const double* values, int rows, int cols, Picture& out) {
  return heightSurface(values, rows, cols, false, out);
}

int doM3Dcolor(int, int, const double* values, int rows, int cols, Picture& out) {
  return heightSurface(values, rows, cols, true, out);
}
