#include "imaging/video/cv_picture.h"

#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"

int IplImage2pict(const QImage& image, pravella::Picture& picture) {
  if (image.isNull()) return 0;
  auto world = pravella::newOffScreenWorld(image.width(), image.height());
  if (!world) return 0;
  pravella::PortSaver saver;
  if (!BeginDrawInToOffScreen(world.get())) return 0;
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  QImage& pixels = world->pixels();
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    auto* dst = reinterpret_cast<QRgb*>(pixels.scanLine(y));
    for (int x = 0; x < rgb.width(); ++x) dst[x] = qRgb(qRed(src[x]), qGreen(src[x]), qBlue(src[x]));
  }
  CopyOffScreen(picture, *world);
  EndDrawInToOffScreen(world.get());
  return picture.isEmpty() ? 0 : 1;
}

int pictData2IplImage(const void* bytes, std::size_t length, QImage& image) {
  image = QImage();
  const pravella::Picture picture = pravella::Picture::fromBytes(bytes, length);
  const QImage drawn = picture.toImageOnWhite();
  if (drawn.isNull()) return 0;
  image = drawn.convertToFormat(QImage::Format_RGB32);
  return 1;
}
