#include "graphics/picture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include "graphics/pict_codec.h"

namespace pravella {

namespace {

// Picture coordinates are 16-bit.
constexpr int kMaxSide = 32767;

QImage asArgb(const QImage& image) {
  return image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

bool anyTransparent(const QImage& argb) {
  for (int y = 0; y < argb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      if (qAlpha(line[x]) != 255) return true;
  }
  return false;
}

bool fits(QSize size) {
  return size.width() > 0 && size.height() > 0 && size.width() <= kMaxSide && size.height() <= kMaxSide;
}

}  // namespace

Picture Picture::fromBytes(const void* data, std::size_t size) {
  return Picture(QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(size)));
}

Picture Picture::fromImage(const QImage& image, PixelTransfer mode) {
  return fromLayers(image, mode, QImage());
}

Picture Picture::fromLayers(const QImage& world, PixelTransfer mode, const QImage& overlay) {
  if (world.isNull() || !fits(world.size())) return Picture();
  const QImage argb = asArgb(world);
  pict::Writer writer(QRect(QPoint(0, 0), world.size()));
  // A transparent copy leaves out the white pixels by its mode; a plain copy keeps the alpha
  // plane only when some pixel needs it, so opaque pictures stay a quarter smaller.
  const bool alpha = mode == PixelTransfer::Copy && anyTransparent(argb);
  writer.directBits(argb, QPoint(0, 0), static_cast<int>(mode), alpha);
  if (!overlay.isNull()) writer.directBits(asArgb(overlay), QPoint(0, 0), 0, true);
  return Picture(writer.finish());
}

Picture Picture::fromJpeg(const QByteArray& jpeg, QSize size) {
  if (jpeg.isEmpty() || !fits(size)) return Picture();
  pict::Writer writer(QRect(QPoint(0, 0), size));
  writer.compressedJpeg(jpeg, size, QPoint(0, 0));
  return Picture(writer.finish());
}

Picture Picture::fromPhoto(const QImage& image, int qtQuality) {
  if (image.isNull()) return Picture();
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(qtQuality);
  if (!writer.write(flattenOnWhite(image))) return Picture();
  return fromJpeg(jpeg, image.size());
}

QRect Picture::frame() const {
  pict::QdRect r;
  if (!pict::readFrame(reinterpret_cast<const std::uint8_t*>(bytes_.constData()), size(), r)) return QRect();
  return r.toQRect();
}

QImage Picture::toImage(QString* error) const {
  QImage out;
  QString reason;
  if (!pict::render(reinterpret_cast<const std::uint8_t*>(bytes_.constData()), size(), out, reason)) {
    if (error) *error = reason;
    return QImage();
  }
  return out;
}

QImage Picture::toImageOnWhite(QString* error) const {
  const QImage image = toImage(error);
  return image.isNull() ? image : flattenOnWhite(image);
}

bool Picture::draw(QPainter& painter, const QRect& target) const {
  const QImage image = toImage();
  if (image.isNull()) return false;
  painter.drawImage(target, image);
  return true;
}

std::size_t smallestPixelCopyBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  // A row is its red, green and blue planes packed together; a PackBits run covers at most
  // 128 bytes in 2.
  const auto planeBytes = static_cast<std::size_t>(width) * 3;
  return static_cast<std::size_t>(height) * 2 * ((planeBytes + 127) / 128);
}

QImage flattenOnWhite(const QImage& image) {
  QImage out(image.size(), QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter painter(&out);
  painter.drawImage(0, 0, image);
  return out;
}

}  // namespace pravella
