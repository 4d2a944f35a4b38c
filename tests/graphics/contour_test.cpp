#include "graphics/contour.h"

#include <gtest/gtest.h>

#include <QImage>

#include <vector>

#include "lang/lang_fixture.h"

namespace {

using Vec = std::vector<double>;

constexpr QRgb kBlue = qRgb(0, 0, 212), kRed = qRgb(221, 8, 6);

class Contour : public LangTest {
 protected:
  void TearDown() override { DoSetTopoWindowSize(200, 200); }
  static void count(const QImage& img, int* blue, int* red, int* upperLeft) {
    *blue = *red = *upperLeft = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QRgb v = img.pixel(x, y);
        if (qAlpha(v) == 0) continue;
        const QRgb c = v | 0xFF000000u;
        *blue += c == kBlue;
        *red += c == kRed;
        if (x + y < 190) ++*upperLeft;
      }
  }
};

TEST_F(Contour, SingleRaisedNodeDrawsOnlyInItsTriangle) {
  // Node (1, 1) at height 1: the diagonal at level 0 and fifteen cuts parallel to it, blue
  // below the reference 0.5 and red above, all in the lower-right triangle.
  const Vec z{0, 0, 0, 1};
  pravella::Picture p;
  ASSERT_EQ(DoGraphTopo(z.data(), 2, 2, 0, 0, 0, 0, p), 1);
  const QImage img = p.toImage();
  ASSERT_EQ(img.size(), QSize(200, 200));
  int blue = 0, red = 0, upperLeft = 0;
  count(img, &blue, &red, &upperLeft);
  EXPECT_GT(blue, 100);
  EXPECT_GT(red, 100);
  EXPECT_EQ(upperLeft, 0);
  // The level-0 diagonal passes through the middle of the picture in blue.
  EXPECT_EQ(img.pixel(100, 100) | 0xFF000000u, kBlue);
}

TEST_F(Contour, LevelsAreCheckedAndFlatDataRefused) {
  const Vec z{0, 0, 0, 1}, flat{2, 2, 2, 2};
  pravella::Picture p;
  EXPECT_EQ(DoGraphTopo(z.data(), 2, 2, 1, 0, -0.1, 0.5, p), 0);
  EXPECT_EQ(DoGraphTopo(flat.data(), 2, 2, 0, 0, 0, 0, p), 0);
  EXPECT_EQ(ResultString,
            "...<Error>...Invalid contourPlot parameters.\n...<Error>...Invalid contourPlot parameters.\n");
  // Maximum not above minimum falls back to the data's levels.
  EXPECT_EQ(DoGraphTopo(z.data(), 2, 2, 1, 1, 0.1, 0, p), 1);
}

TEST_F(Contour, CoordinateAndTriangleForms) {
  const Vec x{10, 90, 10, 90}, y{10, 10, 90, 90}, z{0, 0, 0, 1};
  pravella::Picture p;
  ASSERT_EQ(DoGraphTopoXY(120, 100, x.data(), y.data(), z.data(), 2, 2, 0, 0, 0, 0, p), 1);
  EXPECT_EQ(p.width(), 120);
  EXPECT_EQ(p.height(), 100);
  DoSetTopoWindowSize(50, 300);
  const Vec tri{0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1};
  ASSERT_EQ(DoSankakuTopo(tri.data(), 1, 0, 0, 0, 0, 0, 0, 0, 0, p), 1);
  EXPECT_EQ(p.width(), 100);
  EXPECT_EQ(p.height(), 300);
  int blue = 0, red = 0, upperLeft = 0;
  count(p.toImage(), &blue, &red, &upperLeft);
  EXPECT_GT(blue + red, 0);
}

}  // namespace
