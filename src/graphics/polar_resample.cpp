#include "graphics/polar_resample.h"

#include <algorithm>
#include <cmath>

void getPolarRangeFromRectanglarData(double x, double y, double* minAngle, double* maxAngle,
                                     double* minRadius, double* maxRadius) {
  double angles[4], radii[4];
  int i = 0;
  for (double dx : {-0.5, 0.5})
    for (double dy : {-0.5, 0.5}) {
      angles[i] = std::atan2(y + dy, x + dx);
      radii[i] = std::hypot(x + dx, y + dy);
      ++i;
    }
  *minAngle = *std::min_element(angles, angles + 4);
  *maxAngle = *std::max_element(angles, angles + 4);
  if (*maxAngle <= 0) *minAngle = *maxAngle = 0;
  *minRadius = *std::min_element(radii, radii + 4);
  *maxRadius = *std::max_element(radii, radii + 4);
}

int DoPolarToRectangular(const double* P, int A, int N, double* out, int h, int w) {
  const long long rows = 2LL * h;
  std::fill(out, out + rows * w, 0.0);
  const int half = A / 2, radius = N / 2;
  auto cell = [out, w](long long r, long long c) -> double& { return out[r * w + c]; };
  for (int r = h / 2; r < h; ++r)
    for (int c = 0; c < w; ++c) {
      double a0r, a1r, k0r, k1r;
      getPolarRangeFromRectanglarData(c - w / 2.0, r - h / 2.0, &a0r, &a1r, &k0r, &k1r);
      const int a0 = std::max(0, static_cast<int>(std::trunc(a0r / M_PI * A / 2 + 0.5)));
      int a1 = static_cast<int>(std::trunc(a1r / M_PI * A / 2 + 0.5));
      if (a1 > A) a1 = half;
      const int k0 = std::max(0, static_cast<int>(std::trunc(k0r + 0.5)));
      const int k1 = std::min(radius, static_cast<int>(std::trunc(k1r + 0.5)));
      double s1 = 0, s2 = 0;
      long long count = 0;
      // The opposite direction of row a is row a + A / 2; a row past the table has none.
      for (int a = a0; a < a1 && a + half < A; ++a)
        for (int k = k0; k < k1; ++k) {
          s1 += P[static_cast<long long>(a) * N + k];
          s2 += P[static_cast<long long>(a + half) * N + k];
          ++count;
        }
      const double m1 = count ? s1 / count : 0, m2 = count ? s2 / count : 0;
      cell(r, c) = m1;
      cell(h + r, c) = m2;
      if (c >= 1) {
        cell(h - r, w - c) = m1;
        cell(2LL * h - r, w - c) = m2;
      }
    }
  return 1;
}
