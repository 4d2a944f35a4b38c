#include "graphics/picture_filter.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"
#include "graphics/picture_draw.h"
#include "graphics/picture_ops.h"
#include "lang/stdlib/image_stats.h"

int DoGraphProcess(const QByteArray& picture, const double* kernel, int k, int offset, QByteArray& out) {
  if (k <= 0 || k % 2 == 0) return 0;
  QImage source;
  if (!pravella::drawPictureIntoWorld(picture, source)) return 0;
  const int w = source.width(), h = source.height();
  auto world = pravella::newOffScreenWorld(w, h);
  if (!world) return 0;
  source = source.convertToFormat(QImage::Format_ARGB32);
  QImage& target = world->pixels();
  const int half = k / 2;
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
    for (int x = 0; x < w; ++x) {
      long long sum[3] = {0, 0, 0};
      long long taps = 0;
      for (int i = -half; i <= half; ++i) {
        if (y + i < 0 || y + i >= h) continue;
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(y + i));
        for (int j = -half; j <= half; ++j) {
          if (x + j < 0 || x + j >= w) continue;
          const double weight = kernel[static_cast<std::size_t>(i + half) * k + (j + half)];
          const QRgb p = src[x + j];
          sum[0] += static_cast<long long>(std::trunc(qRed(p) * weight));
          sum[1] += static_cast<long long>(std::trunc(qGreen(p) * weight));
          sum[2] += static_cast<long long>(std::trunc(qBlue(p) * weight));
          ++taps;
        }
      }
      int channel[3];
      for (int c = 0; c < 3; ++c)
        channel[c] = static_cast<int>(std::clamp<long long>(sum[c] / taps + offset, 0, 255));
      // Only the colour bytes are written; the alpha stays as the erased world has it.
      line[x] = qRgba(channel[0], channel[1], channel[2], qAlpha(line[x]));
    }
  }
  pravella::Picture result;
  CopyOffScreen(result, *world);
  out = result.bytes();
  return out.isEmpty() ? 0 : 1;
}

int vkGazoHoseiPicture(const QByteArray& picture, double f, int k, QByteArray& out) {
  auto channel = [](const double* source, int rows, int cols, double* target, double factor, int halfWidth) {
    std::vector<double> image(source, source + static_cast<std::size_t>(rows) * cols);
    if (!gazoHosei(image.data(), rows, cols, target, factor, halfWidth)) return 0;
    std::copy(image.begin(), image.end(), target);
    return 1;
  };
  return DoGazoHosei(picture, f, k, channel, out);
}
