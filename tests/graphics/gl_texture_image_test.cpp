// A picture's texels: rows bottom first, the largest power-of-two part kept.

#include <gtest/gtest.h>

#include <QImage>

#include "graphics/gl/gl_texture_image.h"

namespace {

using namespace pravella::gl;

TEST(GLTextureImage, PowerOfTwoBelow) {
  const int cases[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {200, 128}, {256, 256}, {300, 256}, {1025, 1024}};
  for (const auto& c : cases) EXPECT_EQ(powerOfTwoBelow(c[0]), c[1]) << c[0];
}

TEST(GLTextureImage, CropsToPowersOfTwoFromTheBottomLeft) {
  QImage image(300, 200, QImage::Format_ARGB32);
  image.fill(Qt::blue);
  image.setPixel(0, 199, qRgb(255, 0, 0));     // bottom left: the first texel
  image.setPixel(299, 0, qRgb(0, 255, 0));     // top right: cut away
  image.setPixel(255, 72, qRgb(255, 255, 0));  // the last row and column that stay
  const QImage t = textureImage(image);
  EXPECT_EQ(t.size(), QSize(256, 128));
  EXPECT_EQ(t.format(), QImage::Format_RGBA8888);
  EXPECT_EQ(t.pixelColor(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(t.pixelColor(255, 127), QColor(255, 255, 0));
  EXPECT_EQ(t.pixelColor(100, 100), QColor(Qt::blue));
  EXPECT_TRUE(textureImage(QImage()).isNull());
}

}  // namespace
