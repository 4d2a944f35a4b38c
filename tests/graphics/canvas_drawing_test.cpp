#include "graphics/canvas_drawing.h"

#include <gtest/gtest.h>

#include <QImage>

#include "graphics/color_table.h"
#include "graphics/graph_title.h"
#include "lang/builtins/startup.h"

namespace {

int countPixels(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  return n;
}

class CanvasDrawing : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    initTitle();
  }
  void TearDown() override { DoChangeCanvasColor(255, 255, 255); }
};

TEST_F(CanvasDrawing, CanvasColourComponents) {
  DoChangeCanvasColor(300, 0, -5);
  EXPECT_EQ(canvasColor.red, 65535);
  EXPECT_EQ(canvasColor.green, 0);
  EXPECT_EQ(canvasColor.blue, 65535);
  DoChangeCanvasColor(254, 1, 255);
  EXPECT_EQ(canvasColor.red, 254 * 256);
  EXPECT_EQ(canvasColor.green, 256);
  EXPECT_EQ(canvasColor.blue, 65535);
}

TEST_F(CanvasDrawing, TextIsDrawnInTheNamedColourOnTheCanvasColour) {
  DoChangeCanvasColor(0, 0, 255);  // a blue canvas
  pravella::Picture out;
  ASSERT_EQ(DoDrawStringInCanvas_2((60 << 16) | 24, 2, 18, "Hello", "Geneva", "unknown colour", 16, 1, out),
            1);
  const QImage image = out.toImage();
  ASSERT_EQ(image.size(), QSize(60, 24));
  const int grey = countPixels(image, qRgb(128, 128, 128));  // an unknown name draws grey
  const int blue = countPixels(image, qRgb(0, 0, 255));
  EXPECT_GT(grey, 20);
  EXPECT_GT(blue, 60 * 24 / 2);
  EXPECT_EQ(grey + blue, 60 * 24);  // no antialiasing: only the two colours

  // Over a picture: the picture stays where no text covers it.
  pravella::Picture base;
  const double rows[] = {0, 0, 3, 2, 1, 10, 10};  // a red square at the top left
  const double size[] = {40, 20};
  ASSERT_EQ(DoDraw(rows, size, 1, base), 1);
  ASSERT_EQ(DoDrawStringInCanvas(base.bytes(), 12, 16, "Hi", "Geneva", "black", 12, 0, out), 1);
  const QImage over = out.toImage();
  ASSERT_EQ(over.size(), QSize(40, 20));
  const QRgb red = colorForReference(2).rgb();
  EXPECT_EQ(countPixels(over, red), 100);
  // The text's pixels (in whatever "black" names where the colour names are loaded).
  EXPECT_LT(countPixels(over, red) + countPixels(over, qRgb(255, 255, 255)), 40 * 20 - 5);
}

TEST_F(CanvasDrawing, PlacedPictureOnTheCanvasColour) {
  pravella::Picture square;
  const double rows[] = {0, 0, 3, 4, 1, 2, 2};  // blue 2 x 2
  const double size[] = {2, 2};
  ASSERT_EQ(DoDraw(rows, size, 1, square), 1);
  DoChangeCanvasColor(0, 255, 0);
  pravella::Picture out;
  ASSERT_EQ(DoDrawPictureInCanvas_1(square.bytes(), 5, 3, 3, 1, out), 1);
  const QImage image = out.toImage();
  ASSERT_EQ(image.size(), QSize(5, 3));
  const QRgb blue = colorForReference(4).rgb() & 0xFFFFFF;
  EXPECT_EQ(image.pixel(3, 1) & 0xFFFFFF, blue);
  EXPECT_EQ(image.pixel(4, 2) & 0xFFFFFF, blue);
  EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(countPixels(image, qRgb(0, 255, 0)), 15 - 4);
  EXPECT_EQ(DoDrawPictureInCanvas_1(QByteArray("junk"), 5, 3, 0, 0, out), 0);
}

// The colour numbers of "draw" paint the colours the plots, bars and titles give the same
// numbers (red was pure red here and (221, 8, 6) there; 8 was yellow, not white); numbers
// outside 1 to 8 are black, as there.
TEST_F(CanvasDrawing, ColourNumbersPaintTheFixedTable) {
  const QRgb black = colorForReference(1).rgb() & 0xFFFFFF;
  const struct {
    int number;
    QRgb expected;
  } cases[] = {{1, black},
               {2, qRgb(221, 8, 6)},
               {3, qRgb(0, 128, 17)},
               {4, colorForReference(4).rgb()},
               {5, colorForReference(5).rgb()},
               {6, colorForReference(6).rgb()},
               {7, colorForReference(7).rgb()},
               {8, qRgb(255, 255, 255)},
               {0, black},
               {-3, black},
               {9, black}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    const double rows[] = {0, 0, 3, static_cast<double>(c.number), 1, 2, 2};
    const double size[] = {2, 2};
    pravella::Picture square;
    ASSERT_EQ(DoDraw(rows, size, 1, square), 1);
    EXPECT_EQ(square.toImage().pixel(1, 1) & 0xFFFFFF, c.expected & 0xFFFFFF);
  }
}

}  // namespace
