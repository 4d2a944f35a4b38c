#include <gtest/gtest.h>

#include <QStringList>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "graphics/editors/density_image.h"
#include "graphics/editors/density_plot_edit.h"
#include "graphics/graphics_hooks.h"

namespace {

TEST(DensityImage, ColourIndex) {
  struct Case {
    double v;
    int index;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  for (const Case& c : {Case{0, 0}, Case{10, 255}, Case{5, 127}, Case{-3, 0}, Case{12, 255}, Case{nan, 0},
                        Case{inf, 0}, Case{-inf, 0}}) {
    EXPECT_EQ(pravella::densityColorIndex(c.v, 10, 0), c.index) << c.v;
  }
}

TEST(DensityImage, RowZeroIsTheTopRowAndFlatDataHasNoRange) {
  const double data[] = {0, 0, 0, 10, 10, 10};
  double max = 0, min = 0;
  ASSERT_TRUE(pravella::densityRange(data, 2, 3, &max, &min));
  EXPECT_EQ(max, 10);
  const QImage image = pravella::densityPlotImage(data, 2, 3, max, min);
  EXPECT_EQ(image.size(), QSize(3, 2));
  EXPECT_NE(image.pixel(0, 0), image.pixel(0, 1));
  EXPECT_EQ(image.pixel(0, 0), image.pixel(2, 0));
  const double flat[] = {4, 4, 4, 4};
  max = min = 0;
  std::string reported;
  pravella::graphics::setErrorReporter([&](const std::string& m) { reported = m; });
  EXPECT_FALSE(pravella::densityRange(flat, 2, 2, &max, &min));
  pravella::graphics::setErrorReporter({});
  EXPECT_EQ(reported, "The data is flat: give a range (maximum, minimum).");
  max = 1;
  min = 0;
  EXPECT_TRUE(pravella::densityRange(flat, 2, 2, &max, &min));
}

TEST(DensityPlotEdit, OkWantsAClosedLasso) {
  pravella::DensityPlotEditState& s = pravella::densityPlotEditState();
  QStringList sounds;
  s.sound = [&](const QString& name) { sounds << name; };
  s.lasso.clear();
  s.lasso.setFactors(1, 1);
  EXPECT_FALSE(pravella::densityPlotEditOk());
  s.lasso.addPoint(0, 0);
  s.lasso.addPoint(50, 0);
  EXPECT_FALSE(pravella::densityPlotEditOk());
  EXPECT_EQ(sounds, (QStringList{"Basso", "Basso"}));
  s.sound = nullptr;
  s.lasso.clear();
}

TEST(DensityPlotEdit, TheMaskStartsAtTheTopLeft) {
  pravella::DensityPlotEditState& s = pravella::densityPlotEditState();
  s.width_n = 4;
  s.height_m = 3;
  s.lasso.clear();
  s.lasso.setFactors(0.1, 0.1);
  // A lasso around the matrix pixel (0, 2), the top left element, drawn in view units.
  for (auto [x, y] : std::vector<std::pair<double, double>>{{0, 20}, {10, 20}, {10, 30}, {0, 30}, {1, 21}})
    s.lasso.addPoint(x, y);
  ASSERT_TRUE(s.lasso.closed());
  std::vector<double> mask(12, -1);
  pravella::densityPlotEditMask(mask.data());
  const std::vector<double> expected{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(mask, expected);
  EXPECT_TRUE(pravella::densityPlotEditOk());
}

}  // namespace
