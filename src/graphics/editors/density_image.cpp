#include "graphics/editors/density_image.h"

#include <cmath>
#include <cstdint>

#include "graphics/color_table.h"
#include "graphics/graphics_hooks.h"
#include "graphics/plot2d.h"

namespace pravella {

int densityColorIndex(double v, double max, double min) {
  const double scaled = (v - min) * (255.0 / (max - min));
  if (!std::isfinite(scaled)) return 0;
  const double index = std::trunc(scaled);
  return index < 0 ? 0 : index > 255 ? 255 : static_cast<int>(index);
}

QImage densityPlotImage(const double* data, int m, int n, double max, double min) {
  QImage image(n, m, QImage::Format_RGB888);
  if (image.isNull()) return image;
  std::uint8_t table[768];
  GetRGBColorTable(table);
  for (int r = 0; r < m; ++r) {
    std::uint8_t* line = image.scanLine(r);
    for (int c = 0; c < n; ++c) {
      const int k = densityColorIndex(data[static_cast<std::size_t>(r) * n + c], max, min);
      line[3 * c] = table[3 * k];
      line[3 * c + 1] = table[3 * k + 1];
      line[3 * c + 2] = table[3 * k + 2];
    }
  }
  return image;
}

bool densityRange(const double* data, int m, int n, double* max, double* min) {
  if (*min < *max) return true;
  getMaxMin(data, m, n, max, min);
  if (*max != *min) return true;
  // Every element would get one colour: there is nothing to draw a lasso on.
  graphics::reportError("The data is flat: give a range (maximum, minimum).");
  return false;
}

}  // namespace pravella
