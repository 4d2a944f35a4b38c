#include "graphics/polygon_region.h"

#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLimit = 32767;

int toCoordinate(double v) { return static_cast<int>(std::clamp(std::trunc(v), -kLimit, kLimit)); }
int roundedCoordinate(double v) { return std::isnan(v) ? 0 : toCoordinate(v + 0.5); }

QRegion regionOf(const double* outline, int count) {
  QPolygon polygon;
  for (int i = 0; i < count; ++i) polygon << QPoint(roundedCoordinate(outline[2 * i]), roundedCoordinate(outline[2 * i + 1]));
  // The region closes the outline itself: a last vertex equal to the first adds nothing.
  return QRegion(polygon, Qt::OddEvenFill);
}

bool inRegion(const QRegion& region, double x, double y) {
  if (!(std::fabs(x) < kLimit + 1) || !(std::fabs(y) < kLimit + 1)) return false;
  return region.contains(QPoint(toCoordinate(x), toCoordinate(y)));
}

}  // namespace

int DoRegion(const double* outline, int count, int m, int n, double* out) {
  const QRegion region = regionOf(outline, count);
  for (long long r = 0; r < m; ++r)
    for (long long c = 0; c < n; ++c) out[r * n + c] = inRegion(region, static_cast<double>(c + 1), static_cast<double>(r + 1)) ? 1.0 : 0.0;
  return 1;
}

int doPointInRegion_short(const double* outline, int count, const double* data, int k, int cols, double* out,
                          int* found) {
  const QRegion region = regionOf(outline, count);
  long long n = 0;
  for (long long r = 0; r < k; ++r) {
    const double* row = data + r * cols;
    if (!inRegion(region, row[0], row[1])) continue;
    std::copy(row, row + cols, out + n * cols);
    ++n;
  }
  *found = static_cast<int>(n);
  return 1;
}
