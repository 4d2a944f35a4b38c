#include "graphics/pixel_ops.h"

#include <cmath>
#include <limits>

#include "graphics/color_table.h"
#include "graphics/graphics_hooks.h"
#include "graphics/offscreen.h"
#include "graphics/picture_draw.h"

using pravella::OffScreenWorld;
using pravella::Picture;

namespace {

// Records `world` as the result picture (pixel recording, titles stamped).
int record(OffScreenWorld& world, QByteArray& out) {
  Picture picture;
  CopyOffScreen(picture, world);
  out = picture.bytes();
  return 1;
}

}  // namespace

int DoFlipPicture(const QByteArray& picture, int flag, QByteArray& out) {
  QImage in;
  if (!pravella::drawPictureIntoWorld(picture, in)) return 0;
  auto world = pravella::newOffScreenWorld(in.width(), in.height());
  if (!world) return 0;
  QImage& o = world->pixels();
  const int w = in.width(), h = in.height();
  for (int y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(in.constScanLine(flag == 1 ? h - 1 - y : y));
    auto* dst = reinterpret_cast<QRgb*>(o.scanLine(y));
    for (int x = 0; x < w; ++x) dst[x] = flag == 1 ? src[x] : src[w - 1 - x];
  }
  return record(*world, out);
}

int DoTrnPicture(const QByteArray& picture, QByteArray& out) {
  QImage in;
  if (!pravella::drawPictureIntoWorld(picture, in)) return 0;
  auto world = pravella::newOffScreenWorld(in.height(), in.width());
  if (!world) return 0;
  QImage& o = world->pixels();
  for (int y = 0; y < in.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(in.constScanLine(y));
    for (int x = 0; x < in.width(); ++x) reinterpret_cast<QRgb*>(o.scanLine(x))[y] = src[x];
  }
  return record(*world, out);
}

int DoSmoothGraph(const QByteArray& picture, int red, int green, int blue, QByteArray& out) {
  QImage in;
  if (!pravella::drawPictureIntoWorld(picture, in)) return 0;
  const int w = in.width(), h = in.height();
  auto world = pravella::newOffScreenWorld(w, h);
  if (!world) return 0;
  QImage& o = world->pixels();
  const bool use[3] = {red != 0, green != 0, blue != 0};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const QRgb centre = in.pixel(x, y);
      const int centreValue[3] = {qRed(centre), qGreen(centre), qBlue(centre)};
      int sum[3] = {0, 0, 0};
      int count = 0;
      for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
          const int nx = x + i, ny = y + j;
          if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
          const QRgb p = reinterpret_cast<const QRgb*>(in.constScanLine(ny))[nx];
          const int v[3] = {qRed(p), qGreen(p), qBlue(p)};
          // A channel left out adds the centre in place of each neighbour: it keeps its value.
          for (int c = 0; c < 3; ++c) sum[c] += use[c] ? v[c] : centreValue[c];
          ++count;
        }
      }
      reinterpret_cast<QRgb*>(o.scanLine(y))[x] = qRgb(sum[0] / count, sum[1] / count, sum[2] / count);
    }
  }
  return record(*world, out);
}

int DoGetPictNum(const QByteArray& picture, std::vector<std::int32_t>& out, int& rows, int& columns, double w1,
                 double w2, double w3) {
  const QRect frame = Picture(picture).frame();
  if (static_cast<double>(frame.width()) * frame.height() * 4 > static_cast<double>(pravella::graphics::pictureByteLimit())) {
    pravella::graphics::reportError("Too Big Picture");
    return 0;
  }
  QImage in;
  if (!pravella::drawPictureIntoWorld(picture, in)) return 0;
  rows = in.height();
  columns = in.width();
  out.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
  for (int y = 0; y < rows; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(in.constScanLine(y));
    for (int x = 0; x < columns; ++x) {
      const double v = qRed(line[x]) * w1 + qGreen(line[x]) * w2 + qBlue(line[x]) * w3;
      // Weights are the caller's; keep a wild one from overflowing the integer.
      const double limit = std::numeric_limits<std::int32_t>::max();
      out[static_cast<std::size_t>(y) * columns + x] =
          std::isfinite(v) ? static_cast<std::int32_t>(std::fmax(-limit, std::fmin(limit, v))) : 0;
    }
  }
  return 1;
}

int DoDensityPlot(double* matrix, int rows, int columns, double upper, double lower, QByteArray& out) {
  if (rows <= 0 || columns <= 0) return 0;
  const std::size_t n = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
  double min, max;
  if (upper <= lower) {
    min = max = matrix[0];
    for (std::size_t i = 1; i < n; ++i) {
      min = std::fmin(min, matrix[i]);
      max = std::fmax(max, matrix[i]);
    }
    if (min == max) max = min + 1;
  } else {
    for (std::size_t i = 0; i < n; ++i) matrix[i] = std::fmin(upper, std::fmax(lower, matrix[i]));
    min = lower;
    max = upper;
  }
  auto world = pravella::newOffScreenWorld(columns, rows);
  if (!world) return 0;
  pravella::PortSaver saver;
  if (!BeginDrawInToOffScreen(world.get())) return 0;
  std::uint8_t table[768];
  GetRGBColorTable(table);
  QImage& o = world->pixels();
  for (int y = 0; y < rows; ++y) {
    auto* line = reinterpret_cast<QRgb*>(o.scanLine(y));
    for (int x = 0; x < columns; ++x) {
      const double s = (matrix[static_cast<std::size_t>(y) * columns + x] - min) * 254.0 / (max - min);
      int t = std::isfinite(s) ? static_cast<int>(std::fmax(-1.0, std::fmin(256.0, s))) : 0;
      t = t < 0 ? 0 : t > 255 ? 255 : t;
      line[x] = qRgb(table[3 * t], table[3 * t + 1], table[3 * t + 2]);
    }
  }
  const int result = record(*world, out);
  EndDrawInToOffScreen(world.get());
  return result;
}
