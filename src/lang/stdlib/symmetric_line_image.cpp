#include "lang/stdlib/symmetric_line_image.h"

#include <cmath>
#include <cstddef>

int DoSymmetricLineImage(const double* image, int rows, int cols, const double* line, double* out) {
  const double x1 = line[0], y1 = line[1];
  const double dx = line[2] - x1;
  const double dy = line[3] - y1;
  const double d = -(dy * dy + dx * dx);
  if (!(std::fabs(d) >= 1e-10)) return 0;
  auto at = [cols](long long r, long long c) { return static_cast<std::size_t>(r * cols + c); };
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < cols; ++j) {
      const double t = 2 * ((i - y1) * dx - (j - x1) * dy) / d;
      const double xs = j - dy * t;
      const double ys = i + dx * t;
      double v = 0.0;
      // NaN coordinates fail these tests as well and give 0.
      if (xs >= 0 && xs < cols - 1 && ys >= 0 && ys < rows - 1) {
        const auto ix = static_cast<long long>(xs);
        const auto iy = static_cast<long long>(ys);
        const double fx = xs - ix, fy = ys - iy;
        v = (1 - fx) * (1 - fy) * image[at(iy, ix)] + fx * (1 - fy) * image[at(iy, ix + 1)] +
            (1 - fx) * fy * image[at(iy + 1, ix)] + fx * fy * image[at(iy + 1, ix + 1)];
      }
      out[at(i, j)] = v;
    }
  }
  return 1;
}
