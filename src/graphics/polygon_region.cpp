#include "graphics/polygon_region.h"

#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "graphics/graphics_hooks.h"
#include "graphics/outline_region.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace {

// Vertices rounded to whole coordinates, as the drawing system takes them.
QRegion regionOf(const double* outline, int count) {
  QPolygon polygon;
  for (int i = 0; i < count; ++i)
    polygon << QPoint(pravella::regionCoordinate(outline[2 * i] + 0.5),
                      pravella::regionCoordinate(outline[2 * i + 1] + 0.5));
  return pravella::outlineRegion(polygon);
}

// The outline as a closed list of vertices: a copy of the first is added when the last
// differs from it. A vertex equal to the one before it counts once: the zero-length edge it
// would make is parallel to every ray, and would end every crossing count as "inside".
std::vector<QPointF> closedOutline(const double* outline, int count) {
  std::vector<QPointF> v;
  for (int i = 0; i < count; ++i) {
    const QPointF p(outline[2 * i], outline[2 * i + 1]);
    if (v.empty() || p != v.back()) v.push_back(p);
  }
  if (!v.empty() && v.back() != v.front()) v.push_back(v.front());
  return v;
}

double outlineArea(const std::vector<QPointF>& v) {
  double s = 0;
  for (std::size_t i = 0; i + 1 < v.size(); ++i) s += v[i].x() * v[i + 1].y() - v[i + 1].x() * v[i].y();
  return std::fabs(s) / 2;
}

constexpr double kEps = 1e-10;

// Each point is tested against every edge: many points in a long outline take minutes.
bool brokenAfter(VkBreakByWork& breakTest, std::size_t edges) {
  if (!breakTest.held(static_cast<long long>(edges) + 1)) return false;
  error_disp(kVkBreakMessage);
  return true;
}

// Ray-crossing test of q toward far points around the centre; see DoRegionPoints.
bool insideByCrossing(const std::vector<QPointF>& v, QPointF q, double cx, double cy, double radius) {
  double ox = 0, oy = 0;
  getOuterPoint(cx, cy, radius, &ox, &oy);
  int newFarPoints = 0;
  while (true) {
    int crossings = 0;
    bool restart = false;
    for (std::size_t e = 0; e + 1 < v.size(); ++e) {
      const double ax = v[e].x(), ay = v[e].y(), bx = v[e + 1].x(), by = v[e + 1].y();
      // q + t (O - q) = A + s (B - A)
      const double dx = ox - q.x(), dy = oy - q.y(), ex = bx - ax, ey = by - ay;
      const double det = dx * (-ey) - dy * (-ex);
      if (std::fabs(det) < kEps) {
        restart = true;
        break;
      }
      const double rx = ax - q.x(), ry = ay - q.y();
      const double t = (rx * (-ey) - ry * (-ex)) / det;
      const double s = (dx * ry - dy * rx) / det;
      if (s <= -kEps || s >= 1.0000000001 || t <= -kEps || t >= 1.0000000001) continue;
      if (std::fabs(s) < kEps || std::fabs(s - 1) < kEps) {
        restart = true;
        break;
      }
      if (std::fabs(t) < kEps) return true;
      ++crossings;
    }
    if (!restart) return crossings % 2 == 1;
    getOuterPoint(cx, cy, radius, &ox, &oy);
    if (++newFarPoints >= 3) return true;
    showErrMessageToConsole(pravella::cformat("(region:%3d) conect terminal point\n", newFarPoints));
  }
}

}  // namespace

void getOuterPoint(double cx, double cy, double radius, double* x, double* y) {
  const double angle = 2 * M_PI * drand48();
  *x = cx + radius * std::cos(angle);
  *y = cy + radius * std::sin(angle);
  showErrMessageToConsole(pravella::cformat("xx = %g,  yy = %g\n", *x, *y));
}

int DoRegionPoints(const double* outline, int count, const double* data, int k, int cols, double* out,
                   int* found) {
  double minX = outline[0], maxX = outline[0], minY = outline[1], maxY = outline[1];
  for (int i = 1; i < count; ++i) {
    minX = std::min(minX, outline[2 * i]);
    maxX = std::max(maxX, outline[2 * i]);
    minY = std::min(minY, outline[2 * i + 1]);
    maxY = std::max(maxY, outline[2 * i + 1]);
  }
  if (!(maxX - minX > 0) || !(maxY - minY > 0)) {
    // The far point is placed by the outline's extent; a flat outline has none to place it by.
    pravella::graphics::reportError("The outline has no area (its points lie on one line).");
    return 0;
  }
  const std::vector<QPointF> v = closedOutline(outline, count);
  const double radius = 10 * std::max(maxX - minX, maxY - minY);
  long long n = 0;
  VkBreakByWork breakTest;
  for (long long r = 0; r < k; ++r) {
    if (brokenAfter(breakTest, v.size())) return 0;
    const double* row = data + r * cols;
    if (!insideByCrossing(v, QPointF(row[0], row[1]), (minX + maxX) / 2, (minY + maxY) / 2, radius)) continue;
    std::copy(row, row + cols, out + n * cols);
    ++n;
  }
  *found = static_cast<int>(n);
  return 1;
}

int DoRegionPointsMenseki(const double* outline, int count, const double* data, int k, int cols, double* out,
                          int* found) {
  const std::vector<QPointF> v = closedOutline(outline, count);
  const double area = outlineArea(v);
  long long n = 0;
  VkBreakByWork breakTest;
  for (long long r = 0; r < k; ++r) {
    if (brokenAfter(breakTest, v.size())) return 0;
    const double* row = data + r * cols;
    const QPointF q(row[0], row[1]);
    std::size_t nearest = 0;
    double best = 1e100;
    for (std::size_t j = 0; j + 1 < v.size(); ++j) {
      const QPointF a = v[j], b = v[j + 1];
      const double len = (a.x() - b.x()) * (a.x() - b.x()) + (a.y() - b.y()) * (a.y() - b.y());
      if (!(len > 0)) continue;
      const double score = ((a.x() - q.x()) * (a.x() - q.x()) + (a.y() - q.y()) * (a.y() - q.y()) +
                            (q.x() - b.x()) * (q.x() - b.x()) + (q.y() - b.y()) * (q.y() - b.y())) /
                           len;
      if (score < best) {
        best = score;
        nearest = j;
      }
    }
    std::vector<QPointF> withQ = v;
    withQ.insert(withQ.begin() + static_cast<std::ptrdiff_t>(nearest) + 1, q);
    if (!(area > outlineArea(withQ))) continue;
    std::copy(row, row + cols, out + n * cols);
    ++n;
  }
  *found = static_cast<int>(n);
  return 1;
}

int DoRegion(const double* outline, int count, int m, int n, double* out) {
  const QRegion region = regionOf(outline, count);
  for (long long r = 0; r < m; ++r)
    for (long long c = 0; c < n; ++c)
      out[r * n + c] =
          pravella::regionContains(region, static_cast<double>(c + 1), static_cast<double>(r + 1)) ? 1.0
                                                                                                   : 0.0;
  return 1;
}

int doPointInRegion_short(const double* outline, int count, const double* data, int k, int cols, double* out,
                          int* found) {
  const QRegion region = regionOf(outline, count);
  long long n = 0;
  for (long long r = 0; r < k; ++r) {
    const double* row = data + r * cols;
    if (!pravella::regionContains(region, row[0], row[1])) continue;
    std::copy(row, row + cols, out + n * cols);
    ++n;
  }
  *found = static_cast<int>(n);
  return 1;
}
