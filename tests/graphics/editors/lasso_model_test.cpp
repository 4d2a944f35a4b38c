#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "graphics/editors/lasso_model.h"

namespace {

using pravella::LassoModel;
using Step = LassoModel::Step;

struct Drawn {
  QStringList sounds;
  LassoModel lasso;
  Drawn() {
    lasso.sound = [this](const QString& name) { sounds << name; };
  }
};

TEST(LassoModel, StepsOfADrawing) {
  struct Case {
    double x, y;
    Step step;
    int count;
    bool closed;
  };
  // Start at (100, 100); a point near the start before leaving it is an ordinary point; the
  // same point twice is ignored; coming back within 5 units after leaving closes the lasso.
  const Case cases[] = {
      {100, 100, Step::Added, 1, false},  {103, 103, Step::Added, 2, false},
      {103, 103, Step::Ignored, 2, false}, {120, 100, Step::Added, 3, false},
      {120, 130, Step::Added, 4, false},  {104, 103, Step::Closed, 5, true},
      {150, 150, Step::Ignored, 5, true},
  };
  Drawn d;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    EXPECT_EQ(d.lasso.addPoint(c.x, c.y), c.step);
    EXPECT_EQ(d.lasso.count(), c.count);
    EXPECT_EQ(d.lasso.closed(), c.closed);
  }
  EXPECT_EQ(d.lasso.points().back(), QPointF(100, 100));
  EXPECT_EQ(d.sounds, QStringList{"Tink"});
}

TEST(LassoModel, ExactlyFiveUnitsAwayDoesNotCountAsLeaving) {
  Drawn d;
  d.lasso.addPoint(0, 0);
  d.lasso.addPoint(3, 4);  // distance 5: not left yet
  EXPECT_EQ(d.lasso.addPoint(0, 1), Step::Added);
  EXPECT_FALSE(d.lasso.closed());
}

TEST(LassoModel, AFullBufferStillCloses) {
  Drawn d;
  d.lasso.addPoint(0, 0);
  for (int i = 1; i < pravella::kLassoCapacity - 1; ++i) d.lasso.addPoint(100 + i, 100);
  ASSERT_EQ(d.lasso.count(), pravella::kLassoCapacity - 1);
  EXPECT_EQ(d.lasso.addPoint(50, 50), Step::Ignored);
  EXPECT_EQ(d.lasso.addPoint(1, 1), Step::Closed);
  EXPECT_EQ(d.lasso.count(), pravella::kLassoCapacity);
  EXPECT_TRUE(d.lasso.closed());
}

TEST(LassoModel, FactorsScaleTheStoredPointsNotTheClosingDistance) {
  Drawn d;
  d.lasso.setFactors(0.5, 2);
  d.lasso.addPoint(10, 10);
  d.lasso.addPoint(40, 10);
  d.lasso.addPoint(40, 40);
  EXPECT_EQ(d.lasso.addPoint(12, 12), Step::Closed);
  const std::vector<QPointF> expected{{5, 20}, {20, 20}, {20, 80}, {5, 20}};
  EXPECT_EQ(d.lasso.points(), expected);
}

TEST(LassoModel, RegionOfTruncatedPoints) {
  Drawn d;
  for (auto [x, y] : std::vector<std::pair<double, double>>{{10.9, 10.9}, {30, 10}, {30, 30}, {10, 30}, {11, 11}})
    d.lasso.addPoint(x, y);
  ASSERT_TRUE(d.lasso.closed());
  struct Case {
    double x, y;
    bool inside;
  };
  // The region covers the pixels 10..29 in both directions (right and bottom edges left out).
  for (const Case& c : {Case{10, 10, true}, Case{20, 20, true}, Case{29.9, 29.9, true}, Case{30, 20, false},
                        Case{9.5, 20, false}, Case{20, 30, false}}) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    EXPECT_EQ(d.lasso.contains(c.x, c.y), c.inside);
  }
}

TEST(LassoModel, ScalingFollowsTheView) {
  Drawn d;
  d.lasso.addPoint(10, 10);
  d.lasso.addPoint(40, 20);
  d.lasso.scale(2, 0.5);
  const std::vector<QPointF> expected{{20, 5}, {80, 10}};
  EXPECT_EQ(d.lasso.points(), expected);
  // The start moved with it: coming back near the scaled start closes.
  d.lasso.addPoint(80, 60);
  EXPECT_EQ(d.lasso.addPoint(21, 6), Step::Closed);
}

}  // namespace
