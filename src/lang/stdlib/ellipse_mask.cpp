#include "lang/stdlib/ellipse_mask.h"

int DoEllipse(int rows, int cols, int centreRow, int centreCol, int rowRadius, int colRadius, double* out) {
  const long long total = static_cast<long long>(rows) * cols;
  for (long long i = 0; i < total; ++i) out[i] = 0.0;
  if (rowRadius < 0 || colRadius < 0) return 1;
  // The oval spans whole cells, so its half-axes reach half a cell past the radius; a cell
  // belongs to it when its middle does. With whole-number centres and radii no middle lies
  // exactly on the outline.
  const double a = colRadius + 0.5;
  const double b = rowRadius + 0.5;
  for (int r = 0; r < rows; ++r) {
    const double dy = (static_cast<double>(r) - centreRow) / b;
    if (dy * dy > 1.0) continue;
    for (int c = 0; c < cols; ++c) {
      const double dx = (static_cast<double>(c) - centreCol) / a;
      if (dx * dx + dy * dy < 1.0) out[static_cast<long long>(r) * cols + c] = 1.0;
    }
  }
  return 1;
}
