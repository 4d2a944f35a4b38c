// Kernel filtering and outlier correction of pictures, read back pixel by pixel.

#include "graphics/picture_filter.h"

#include <gtest/gtest.h>

#include <QImage>

#include <vector>

#include "graphics/picture.h"

namespace {

using pravella::Picture;

QImage decoded(const QByteArray& bytes) { return Picture(bytes).toImageOnWhite(); }

TEST(PictureFilter, BoxKernelAveragesTheTapsInsideThePicture) {
  QImage image(3, 2, QImage::Format_RGB32);
  const int reds[6] = {0, 30, 60, 90, 120, 151};
  for (int i = 0; i < 6; ++i) image.setPixel(i % 3, i / 3, qRgb(reds[i], 255 - reds[i], 7));
  const QByteArray picture = Picture::fromImage(image).bytes();
  const std::vector<double> ones(9, 1.0);
  QByteArray out;
  ASSERT_EQ(DoGraphProcess(picture, ones.data(), 3, 0, out), 1);
  const QImage result = decoded(out);
  ASSERT_EQ(result.size(), QSize(3, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      int sum = 0, taps = 0;
      for (int yy = 0; yy < 2; ++yy)
        for (int xx = x - 1; xx <= x + 1; ++xx)
          if (xx >= 0 && xx < 3) {
            sum += reds[yy * 3 + xx];
            ++taps;
          }
      EXPECT_EQ(qRed(result.pixel(x, y)), sum / taps) << x << "," << y;
      EXPECT_EQ(qRed(result.pixel(x, y)) + qGreen(result.pixel(x, y)), 255 - (sum % taps ? 1 : 0));
      EXPECT_EQ(qBlue(result.pixel(x, y)), 7);
    }
}

TEST(PictureFilter, OffsetAndLimits) {
  QImage image(2, 2, QImage::Format_RGB32);
  image.fill(qRgb(100, 200, 10));
  const QByteArray picture = Picture::fromImage(image).bytes();
  // A 1 x 1 kernel: each channel times 2, plus the offset, held to 0 .. 255.
  const double twice[1] = {2.0};
  QByteArray out;
  ASSERT_EQ(DoGraphProcess(picture, twice, 1, -50, out), 1);
  EXPECT_EQ(decoded(out).pixel(1, 1), qRgb(150, 255, 0));
  // Even kernels are refused.
  const double even[4] = {1, 1, 1, 1};
  EXPECT_EQ(DoGraphProcess(picture, even, 2, 0, out), 0);
}

TEST(PictureFilter, GazoHoseiRemovesASpotOfColour) {
  QImage image(5, 5, QImage::Format_RGB32);
  image.fill(qRgb(10, 20, 30));
  image.setPixel(2, 2, qRgb(250, 20, 30));
  QByteArray out;
  ASSERT_EQ(vkGazoHoseiPicture(Picture::fromImage(image).bytes(), 1.0, 1, out), 1);
  const QImage result = decoded(out);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(result.pixel(x, y), qRgb(10, 20, 30)) << x << "," << y;
}

}  // namespace
