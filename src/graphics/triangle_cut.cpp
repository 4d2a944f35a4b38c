#include "graphics/triangle_cut.h"

#include <cmath>

namespace pravella {

namespace {

// Where the level crosses the edge a-b, by linear interpolation of the heights.
void crossing(const double a[3], const double b[3], double v, double* x, double* y) {
  *x = ((a[0] - b[0]) * v + b[0] * a[2] - a[0] * b[2]) / (a[2] - b[2]);
  *y = ((a[1] - b[1]) * v + b[1] * a[2] - a[1] * b[2]) / (a[2] - b[2]);
}

// The corner alone on its side of the level: the other two at or above it while it is at
// or below, or the reverse.
bool alone(double h, double o1, double o2, double v) {
  return (o1 >= v && o2 >= v && h <= v) || (o1 <= v && o2 <= v && h >= v);
}

}  // namespace

int cross(const double p1[3], const double p2[3], const double p3[3], double v, double* x1, double* y1,
          double* x2, double* y2) {
  const double h1 = p1[2], h2 = p2[2], h3 = p3[2];
  if ((h1 == v && h2 == v && h3 == v) || (h1 > v && h2 > v && h3 > v) || (h1 < v && h2 < v && h3 < v))
    return 0;
  auto segment = [&](const double* a, const double* b) {
    *x1 = a[0];
    *y1 = a[1];
    *x2 = b[0];
    *y2 = b[1];
    return 1;
  };
  if (h1 == v && h2 == v) return segment(p1, p2);
  if (h1 == v && h3 == v) return segment(p1, p3);
  if (h2 == v && h3 == v) return segment(p2, p3);
  const double *c = p3, *a = p1, *b = p2;
  if (alone(h1, h2, h3, v)) {
    c = p1;
    a = p2;
    b = p3;
  } else if (alone(h2, h1, h3, v)) {
    c = p2;
    a = p1;
    b = p3;
  }
  // A corner on the level with the other two on one side touches the level in a point; the
  // cut through it has both ends there.
  if (c[2] == a[2] || c[2] == b[2]) {
    const double* on = c[2] == v ? c : (a[2] == v ? a : b);
    return segment(on, on);
  }
  crossing(c, a, v, x1, y1);
  crossing(c, b, v, x2, y2);
  return 1;
}

int line(OffScreenWorld& world, double x1, double y1, double x2, double y2) {
  world.setBackColor(Qt::white);
  if (!(std::fabs(x1) <= 30000 && std::fabs(y1) <= 30000 && std::fabs(x2) <= 30000 && std::fabs(y2) <= 30000))
    return 0;
  world.moveTo(static_cast<int>(x1), static_cast<int>(y1));
  world.lineTo(static_cast<int>(x2), static_cast<int>(y2));
  return 1;
}

}  // namespace pravella
