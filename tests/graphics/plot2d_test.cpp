#include "graphics/plot2d.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <vector>

#include "graphics/graph_title.h"
#include "lang/lang_fixture.h"

namespace {

using Vec = std::vector<double>;
using pravella::Picture;

// Plot frame of the 400 by 280 plot: left 57, right 342, top 40, bottom 240.
constexpr QRgb kBlack = qRgb(0, 0, 0), kRed = qRgb(221, 8, 6), kGreen = qRgb(0, 128, 17),
               kBlue = qRgb(0, 0, 212);

class Plot2d : public LangTest {
 protected:
  void SetUp() override {
    LangTest::SetUp();
    DoSetWindowSize(400, 280);
    pointMode = 0;
    for (double& v : axisData) v = 0;
    initTitle();
  }
  void TearDown() override {
    DoSetWindowSize(400, 280);
    pointMode = 0;
  }
  static QImage image(const Picture& p) { return p.toImage(); }
  static bool drawn(const QImage& img, int x, int y) { return qAlpha(img.pixel(x, y)) != 0; }
  static QRgb color(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }
};

TEST_F(Plot2d, FiveByTwoMatrixDrawsBothSeriesOnTheNiceRange) {
  // x 0..4 widens to -0.5..4.5 and y 1..5 to 0.5..5.5, both in steps of 0.5: the point (0, 1)
  // lands on (85, 220) and (0, 2) on (85, 180).
  const Vec x{0, 1, 2, 3, 4};
  const Vec y{1, 2, 2, 3, 3, 1, 4, 5, 5, 4};
  Picture p;
  ASSERT_EQ(DoPlot(x.data(), y.data(), nullptr, 5, 1, 5, 2, 3, p), 1);
  const QImage img = image(p);
  ASSERT_EQ(img.size(), QSize(400, 280));
  EXPECT_EQ(color(img, 85, 220), kBlack);
  EXPECT_EQ(color(img, 85, 180), kRed);
  EXPECT_EQ(color(img, 200, 240), kBlack);  // x axis
  EXPECT_EQ(color(img, 57, 100), kBlack);   // y axis
  EXPECT_FALSE(drawn(img, 395, 5));         // nothing painted outside what was drawn
}

TEST_F(Plot2d, SegmentsTakeTheirColourNumbersAndTheStoredRange) {
  const double range[7] = {0, 10, 1, 0, 10, 1, 1.0};
  std::copy(range, range + 7, axisData);
  const Vec x{2, 8}, y{5, 5}, colors{3};
  Picture p;
  ASSERT_EQ(DoPlot(x.data(), y.data(), colors.data(), 1, 2, 1, 2, 4, p), 1);
  const QImage img = image(p);
  EXPECT_EQ(color(img, 200, 140), kGreen);
  EXPECT_FALSE(drawn(img, 200, 139));
}

TEST_F(Plot2d, BarsAndStackedBars) {
  const Vec range{0, 10, 1, 0, 10, 1};
  const Vec x{5}, y{5}, green{2}, undrawn{7};
  Picture p;
  ASSERT_EQ(DoBarPlot(x.data(), y.data(), range.data(), 1, 1, 1, 1, 0, 2, green.data(), 1, p), 1);
  EXPECT_EQ(color(image(p), 200, 190), kGreen);
  ASSERT_EQ(DoBarPlot(x.data(), y.data(), range.data(), 1, 1, 1, 1, 0, 2, undrawn.data(), 1, p), 1);
  EXPECT_FALSE(drawn(image(p), 200, 190));

  const Vec two{2, 3}, colors{1, 3};
  ASSERT_EQ(DoStackBarPlot(x.data(), two.data(), range.data(), 1, 1, 1, 2, 0, 2, colors.data(), 2, p), 1);
  const QImage img = image(p);
  EXPECT_EQ(color(img, 200, 220), kRed);   // 0 .. 2
  EXPECT_EQ(color(img, 200, 160), kBlue);  // 2 .. 5
  EXPECT_FALSE(drawn(img, 200, 120));
  // A given range with a negative step would never end its tick loop.
  const Vec backwards{0, 10, -1, 0, 10, 1};
  EXPECT_EQ(DoBarPlot(x.data(), y.data(), backwards.data(), 1, 1, 1, 1, 0, 2, green.data(), 1, p), 0);
}

// The automatic y range holds the bars' base: bars of 5, 6 and 7 on base 0 once took the range
// 4.75 .. 7.25 and hung down over the x axis and its labels. With 0 in it the range is -1 .. 8
// (step 1), so the bars stand on the row of 0, y = 240 - 200 / 9 = 217; the x range 0.5 .. 4
// puts x = 1 at column 97.
TEST_F(Plot2d, AutomaticRangesHoldTheBarsBase) {
  const Vec x{1, 2, 3}, y{5, 6, 7}, green{2};
  Picture p;
  ASSERT_EQ(DoBarPlot(x.data(), y.data(), nullptr, 3, 1, 3, 1, 0, 0.5, green.data(), 1, p), 1);
  QImage img = image(p);
  EXPECT_EQ(color(img, 97, 216), kGreen);
  EXPECT_FALSE(drawn(img, 97, 218));
  EXPECT_FALSE(drawn(img, 97, 250));  // below the axis, among the labels
  EXPECT_EQ(color(img, 97, 240), kBlack);

  // Stacks of 3 and -2 run from 0 up to 3 and back to 1: the range holds 0 and 3 (it failed
  // with "Invalid plot range." when taken from the row totals alone, all 1). x 1 and 2 with
  // width 0.5 take the range 0.75 .. 2.75: x = 1 at column 92.
  const Vec two{1, 2}, stacks{3, -2, 3, -2}, colors{1, 3};
  ASSERT_EQ(DoStackBarPlot(two.data(), stacks.data(), nullptr, 2, 1, 2, 2, 0, 0.5, colors.data(), 2, p), 1);
  img = image(p);
  int lowest = -1, highest = 280;
  for (int row = 0; row < 280; ++row)
    if (color(img, 92, row) == kRed || color(img, 92, row) == kBlue) {
      lowest = std::max(lowest, row);
      highest = std::min(highest, row);
    }
  EXPECT_GT(highest, 40);   // below the frame's top
  EXPECT_LT(lowest, 240);   // above the x axis
  EXPECT_GT(lowest, highest);
}

TEST_F(Plot2d, PointModeAndMarks) {
  const Vec range{0, 10, 1, 0, 10, 1};
  const Vec x{5}, y{5};
  Picture p;
  ASSERT_EQ(DoPointMode(1), 1);
  ASSERT_EQ(DoPlot(x.data(), y.data(), range.data(), 1, 1, 1, 1, 6, p), 1);
  QImage img = image(p);
  EXPECT_TRUE(drawn(img, 199, 140));
  EXPECT_FALSE(drawn(img, 200, 140));
  EXPECT_EQ(DoPointMode(2), 0);
  EXPECT_EQ(pointMode, 1);
  DoPointMode(0);
  ASSERT_EQ(DoPlot(x.data(), y.data(), range.data(), 1, 1, 1, 1, 6, p), 1);
  img = image(p);
  EXPECT_TRUE(drawn(img, 200, 140));

  // Flag 1: a filled circle; flag 0: an open one, empty in the middle.
  const Vec flagged{5, 1}, open{5, 0};
  ASSERT_EQ(DoPlotMark(x.data(), flagged.data(), range.data(), 1, 1, 1, 2, 6, p), 1);
  EXPECT_TRUE(drawn(image(p), 199, 140));
  ASSERT_EQ(DoPlotMark(x.data(), open.data(), range.data(), 1, 1, 1, 2, 6, p), 1);
  img = image(p);
  EXPECT_FALSE(drawn(img, 199, 140));
  EXPECT_TRUE(drawn(img, 197, 140));
}

TEST_F(Plot2d, FreeFormLinesJoinOnlyRowsOfOneColour) {
  const Vec range{0, 10, 1, 0, 10, 1};
  const Vec other{1, 5, 1, 2, 0, 9, 5, 1, 3, 0};
  const Vec same{1, 5, 1, 2, 0, 9, 5, 1, 2, 0};
  Picture p;
  ASSERT_EQ(DoPlotSpecial(other.data(), range.data(), 2, 5, p), 1);
  EXPECT_FALSE(drawn(image(p), 200, 140));
  ASSERT_EQ(DoPlotSpecial(same.data(), range.data(), 2, 5, p), 1);
  EXPECT_EQ(color(image(p), 200, 140), kRed);
}

TEST_F(Plot2d, TitleOnTheNextPlotOnlyAndTheSizeSetting) {
  const Vec x{0, 1}, y{0, 1};
  auto titlePixels = [](const QImage& img) {
    int n = 0;
    for (int yy = 5; yy < 30; ++yy)
      for (int xx = 150; xx < 300; ++xx) n += qAlpha(img.pixel(xx, yy)) != 0;
    return n;
  };
  setGraphTitle(0, "TITLE", 150, 20, 3);
  Picture first, second;
  ASSERT_EQ(DoPlot(x.data(), y.data(), nullptr, 2, 1, 2, 1, 1, first), 1);
  ASSERT_EQ(DoPlot(x.data(), y.data(), nullptr, 2, 1, 2, 1, 1, second), 1);
  EXPECT_GT(titlePixels(image(first)), 0);
  EXPECT_EQ(titlePixels(image(second)), 0);

  DoSetWindowSize(50, 50);
  ASSERT_EQ(DoPlot(x.data(), y.data(), nullptr, 2, 1, 2, 1, 1, first), 1);
  EXPECT_EQ(first.width(), 100);
  EXPECT_EQ(first.height(), 100);
}

TEST_F(Plot2d, FarPointsAreClippedNotWrapped) {
  // A point a billion times beyond the range still draws its line toward the plot.
  const Vec range{0, 10, 1, 0, 10, 1};
  const Vec x{5, 5}, y{5, 1e12};
  Picture p;
  ASSERT_EQ(DoPlot(x.data(), y.data(), range.data(), 2, 1, 2, 1, 5, p), 1);
  const QImage img = image(p);
  EXPECT_TRUE(drawn(img, 199, 100));
  EXPECT_TRUE(drawn(img, 199, 0));
}

}  // namespace
