#include "imaging/media/cv_images.h"

#include <opencv2/imgproc.hpp>

#include <cstdint>

namespace pravella::media {

cv::Mat matFromImage(const QImage& image) {
  if (image.isNull()) return {};
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  cv::Mat out(rgb.height(), rgb.width(), CV_8UC3);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    std::uint8_t* dst = out.ptr<std::uint8_t>(y);
    for (int x = 0; x < rgb.width(); ++x, dst += 3) {
      dst[0] = static_cast<std::uint8_t>(qBlue(src[x]));
      dst[1] = static_cast<std::uint8_t>(qGreen(src[x]));
      dst[2] = static_cast<std::uint8_t>(qRed(src[x]));
    }
  }
  return out;
}

QImage imageFromMat(const cv::Mat& image) {
  if (image.empty() || image.channels() != 3 || (image.depth() != CV_8U && image.depth() != CV_8S)) return {};
  QImage out(image.cols, image.rows, QImage::Format_RGB32);
  for (int y = 0; y < image.rows; ++y) {
    const std::uint8_t* src = image.ptr<std::uint8_t>(y);
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < image.cols; ++x, src += 3) dst[x] = qRgb(src[2], src[1], src[0]);
  }
  return out;
}

cv::Mat bgrFrame(const cv::Mat& frame) {
  cv::Mat bgr;
  if (frame.channels() == 1)
    cv::cvtColor(frame, bgr, cv::COLOR_GRAY2BGR);
  else if (frame.channels() == 4)
    cv::cvtColor(frame, bgr, cv::COLOR_BGRA2BGR);
  else
    bgr = frame;
  return bgr;
}

}  // namespace pravella::media
