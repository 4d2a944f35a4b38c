#include <gtest/gtest.h>

#include "graphics/graphics_hooks.h"
#include "graphics/graph_title.h"
#include "graphics/offscreen.h"
#include "graphics/picture.h"
#include "graphics/picture_ops.h"
#include "graphics/pixel_ops.h"
#include "lang/values.h"

namespace pravella {
namespace {

// A w by h picture whose pixel (x, y) is (x * 10 + 1, y * 10 + 1, 50).
QByteArray gradient(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 10 + 1, y * 10 + 1, 50));
  return Picture::fromImage(image).bytes();
}

QImage pixels(const QByteArray& picture) { return Picture(picture).toImageOnWhite(); }

class PixelOps : public testing::Test {
 protected:
  void SetUp() override {
    copyBitsMode = 0;
    initTitle();
    graphics::setErrorReporter([this](const std::string& m) { errors += m + "|"; });
  }
  void TearDown() override {
    graphics::setErrorReporter(nullptr);
    OpeMode = 32;
    opC[0] = opC[1] = opC[2] = 32768;
  }
  std::string errors;
};

TEST_F(PixelOps, FlipsAndTranspose) {
  const QByteArray in = gradient(3, 2);
  QByteArray out;
  ASSERT_EQ(DoFlipPicture(in, 0, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 1), qRgb(21, 11, 50));
  ASSERT_EQ(DoFlipPicture(in, 1, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 0), qRgb(1, 11, 50));
  ASSERT_EQ(DoTrnPicture(in, out), 1);
  EXPECT_EQ(Picture(out).frame().size(), QSize(2, 3));
  EXPECT_EQ(pixels(out).pixel(1, 2), qRgb(21, 11, 50));  // was (2, 1)
}

TEST_F(PixelOps, SmoothingAveragesChosenChannels) {
  QImage one(1, 1, QImage::Format_RGB32);
  one.setPixel(0, 0, qRgb(9, 99, 199));
  QByteArray out;
  ASSERT_EQ(DoSmoothGraph(Picture::fromImage(one).bytes(), 1, 1, 1, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 0), qRgb(9, 99, 199));
  const QByteArray in = gradient(3, 3);
  ASSERT_EQ(DoSmoothGraph(in, 1, 0, 0, out), 1);
  const QImage s = pixels(out);
  EXPECT_EQ(s.pixel(0, 0), qRgb((1 + 11 + 1 + 11) / 4, 1, 50));  // corner: 4 neighbours
  EXPECT_EQ(s.pixel(1, 1), qRgb(11, 11, 50));
  EXPECT_EQ(s.pixel(2, 1), qRgb((11 * 3 + 21 * 3) / 6, 11, 50));  // edge: 6 neighbours
}

TEST_F(PixelOps, PictureToNumbersAndTheSizeLimit) {
  std::vector<std::int32_t> numbers;
  int rows = 0, columns = 0;
  ASSERT_EQ(DoGetPictNum(gradient(3, 2), numbers, rows, columns, 1, 1, 1), 1);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(columns, 3);
  EXPECT_EQ(numbers[1 * 3 + 2], 21 + 11 + 50);
  QImage big(1415, 1415, QImage::Format_RGB32);  // 1415 x 1415 x 4 bytes is just over 8,000,000
  big.fill(Qt::white);
  EXPECT_EQ(DoGetPictNum(Picture::fromImage(big).bytes(), numbers, rows, columns, 1, 1, 1), 0);
  EXPECT_EQ(errors, "Too Big Picture|");
  errors.clear();
  EXPECT_EQ(DoGetPictNum(QByteArray("garbage bytes here"), numbers, rows, columns, 1, 1, 1), 0);
  EXPECT_EQ(errors, "Invalid PICT.|");
}

TEST_F(PixelOps, DensityPlotRangesAndColours) {
  std::vector<double> constant(6, 4.0);
  QByteArray out;
  ASSERT_EQ(DoDensityPlot(constant.data(), 2, 3, 0, 0, out), 1);
  EXPECT_EQ(Picture(out).frame().size(), QSize(3, 2));
  EXPECT_EQ(pixels(out).pixel(2, 1), qRgb(0, 0, 0));  // rainbow row 0
  std::vector<double> m = {0, 1, 2, 3};
  ASSERT_EQ(DoDensityPlot(m.data(), 2, 2, 0, 0, out), 1);
  EXPECT_EQ(pixels(out).pixel(1, 1), qRgb(255, 3, 0));  // 254: rainbow row 254
  std::vector<double> clamped = {-5, 0.5, 1, 10};
  ASSERT_EQ(DoDensityPlot(clamped.data(), 2, 2, 1, 0, out), 1);
  EXPECT_EQ(clamped[0], 0);
  EXPECT_EQ(clamped[3], 1);
  EXPECT_EQ(pixels(out).pixel(1, 0), qRgb(0, 251, 101));  // 0.5 -> 127: rainbow row 127
}

TEST_F(PixelOps, ChannelArithmeticWithAColour) {
  QImage image(2, 1, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(100, 40, 250));
  image.setPixel(1, 0, qRgb(0, 0, 0));
  const QByteArray in = Picture::fromImage(image).bytes();
  QByteArray out;
  ASSERT_EQ(DoGraphOpeCalc(in, '+', 10, 0, 0, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 0), qRgb(110, 40, 250));
  ASSERT_EQ(DoGraphOpeCalc(in, '-', 0, 50, 0, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 0), qRgb(100, 0, 250));
  ASSERT_EQ(DoGraphOpeCalc(in, '*', 2, 2, 2, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 0), qRgb(200, 80, 255));
  ASSERT_EQ(DoGraphOpeCalc(in, '/', 3, 0, -1, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 0), qRgb(33, 255, 0));
}

TEST_F(PixelOps, TwoPictureOperations) {
  const QByteArray a = gradient(2, 2), b = gradient(2, 2), c = gradient(3, 2);
  QByteArray out;
  ASSERT_EQ(DoGraphOpeCalc2(a, b, '+', out), 1);
  EXPECT_EQ(pixels(out).pixel(1, 1), qRgb(22, 22, 100));
  ASSERT_EQ(DoGraphOpeCalc2(a, b, '-', out), 1);
  EXPECT_EQ(pixels(out).pixel(1, 1), qRgb(0, 0, 0));
  EXPECT_EQ(DoGraphOpeCalc2(a, c, '+', out), 0);
  EXPECT_EQ(errors, "Invalid Picture Size|");
}

TEST_F(PixelOps, JoiningPictures) {
  QByteArray right, below;
  ASSERT_EQ(DoAddPictureToRight(gradient(3, 2), gradient(2, 4), right), 1);
  EXPECT_EQ(Picture(right).frame().size(), QSize(5, 4));
  EXPECT_EQ(pixels(right).pixel(2, 0), qRgb(1, 1, 50));  // picture 1 starts after picture 2
  ASSERT_EQ(DoAddPictureToBelow(gradient(3, 2), gradient(2, 4), below), 1);
  EXPECT_EQ(Picture(below).frame().size(), QSize(3, 6));
  EXPECT_EQ(pixels(below).pixel(2, 4), qRgb(21, 1, 50));
}

TEST_F(PixelOps, TransferModesAndSettings) {
  QImage white(1, 1, QImage::Format_RGB32), grey(1, 1, QImage::Format_RGB32);
  white.fill(qRgb(200, 200, 200));
  grey.fill(qRgb(100, 100, 100));
  const QByteArray a = Picture::fromImage(white).bytes(), b = Picture::fromImage(grey).bytes();
  QByteArray out;
  ASSERT_EQ(DoBlendLevel(0.5, 0.5, 0.5), 1);
  ASSERT_EQ(OpePict(a, b, out), 1);
  EXPECT_NEAR(qRed(pixels(out).pixel(0, 0)), 150, 1);
  EXPECT_EQ(DoChangeOpeMode(11), 0);
  EXPECT_EQ(OpeMode, 32);
  ASSERT_EQ(DoChangeOpeMode(5), 1);  // addMax
  ASSERT_EQ(OpePict(a, b, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 0), qRgb(200, 200, 200));
  ASSERT_EQ(DoChangeOpeMode(7), 1);  // adMin
  ASSERT_EQ(OpePict(a, b, out), 1);
  EXPECT_EQ(pixels(out).pixel(0, 0), qRgb(100, 100, 100));
  EXPECT_EQ(DoBlendLevel(1.5, 0, 0), 0);
  EXPECT_EQ(errors, "Invalid data|Invalid data|");
}

}  // namespace
}  // namespace pravella
