#include "imaging/video/cv_picture.h"

#include <QImage>

#include <cstdint>

#include "graphics/offscreen.h"
#include "graphics/offscreen_world.h"

int IplImage2pict(const cv::Mat& image, pravella::Picture& picture) {
  if (image.channels() != 3 || (image.depth() != CV_8U && image.depth() != CV_8S)) return 0;
  auto world = pravella::newOffScreenWorld(image.cols, image.rows);
  if (!world) return 0;
  pravella::PortSaver saver;
  if (!BeginDrawInToOffScreen(world.get())) return 0;
  QImage& pixels = world->pixels();
  for (int y = 0; y < image.rows; ++y) {
    const std::uint8_t* src = image.ptr<std::uint8_t>(y);
    auto* dst = reinterpret_cast<QRgb*>(pixels.scanLine(y));
    for (int x = 0; x < image.cols; ++x, src += 3) dst[x] = qRgb(src[2], src[1], src[0]);
  }
  CopyOffScreen(picture, *world);
  EndDrawInToOffScreen(world.get());
  return picture.isEmpty() ? 0 : 1;
}

int pictData2IplImage(const void* bytes, std::size_t length, cv::Mat& image) {
  image.release();
  const pravella::Picture picture = pravella::Picture::fromBytes(bytes, length);
  const QImage drawn = picture.toImageOnWhite();
  if (drawn.isNull()) return 0;
  const QImage rgb = drawn.convertToFormat(QImage::Format_RGB32);
  image.create(rgb.height(), rgb.width(), CV_8UC3);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    std::uint8_t* dst = image.ptr<std::uint8_t>(y);
    for (int x = 0; x < rgb.width(); ++x, dst += 3) {
      dst[0] = static_cast<std::uint8_t>(qBlue(src[x]));
      dst[1] = static_cast<std::uint8_t>(qGreen(src[x]));
      dst[2] = static_cast<std::uint8_t>(qRed(src[x]));
    }
  }
  return 1;
}
