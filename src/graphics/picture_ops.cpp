#include "graphics/picture_ops.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/graphics_hooks.h"
#include "graphics/offscreen.h"
#include "graphics/picture_draw.h"
#include "lang/values.h"


using pravella::OffScreenWorld;
using pravella::Picture;

namespace {

int record(OffScreenWorld& world, QByteArray& out) {
  Picture picture;
  CopyOffScreen(picture, world);
  out = picture.bytes();
  world.penNormal();
  return 1;
}

// Channel results outside 0..255 (negative values, overflow, NaN) are held at the ends.
int clampChannel(double v) {
  if (!(v > 0)) return 0;
  return v >= 255 ? 255 : static_cast<int>(v);
}

int channelOp(int channel, char op, double v) {
  switch (op) {
    case '+': return clampChannel(std::trunc(channel + v));
    case '*': return clampChannel(std::trunc(channel * v));
    case '/':
      // A division by 0 gives the largest value for a lit channel and 0 for a dark one.
      if (v == 0) return channel > 0 ? 255 : 0;
      return clampChannel(std::trunc(channel / v));
    default: {  // '-'
      const double t = std::trunc(v);
      return channel > v ? clampChannel(channel - t) : 0;
    }
  }
}

// A world holding the picture drawn over white.
std::unique_ptr<OffScreenWorld> worldOf(const QByteArray& picture) {
  QImage image;
  if (!pravella::drawPictureIntoWorld(picture, image)) return nullptr;
  auto world = pravella::newOffScreenWorld(image.width(), image.height());
  if (world) world->pixels() = image;
  return world;
}

int join(const QByteArray& picture1, const QByteArray& picture2, bool right, QByteArray& out) {
  const Picture p1(picture1), p2(picture2);
  const QImage i1 = p1.toImage(), i2 = p2.toImage();
  if (i1.isNull() || i2.isNull()) {
    pravella::graphics::reportError("Invalid PICT.");
    return 0;
  }
  const int w = right ? i1.width() + i2.width() : std::max(i1.width(), i2.width());
  const int h = right ? std::max(i1.height(), i2.height()) : i1.height() + i2.height();
  auto world = pravella::newOffScreenWorld(w, h);
  if (!world) return 0;
  // Recorded as drawing: each picture keeps what it leaves undrawn.
  world->openPicture();
  world->drawPicture(p2, 0, 0, i2.width(), i2.height());
  const int x = right ? i2.width() : 0, y = right ? 0 : i2.height();
  world->drawPicture(p1, x, y, x + i1.width(), y + i1.height());
  out = world->closePicture().bytes();
  return 1;
}

}  // namespace

int DoGraphOpeCalc(const QByteArray& picture, char op, double red, double green, double blue, QByteArray& out) {
  auto world = worldOf(picture);
  if (!world) return 0;
  QImage& image = world->pixels();
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = line[x];
      line[x] = qRgb(channelOp(qRed(p), op, red), channelOp(qGreen(p), op, green), channelOp(qBlue(p), op, blue));
    }
  }
  return record(*world, out);
}

int DoGraphOpeCalc2(const QByteArray& a, const QByteArray& b, char op, QByteArray& out) {
  if (Picture(a).frame().size() != Picture(b).frame().size()) {
    pravella::graphics::reportError("Invalid Picture Size");
    return 0;
  }
  auto worldA = worldOf(a);
  if (!worldA) return 0;
  auto worldB = worldOf(b);
  if (!worldB) return 0;
  QImage& ia = worldA->pixels();
  const QImage& ib = worldB->pixels();
  const int sign = op == '-' ? -1 : 1;
  for (int y = 0; y < ia.height(); ++y) {
    auto* la = reinterpret_cast<QRgb*>(ia.scanLine(y));
    const auto* lb = reinterpret_cast<const QRgb*>(ib.constScanLine(y));
    for (int x = 0; x < ia.width(); ++x) {
      auto mix = [sign](int u, int v) { return std::clamp(u + sign * v, 0, 255); };
      la[x] = qRgb(mix(qRed(la[x]), qRed(lb[x])), mix(qGreen(la[x]), qGreen(lb[x])), mix(qBlue(la[x]), qBlue(lb[x])));
    }
  }
  return record(*worldA, out);
}

int OpePict(const QByteArray& a, const QByteArray& b, QByteArray& out) {
  auto worldA = worldOf(a);
  if (!worldA) return 0;
  auto worldB = worldOf(b);
  if (!worldB) return 0;
  QImage& ia = worldA->pixels();
  const QImage& ib = worldB->pixels();
  const int wa = ia.width(), ha = ia.height(), wb = ib.width(), hb = ib.height();
  const int weight[3] = {opC[0], opC[1], opC[2]};
  const int pin[3] = {opC[0] >> 8, opC[1] >> 8, opC[2] >> 8};
  for (int y = 0; y < ha; ++y) {
    auto* la = reinterpret_cast<QRgb*>(ia.scanLine(y));
    const auto* lb = reinterpret_cast<const QRgb*>(ib.constScanLine(static_cast<int>(static_cast<qint64>(y) * hb / ha)));
    for (int x = 0; x < wa; ++x) {
      const QRgb s = lb[static_cast<int>(static_cast<qint64>(x) * wb / wa)];
      const QRgb d = la[x];
      if (OpeMode == 36 && (s & 0xFFFFFF) == 0xFFFFFF) continue;  // transparent: white is not copied
      const int sv[3] = {qRed(s), qGreen(s), qBlue(s)};
      const int dv[3] = {qRed(d), qGreen(d), qBlue(d)};
      int r[3];
      for (int c = 0; c < 3; ++c) {
        switch (OpeMode) {
          case 33: r[c] = std::min(sv[c] + dv[c], pin[c]); break;                  // addPin
          case 34: r[c] = (sv[c] + dv[c]) & 0xFF; break;                           // addOver
          case 35: r[c] = std::max(dv[c] - sv[c], pin[c]); break;                  // subPin
          case 37: r[c] = std::max(sv[c], dv[c]); break;                           // addMax
          case 38: r[c] = (dv[c] - sv[c]) & 0xFF; break;                           // subOver
          case 39: r[c] = std::min(sv[c], dv[c]); break;                           // adMin
          case 36: r[c] = sv[c]; break;                                            // transparent
          default: r[c] = (sv[c] * weight[c] + dv[c] * (65536 - weight[c])) >> 16;  // blend
        }
      }
      la[x] = qRgb(r[0], r[1], r[2]);
    }
  }
  return record(*worldA, out);
}

int DoBlendLevel(double red, double green, double blue) {
  const double levels[3] = {red, green, blue};
  for (double l : levels)
    if (!(l >= 0 && l <= 1)) {
      pravella::graphics::reportError("Invalid data");
      return 0;
    }
  // A level of 1 would be 65536, one past 16 bits: it is held at 65535 (full weight).
  auto component = [](double l) { return static_cast<std::uint16_t>(std::min(65535.0, std::trunc(l * 65536))); };
  opC[0] = component(red);
  opC[1] = component(green);
  opC[2] = component(blue);
  return 1;
}

int DoChangeOpeMode(std::int32_t n) {
  if (n < 1 || n > 10) {
    pravella::graphics::reportError("Invalid data");
    return 0;
  }
  static constexpr std::int32_t kModes[11] = {0, 32, 33, 34, 35, 37, 38, 39, 36, 32, 32};
  OpeMode = kModes[n];
  return 1;
}

int DoGazoHosei(const QByteArray& picture, double parameter, int mode, const GazoHoseiRoutine& gazoHosei,
                QByteArray& out) {
  auto world = worldOf(picture);
  if (!world || !gazoHosei) return 0;
  QImage& image = world->pixels();
  const int w = image.width(), h = image.height();
  std::vector<double> source(static_cast<std::size_t>(w) * h), target(source.size());
  for (int c = 0; c < 3; ++c) {
    for (int y = 0; y < h; ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < w; ++x) {
        const QRgb p = line[x];
        source[static_cast<std::size_t>(y) * w + x] = c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
      }
    }
    if (!gazoHosei(source.data(), h, w, target.data(), parameter, mode)) return 0;
    for (int y = 0; y < h; ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < w; ++x) {
        const int v = clampChannel(std::trunc(target[static_cast<std::size_t>(y) * w + x]));
        const QRgb p = line[x];
        line[x] = qRgb(c == 0 ? v : qRed(p), c == 1 ? v : qGreen(p), c == 2 ? v : qBlue(p));
      }
    }
  }
  return record(*world, out);
}

int DoAddPictureToRight(const QByteArray& picture1, const QByteArray& picture2, QByteArray& out) {
  return join(picture1, picture2, true, out);
}

int DoAddPictureToBelow(const QByteArray& picture1, const QByteArray& picture2, QByteArray& out) {
  return join(picture1, picture2, false, out);
}
