#include <gtest/gtest.h>

#include "graphics/color_table.h"
#include "graphics/graph_title.h"
#include "graphics/offscreen.h"

namespace pravella {
namespace {

bool isBlack(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) == 0; }

TEST(OffScreenWorld, RectanglesCoverLeftToRightMinusOne) {
  OffScreenWorld world(10, 10);
  world.paintRect(2, 3, 5, 6);
  const QImage& p = world.pixels();
  EXPECT_TRUE(isBlack(p, 2, 3));
  EXPECT_TRUE(isBlack(p, 4, 5));
  EXPECT_FALSE(isBlack(p, 5, 5));  // right edge is outside
  EXPECT_FALSE(isBlack(p, 4, 6));  // bottom edge is outside
  EXPECT_FALSE(isBlack(p, 1, 3));
}

TEST(OffScreenWorld, FrameRectDrawsThePenInside) {
  OffScreenWorld world(10, 10);
  world.penSize(2, 1);
  world.frameRect(1, 1, 9, 9);
  const QImage& p = world.pixels();
  EXPECT_TRUE(isBlack(p, 1, 1));
  EXPECT_TRUE(isBlack(p, 8, 8));   // last covered pixel of the rectangle
  EXPECT_TRUE(isBlack(p, 2, 4));   // pen is two wide on the left side
  EXPECT_FALSE(isBlack(p, 3, 4));  // inside
  EXPECT_TRUE(isBlack(p, 7, 4));   // and on the right side, inside the rectangle
  EXPECT_FALSE(isBlack(p, 9, 4));
  EXPECT_FALSE(isBlack(p, 4, 2));  // pen is one high at the top
}

TEST(OffScreenWorld, PenHangsBelowAndRightOfTheLine) {
  OffScreenWorld world(10, 10);
  world.penSize(2, 2);
  world.moveTo(1, 1);
  world.lineTo(4, 1);
  const QImage& p = world.pixels();
  EXPECT_TRUE(isBlack(p, 1, 1));
  EXPECT_TRUE(isBlack(p, 5, 2));   // end point plus the pen's extent
  EXPECT_FALSE(isBlack(p, 6, 1));
  EXPECT_FALSE(isBlack(p, 1, 0));  // nothing above the line
  EXPECT_FALSE(isBlack(p, 0, 1));  // nor left of it
  EXPECT_EQ(world.penLocation(), QPoint(4, 1));
}

TEST(OffScreenWorld, CommandRecordingHoldsOnlyWhatWasDrawn) {
  OffScreenWorld world(6, 4);
  const Picture picture = recordCommands(world, [](OffScreenWorld& w) {
    w.moveTo(0, 0);
    w.lineTo(5, 0);
  });
  const QImage image = picture.toImage();
  ASSERT_EQ(image.size(), QSize(6, 4));
  EXPECT_EQ(image.pixel(3, 0), qRgb(0, 0, 0));
  EXPECT_EQ(qAlpha(image.pixel(3, 2)), 0);  // the erased world is not part of the picture
  EXPECT_EQ(world.pixels().pixel(3, 0), qRgb(255, 255, 255));
}

class TitleTest : public testing::Test {
 protected:
  void SetUp() override {
    initTitle();
    copyBitsMode = 0;
    UColor.clear();
    ColorNumber = 0;
  }
  void TearDown() override {
    initTitle();
    copyBitsMode = 0;
  }
  static int darkPixels(const QByteArray& picture) {
    const QImage image = Picture(picture).toImageOnWhite();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += qGray(image.pixel(x, y)) < 128;
    return n;
  }
};

TEST_F(TitleTest, TitleIsStampedOnTheNextPictureOnly) {
  OffScreenWorld white(60, 40);
  ASSERT_EQ(setGraphTitle(1, "Hi", 5, 20, 3), 1);
  Picture withTitle;
  CopyOffScreen(withTitle, white);
  EXPECT_GT(darkPixels(withTitle.bytes()), 0);
  EXPECT_TRUE(graphTitle[1].empty());
  Picture withoutTitle;
  CopyOffScreen(withoutTitle, white);
  EXPECT_EQ(darkPixels(withoutTitle.bytes()), 0);
  EXPECT_EQ(TitleFontSize[1], 9);
  EXPECT_EQ(graphTitleColor[1], "black");
  EXPECT_EQ(setGraphTitle(30, "x", 0, 0, 3), 0);
}

TEST_F(TitleTest, EmptyColourNameDrawsBlackAndNamedColoursApply) {
  OffScreenWorld white(80, 30);
  setGraphTitle(0, "MMMM", 2, 20, 6, "", "Geneva", 18);
  Picture p;
  CopyOffScreen(p, white);
  const QImage image = p.toImageOnWhite();
  bool sawBlack = false;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) sawBlack |= image.pixel(x, y) == qRgb(0, 0, 0);
  EXPECT_TRUE(sawBlack);
  setGraphTitle(0, "MMMM", 2, 20, 6, "red", "Geneva", 18);
  CopyOffScreen(p, white);
  const QImage red = p.toImageOnWhite();
  bool sawRed = false;
  for (int y = 0; y < red.height(); ++y)
    for (int x = 0; x < red.width(); ++x) sawRed |= red.pixel(x, y) == qRgb(221, 8, 6);
  EXPECT_TRUE(sawRed);
}

TEST_F(TitleTest, CopyBitsModeDecidesWhetherWhiteCovers) {
  OffScreenWorld world(2, 1);
  world.pixels().setPixel(1, 0, qRgb(1, 2, 3));
  Picture transparent, plain;
  CopyOffScreen(transparent, world);
  doChangeCopyBitsMode(1);
  EXPECT_EQ(copyBitsMode, 1);
  CopyOffScreen(plain, world);
  doChangeCopyBitsMode(7);
  EXPECT_EQ(copyBitsMode, 0);
  EXPECT_EQ(qAlpha(transparent.toImage().pixel(0, 0)), 0);
  EXPECT_EQ(plain.toImage().pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(transparent.toImage().pixel(1, 0), qRgb(1, 2, 3));
}

}  // namespace
}  // namespace pravella
