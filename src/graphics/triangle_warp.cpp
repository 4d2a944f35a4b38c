#include "graphics/triangle_warp.h"

#include <QImage>
#include <QPolygon>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"
#include "graphics/outline_region.h"
#include "graphics/picture.h"
#include "graphics/picture_draw.h"
#include "lang/report.h"
#include "lang/stdlib/linear_algebra.h"
#include "lang/values.h"

namespace {

constexpr int kRow = 12;  // source x1 y1 x2 y2 x3 y3, target X1 Y1 X2 Y2 X3 Y3
// The largest picture a warp makes: the drawing system's coordinates are 16-bit, and 2^24
// pixels (a 64 MB world) bound what one warp may take before anything is drawn.
constexpr int kMaxSide = 32767;
constexpr long long kMaxPixels = 16'777'216;

void shiftToZeroBased(double* table, int count) {
  for (long long i = 0; i < static_cast<long long>(count) * kRow; ++i) table[i] -= 1;
}

// The extent of all target corners; false when they all share one x or one y (nothing to
// fill).
bool targetExtent(const double* table, int count, double* maxX, double* maxY) {
  double minX = table[6], minY = table[7];
  *maxX = minX;
  *maxY = minY;
  for (int t = 0; t < count; ++t)
    for (int k = 0; k < 3; ++k) {
      const double x = table[t * kRow + 6 + 2 * k], y = table[t * kRow + 7 + 2 * k];
      minX = std::min(minX, x);
      minY = std::min(minY, y);
      *maxX = std::max(*maxX, x);
      *maxY = std::max(*maxY, y);
    }
  return minX != *maxX && minY != *maxY;
}

// A whole number for a scan bound or size; far values are held where no world reaches.
int whole(double v) { return static_cast<int>(std::clamp(std::trunc(v), -1e9, 1e9)); }

// A source coordinate within rounding of a whole pixel is that pixel: the inverse map of a
// shift by whole pixels gives 4.9999999 for 5, which truncation would take a row or column
// short. The tolerance is far below any position a real warp asks for between two pixels.
double snapToPixel(double s) {
  const double whole = std::nearbyint(s);
  return std::fabs(s - whole) < 1e-6 ? whole : s;
}

// One triangle pair: the map from target to source (sx = m0 X + m3 Y + m6, sy = m1 X + m4 Y
// + m7), the target's bounding box and its region.
struct TrianglePair {
  double m[9];
  double minX, maxX, minY, maxY;
  QRegion region;

  double sourceX(int X, int Y) const { return snapToPixel(m[0] * X + m[3] * Y + m[6]); }
  double sourceY(int X, int Y) const { return snapToPixel(m[1] * X + m[4] * Y + m[7]); }
};

// M = T^-1 S from the corners; false (without a report) when the target corners lie on one
// line.
bool mapOf(const double* row, TrianglePair& pair) {
  double T[9], S[9];
  for (int k = 0; k < 3; ++k) {
    S[3 * k] = row[2 * k];
    S[3 * k + 1] = row[2 * k + 1];
    S[3 * k + 2] = 1;
    T[3 * k] = row[6 + 2 * k];
    T[3 * k + 1] = row[7 + 2 * k];
    T[3 * k + 2] = 1;
  }
  int pivots[3];
  double inverse[9], det = 0;
  if (!invertWithPivots(T, pivots, inverse, 3, &det)) return false;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      pair.m[3 * r + c] =
          inverse[3 * r] * S[c] + inverse[3 * r + 1] * S[3 + c] + inverse[3 * r + 2] * S[6 + c];
  const double* X = row + 6;
  pair.minX = std::min({X[0], X[2], X[4]});
  pair.maxX = std::max({X[0], X[2], X[4]});
  pair.minY = std::min({X[1], X[3], X[5]});
  pair.maxY = std::max({X[1], X[3], X[5]});
  QPolygon outline;
  for (int k = 0; k < 3; ++k)
    outline << QPoint(pravella::regionCoordinate(X[2 * k]), pravella::regionCoordinate(X[2 * k + 1]));
  pair.region = pravella::outlineRegion(outline);
  return true;
}

// Calls visit(X, Y) for every pixel of the pair's region inside the scan box (bounds
// included) and inside 0..w-1 by 0..h-1: the box is clamped to the target first, so a corner
// far outside costs no idle steps.
template <typename Visit>
void forEachPixel(const TrianglePair& pair, int x0, int y0, int x1, int y1, int w, int h, Visit&& visit) {
  const QRect box(QPoint(std::max(x0, 0), std::max(y0, 0)), QPoint(std::min(x1, w - 1), std::min(y1, h - 1)));
  if (box.isEmpty()) return;
  for (const QRect& band : pair.region) {
    const QRect r = band & box;
    for (int Y = r.top(); Y <= r.bottom(); ++Y)
      for (int X = r.left(); X <= r.right(); ++X) visit(X, Y);
  }
}

// Red, green and blue of a 32-bit world's pixels, read and written as whole words (a QImage
// keeps B, G, R, A in memory); the fourth byte carries no colour and is kept.
struct Rgb {
  int red, green, blue;
};

class Pixels {
 public:
  explicit Pixels(const QImage& image)
      : bits_(reinterpret_cast<const QRgb*>(image.constBits())), stride_(image.bytesPerLine() / 4) {}
  Rgb at(int x, int y) const {
    const QRgb p = bits_[static_cast<std::ptrdiff_t>(y) * stride_ + x];
    return {qRed(p), qGreen(p), qBlue(p)};
  }

 private:
  const QRgb* bits_;
  std::ptrdiff_t stride_;
};

class WritablePixels {
 public:
  explicit WritablePixels(QImage& image)
      : bits_(reinterpret_cast<QRgb*>(image.bits())), stride_(image.bytesPerLine() / 4) {}
  void set(int x, int y, Rgb c) {
    QRgb& p = bits_[static_cast<std::ptrdiff_t>(y) * stride_ + x];
    p = qRgba(c.red, c.green, c.blue, qAlpha(p));
  }

 private:
  QRgb* bits_;
  std::ptrdiff_t stride_;
};

// A channel of the bilinear rule, truncated; only a source point just left of or above the
// picture (truncated to 0 all the same) can take it outside 0..255.
int toByte(double v) { return v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v); }

enum class Sampling { Nearest, Bilinear };

// The warp of every triangle into `target`; `lenient` is the growing routines' box test.
bool warpTriangles(const QImage& sourceImage, QImage& targetImage, double* table, int count, int cw, int ch,
                   Sampling sampling, bool lenient) {
  const int pw = sourceImage.width(), ph = sourceImage.height();
  const int w = std::min(targetImage.width(), cw), h = std::min(targetImage.height(), ch);
  const Pixels source(sourceImage);
  WritablePixels target(targetImage);
  // A target triangle on a line is skipped and the rest go on; the first is reported, and a
  // count of them all, not a line for each (a flat surface of a million cells would fill the
  // memo with them).
  int skipped = 0;
  struct SkippedReport {
    int& skipped;
    int count;
    ~SkippedReport() {
      if (skipped > 1)
        error_disp("pivot error in " + std::to_string(skipped) + " of " + std::to_string(count) +
                   " triangles; they were skipped.");
    }
  } report{skipped, count};
  for (int t = 0; t < count; ++t) {
    TrianglePair pair;
    if (!mapOf(table + t * kRow, pair)) {
      if (++skipped == 1) error_disp("pivot error");
      continue;
    }
    const double top = lenient ? std::max(0.0, pair.maxY) : pair.maxY;
    const double right = lenient ? std::max(0.0, pair.maxX) : pair.maxX;
    if (pair.minX >= right || pair.minY >= top) {
      error_disp("Bad triangle");
      return false;
    }
    // Pixels outside the clip are never written: the clip narrows the scan like the world.
    forEachPixel(pair, whole(pair.minX), whole(pair.minY), whole(right), whole(top), w, h, [&](int X, int Y) {
      const double sx = pair.sourceX(X, Y), sy = pair.sourceY(X, Y);
      // trunc(s) >= 0 is s > -1; the whole part is then the cast's.
      if (sampling == Sampling::Nearest) {
        if (sx > -1 && sx < pw && sy > -1 && sy < ph)
          target.set(X, Y, source.at(static_cast<int>(sx), static_cast<int>(sy)));
        return;
      }
      if (!(sx > -1 && sx < pw - 1 && sy > -1 && sy < ph - 1)) {
        target.set(X, Y, {0, 0, 0});
        return;
      }
      const int ix = static_cast<int>(sx), iy = static_cast<int>(sy);
      const double ax = sx - ix, ay = sy - iy;
      const double w00 = (1 - ax) * (1 - ay), w10 = ax * (1 - ay), w01 = (1 - ax) * ay, w11 = ax * ay;
      const Rgb p00 = source.at(ix, iy), p10 = source.at(ix + 1, iy);
      const Rgb p01 = source.at(ix, iy + 1), p11 = source.at(ix + 1, iy + 1);
      auto mix = [&](int a, int b, int c, int d) { return toByte(a * w00 + b * w10 + c * w01 + d * w11); };
      target.set(X, Y,
                 {mix(p00.red, p10.red, p01.red, p11.red), mix(p00.green, p10.green, p01.green, p11.green),
                  mix(p00.blue, p10.blue, p01.blue, p11.blue)});
    });
  }
  return true;
}

bool tooBigPicture(int w, int h) {
  if (w > kMaxSide || h > kMaxSide || static_cast<long long>(w) * h > kMaxPixels) {
    error_disp("Too big data.");
    return true;
  }
  return false;
}

int record(pravella::OffScreenWorld& world, QByteArray& out) {
  pravella::Picture result;
  CopyOffScreen(result, world);
  out = result.bytes();
  return out.isEmpty() ? 0 : 1;
}

int growingPictureWarp(const QByteArray& picture, double* table, int count, int W, int H, QByteArray& out,
                       int* outH, int* outW, Sampling sampling) {
  shiftToZeroBased(table, count);
  double maxX = 0, maxY = 0;
  if (!targetExtent(table, count, &maxX, &maxY)) return 0;
  const int height = std::max({*outH, whole(maxY), 0});
  const int width = std::max({*outW, whole(maxX), 0});
  *outH = height;
  *outW = width;
  if (tooBigPicture(width, height)) return 0;
  QImage source;
  if (!pravella::drawPictureIntoWorld(picture, source)) return 0;
  const int cw = W >= 1 && H >= 1 ? W : source.width();
  const int ch = W >= 1 && H >= 1 ? H : source.height();
  auto world = pravella::newOffScreenWorld(width, height);
  if (!world) return 0;
  if (!warpTriangles(source, world->pixels(), table, count, cw, ch, sampling, true)) return 0;
  return record(*world, out);
}

}  // namespace

int changeMoofPicture_2(const QByteArray& picture, double* table, int count, int W, int H, QByteArray& out,
                        int* outH, int* outW) {
  return growingPictureWarp(picture, table, count, W, H, out, outH, outW, Sampling::Nearest);
}

int changeMoofPicture_3(const QByteArray& picture, double* table, int count, int W, int H, QByteArray& out,
                        int* outH, int* outW) {
  return growingPictureWarp(picture, table, count, W, H, out, outH, outW, Sampling::Bilinear);
}

int changeMoofPicture(const QByteArray& picture, double* table, int count, int W, int H, QByteArray& out) {
  QImage source;
  if (!pravella::drawPictureIntoWorld(picture, source)) return 0;
  const int width = W >= 1 && H >= 1 ? W : source.width();
  const int height = W >= 1 && H >= 1 ? H : source.height();
  if (tooBigPicture(width, height)) return 0;
  auto world = pravella::newOffScreenWorld(width, height);
  if (!world) return 0;
  shiftToZeroBased(table, count);
  if (!warpTriangles(source, world->pixels(), table, count, width, height, Sampling::Nearest, false))
    return 0;
  return record(*world, out);
}

int changeMoofData_2(const double* values, int rows, int cols, double* table, int count, double* out,
                     int* outRows, int* outCols) {
  shiftToZeroBased(table, count);
  double maxX = 0, maxY = 0;
  if (!targetExtent(table, count, &maxX, &maxY)) return 0;
  const int m = std::max({*outRows, whole(maxY), 0});
  const int n = std::max({*outCols, whole(maxX), 0});
  *outRows = m;
  *outCols = n;
  if (static_cast<long long>(m) * n > TNumber) {
    error_disp("Too big data.");
    return 0;
  }
  std::fill(out, out + static_cast<std::size_t>(m) * n, 0.0);
  auto at = [&](int r, int c) { return std::trunc(values[static_cast<std::size_t>(r) * cols + c]); };
  for (int t = 0; t < count; ++t) {
    TrianglePair pair;
    if (!mapOf(table + t * kRow, pair)) {
      error_disp("pivot error");
      return 0;
    }
    const double left = std::max(0.0, pair.minX), top = std::max(0.0, pair.minY);
    if (left >= pair.maxX || top >= pair.maxY) {
      error_disp("Bad triangle");
      return 0;
    }
    forEachPixel(pair, whole(left), whole(top), whole(pair.maxX), whole(pair.maxY), n, m, [&](int X, int Y) {
      const double sx = pair.sourceX(X, Y), sy = pair.sourceY(X, Y);
      const double fx = std::trunc(sx), fy = std::trunc(sy);
      double v = 0;
      if (fx >= 0 && fy >= 0 && fx < cols - 1 && fy < rows - 1) {
        const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
        const double ax = sx - fx, ay = sy - fy;
        v = at(iy, ix) * (1 - ax) * (1 - ay) + at(iy, ix + 1) * ax * (1 - ay) +
            at(iy + 1, ix) * (1 - ax) * ay + at(iy + 1, ix + 1) * ax * ay;
      }
      out[static_cast<std::size_t>(Y) * n + X] = v;
    });
  }
  return 1;
}
