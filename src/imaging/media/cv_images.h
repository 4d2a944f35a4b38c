#pragma once
// Between Qt images and OpenCV's: the seam to the media module passes RGB32 images, OpenCV
// works on 8-bit blue-green-red ones.

#include <QImage>

#include <opencv2/core.hpp>

namespace pravella::media {

// The image (any format, drawn as RGB32) as 8-bit blue-green-red; empty for a null image.
cv::Mat matFromImage(const QImage& image);

// A 3-channel image of 8 bits (signed or unsigned) as RGB32; a null image for any other kind.
QImage imageFromMat(const cv::Mat& image);

// A frame of 1, 3 or 4 channels as 3-channel blue-green-red (shared, not copied, when it is one).
cv::Mat bgrFrame(const cv::Mat& frame);

}  // namespace pravella::media
