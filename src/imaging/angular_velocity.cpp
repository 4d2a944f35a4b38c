#include "imaging/angular_velocity.h"

#include <algorithm>
#include <cmath>

namespace pravella::motion {

namespace {

// Below this twice-the-area the three points are taken as lying on a line: the circle through
// them would be huge and its centre meaningless.
constexpr double kCollinear = 1e-5;

struct Circle {
  double omega = 0, cx = 0, cy = 0, r = 0;
};

Circle circleOf(const double* p) {
  const double t0 = p[0], x0 = p[1], y0 = p[2];
  const double x1 = p[4], y1 = p[5];
  const double t2 = p[6], x2 = p[7], y2 = p[8];
  const double det = (x1 - x0) * y2 + (x0 - x2) * y1 + y0 * (x2 - x1);
  // Written so that a NaN also counts as collinear.
  if (!(std::fabs(det) > kCollinear)) return {};

  const double s0 = x0 * x0 + y0 * y0, s1 = x1 * x1 + y1 * y1, s2 = x2 * x2 + y2 * y2;
  const double d = (y1 - y2) * x0 - (y0 - y2) * x1 + (y0 - y1) * x2;
  Circle c;
  c.cx = -0.5 * (y0 * (s1 - s2) - y1 * (s0 - s2) + y2 * (s0 - s1)) / d;
  c.cy = 0.5 * (x0 * (s1 - s2) - x1 * (s0 - s2) + x2 * (s0 - s1)) / d;
  const double k = (x0 * (y1 * s2 - y2 * s1) - x1 * (y0 * s2 - y2 * s0) + x2 * (y0 * s1 - y1 * s0)) / d;
  c.r = std::sqrt(std::max(0.0, c.cx * c.cx + c.cy * c.cy + k));

  // The angle at the centre between P0 and P2 (0 .. pi): P1 only fixes the circle. Rounding
  // can push the cosine a hair past 1 for nearly opposite or coincident ends.
  const double ax = x0 - c.cx, ay = y0 - c.cy, bx = x2 - c.cx, by = y2 - c.cy;
  const double cosine = (ax * bx + ay * by) / (std::hypot(ax, ay) * std::hypot(bx, by));
  const double theta = std::acos(std::clamp(cosine, -1.0, 1.0));
  // Equal first and last times give no rate at all rather than an infinite one.
  const double dt = t2 - t0;
  c.omega = dt == 0 ? 0 : theta / dt;
  if (det < 0) c.omega = -c.omega;
  return c;
}

}  // namespace

double DoKakusokudo(const double* triple) { return circleOf(triple).omega; }

void DoKakusokudo2(const double* triple, double* out) {
  const Circle c = circleOf(triple);
  out[0] = c.omega;
  out[1] = c.cx;
  out[2] = c.cy;
  out[3] = c.r;
}

void DoAVelocity(const double* path, int rows, double* out) {
  for (int i = 1; i + 1 < rows; ++i) {
    const double* triple = path + 3 * (i - 1);
    out[0] = path[3 * i];
    out[1] = DoKakusokudo(triple);
    out += 2;
  }
}

void DoAVelocity2(const double* path, int rows, double* out) {
  for (int i = 1; i + 1 < rows; ++i) {
    out[0] = path[3 * i];
    DoKakusokudo2(path + 3 * (i - 1), out + 1);
    out += 5;
  }
}

void DoMokuteki(const double* path, int rows, int n, double* out) {
  for (int start = 0; start + n <= rows; ++start) {
    const double* w = path + 3 * start;
    double timeSum = 0, walked = 0;
    for (int k = 0; k < n; ++k) {
      timeSum += w[3 * k];
      if (k > 0) walked += std::hypot(w[3 * k + 1] - w[3 * k - 2], w[3 * k + 2] - w[3 * k - 1]);
    }
    const double chord = std::hypot(w[3 * (n - 1) + 1] - w[1], w[3 * (n - 1) + 2] - w[2]);
    out[0] = timeSum / n;
    out[1] = walked == 0 ? -1 : chord / walked;
    out += 2;
  }
}

}  // namespace pravella::motion
