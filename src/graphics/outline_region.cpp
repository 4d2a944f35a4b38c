#include "graphics/outline_region.h"

#include <algorithm>
#include <cmath>

namespace pravella {
namespace {
constexpr double kLimit = 32767;
}

int regionCoordinate(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), -kLimit, kLimit));
}

QRegion outlineRegion(const QPolygon& points) {
  // The region closes the outline itself: a last vertex equal to the first adds nothing.
  return QRegion(points, Qt::OddEvenFill);
}

bool regionContains(const QRegion& region, double x, double y) {
  if (!(std::fabs(x) < kLimit + 1) || !(std::fabs(y) < kLimit + 1)) return false;
  return region.contains(QPoint(regionCoordinate(x), regionCoordinate(y)));
}

}  // namespace pravella
