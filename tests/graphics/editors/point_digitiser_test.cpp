#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

#include "graphics/editors/point_digitiser.h"
#include "graphics/editors/point_digitiser_runs.h"
#include "lang/values.h"

namespace {

using pravella::PointDigitiser;

class DigitiserTest : public testing::Test {
 protected:
  void SetUp() override {
    d.xFactor = d.yFactor = 1;
    d.width_n = d.height_m = 100;
    d.mSize = 5;
    d.sound = [this](const QString& name) { sounds << name; };
  }
  void place(std::vector<QPointF> points) { d.pointsData = std::move(points); }

  PointDigitiser d;
  QStringList sounds;
};

TEST_F(DigitiserTest, SelectionByModifiers) {
  struct Case {
    const char* what;
    std::vector<int> before;
    int point;
    bool command, option;
    std::vector<int> after;
  };
  const Case cases[] = {
      {"plain on an unselected point", {0, 2}, 1, false, false, {1}},
      {"plain on a selected point keeps a multiple selection", {0, 2}, 2, false, false, {0, 2}},
      {"Command adds", {2}, 0, true, false, {2, 0}},
      {"Command removes", {0, 1, 2}, 1, true, false, {0, 2}},
      {"Option on a selected point", {0, 2}, 0, false, true, {0, 2}},
      {"Option and Command on a selected point", {0, 2}, 0, true, true, {0, 2}},
      {"Option on an unselected point", {0}, 1, false, true, {0}},
      {"Option and Command on an unselected point", {0, 2}, 1, true, true, {1}},
      {"plain beside every point", {0, 2}, -1, false, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    place({{10, 10}, {50, 10}, {90, 10}});
    d.selectedPoint = c.before;
    const QPointF at = c.point < 0 ? QPointF(30, 60) : d.pointsData[static_cast<std::size_t>(c.point)] + QPointF(3, 3);
    d.mouseDown(at, false, c.command, c.option);
    EXPECT_EQ(d.selectedPoint, c.after);
    d.mouseUp();
  }
}

TEST_F(DigitiserTest, TheHighestNearPointIsHit) {
  place({{10, 10}, {12, 10}, {80, 80}});
  EXPECT_EQ(d.checkNearPoints({11, 10}), 1);
  EXPECT_EQ(d.checkNearPoints({15, 14}), 1);  // exactly mSize away
  EXPECT_EQ(d.checkNearPoints({40, 40}), -1);
}

TEST_F(DigitiserTest, DraggingClampsAtTheImageWhileOptionMovesFreely) {
  struct Case {
    const char* what;
    bool option;
    QPointF from, to;
    std::vector<QPointF> after;
  };
  const Case cases[] = {
      {"selected points stop at the edges", false, {40, 10}, {-40, 130}, {{0, 100}, {0, 100}, {70, 70}}},
      {"Option without a selection moves all unclamped", true, {50, 50}, {0, 150},
       {{-40, 110}, {-10, 110}, {20, 170}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    place({{10, 10}, {40, 10}, {70, 70}});
    d.selectedPoint = c.option ? std::vector<int>{} : std::vector<int>{0, 1};
    d.mouseDown(c.from, false, false, c.option);
    d.mouseDragged(c.to, false, c.option);
    EXPECT_EQ(d.pointsData, c.after);
    d.mouseUp();
  }
}

TEST_F(DigitiserTest, OptionRotatesTheSelectionAboutItsCentre) {
  place({{40, 50}, {60, 50}, {10, 10}});
  d.mouseDown({40, 50}, false, false, false);
  d.mouseDown({60, 50}, false, true, false);
  // Option-click on a selected point: the centre is (50, 50); a quarter turn of the drag base.
  d.mouseDown({60, 50}, false, false, true);
  d.mouseDragged({50, 60}, false, true);
  EXPECT_NEAR(d.pointsData[0].x(), 50, 1e-9);
  EXPECT_NEAR(d.pointsData[0].y(), 40, 1e-9);
  EXPECT_NEAR(d.pointsData[1].x(), 50, 1e-9);
  EXPECT_NEAR(d.pointsData[1].y(), 60, 1e-9);
  EXPECT_EQ(d.pointsData[2], QPointF(10, 10));
}

TEST_F(DigitiserTest, ADoubleClickOnASegmentInsertsThere) {
  // Points 1 to 5 along a zigzag; a click between points 3 and 4 becomes point 4.
  place({{10, 10}, {30, 40}, {50, 10}, {70, 40}, {90, 10}});
  d.mouseDown({60, 25}, true, false, false);
  ASSERT_EQ(d.pointsData.size(), 6u);
  EXPECT_EQ(d.pointsData[3], QPointF(60, 25));
  EXPECT_EQ(d.selectedPoint, std::vector<int>{3});
  // Off every segment the point is appended; outside the image only the selection goes.
  d.mouseDown({20, 80}, true, false, false);
  EXPECT_EQ(d.pointsData.back(), QPointF(20, 80));
  d.mouseDown({120, 50}, true, false, false);
  EXPECT_EQ(d.pointsData.size(), 7u);
  EXPECT_TRUE(d.selectedPoint.empty());
}

TEST_F(DigitiserTest, ADoubleClickOnTheSmoothedLineInsertsAfterThePartsFirstPoint) {
  place({{0, 50}, {40, 50}, {80, 50}});
  d.splineSteps = 1;
  ASSERT_TRUE(d.smooth());
  struct Case {
    double x;
    int index;
  };
  // Smoothed points at x 0, 20, 40, 60, 80: both halves of a part insert after its first point.
  for (const Case& c : {Case{10, 1}, Case{30, 1}, Case{50, 2}, Case{70, 2}}) {
    int index = -1;
    ASSERT_TRUE(d.checkInsertPoint({c.x, 50}, &index)) << c.x;
    EXPECT_EQ(index, c.index) << c.x;
  }
}

TEST_F(DigitiserTest, SmoothingPassesThroughEveryPoint) {
  struct Case {
    bool closed;
    int steps;
    std::size_t count;
  };
  for (const Case& c : {Case{false, 1, 5}, Case{false, 3, 9}, Case{true, 1, 7}, Case{true, 2, 10}}) {
    SCOPED_TRACE(testing::Message() << c.closed << " " << c.steps);
    place({{10, 10}, {50, 60}, {90, 20}});
    d.closeLineSwitch = c.closed;
    d.splineSteps = c.steps;
    ASSERT_TRUE(d.smooth());
    ASSERT_EQ(d.bSplineResult.size(), c.count);
    for (int i = 0; i < 3; ++i) {
      const QPointF at = d.bSplineResult[static_cast<std::size_t>(i * (c.steps + 1))];
      EXPECT_NEAR(at.x(), d.pointsData[static_cast<std::size_t>(i)].x(), 1e-9);
      EXPECT_NEAR(at.y(), d.pointsData[static_cast<std::size_t>(i)].y(), 1e-9);
    }
    if (c.closed) {
      EXPECT_NEAR(d.bSplineResult.back().x(), 10, 1e-9);
    }
  }
  d.splineSteps = 0;
  EXPECT_FALSE(d.smooth());
}

TEST_F(DigitiserTest, ASmoothedLineLongerThanTheElementCapacityIsNotMade) {
  place({{10, 10}, {50, 60}, {90, 20}});
  d.splineSteps = 1;
  ASSERT_TRUE(d.smooth());
  const std::vector<QPointF> kept = d.bSplineResult;
  d.splineSteps = 3;  // 9 points
  const int capacity = TNumber;
  TNumber = 8;
  EXPECT_FALSE(d.smooth());
  TNumber = capacity;
  EXPECT_EQ(d.bSplineResult, kept);
}

TEST_F(DigitiserTest, ADoubleClickThatWouldPassTheCapacityIsRefused) {
  for (int missing : {2, 1}) {
    SCOPED_TRACE(missing);
    sounds.clear();
    d.pointsData.assign(static_cast<std::size_t>(pravella::kDigitiserCapacity - missing), QPointF(1, 1));
    d.mouseDown({50, 50}, true, false, false);
    const bool added = missing == 2;
    EXPECT_EQ(d.pointsData.size(), static_cast<std::size_t>(pravella::kDigitiserCapacity - missing + added));
    EXPECT_EQ(sounds.size(), added ? 0 : 1);
  }
}

TEST_F(DigitiserTest, DeleteFlipAndRubberBand) {
  place({{10, 10}, {20, 20}, {30, 30}, {80, 80}});
  // The rubber band from (5, 5) to (25, 25) takes the points whose whole coordinates lie in it.
  d.mouseDown({5, 5}, false, false, false);
  d.mouseDragged({25, 25}, false, false);
  EXPECT_EQ(d.selectedPoint, (std::vector<int>{0, 1}));
  d.mouseUp();
  EXPECT_FALSE(d.selectAreaStatus);
  d.flipH();  // every point, about x = 15, the centre of the selected points
  EXPECT_EQ(d.pointsData, (std::vector<QPointF>{{20, 10}, {10, 20}, {0, 30}, {-50, 80}}));
  d.deletePoints();
  EXPECT_EQ(d.pointsData, (std::vector<QPointF>{{0, 30}, {-50, 80}}));
  EXPECT_TRUE(sounds.isEmpty());
  d.deletePoints();
  EXPECT_EQ(sounds, QStringList{"Basso"});
}

TEST_F(DigitiserTest, TrianglesReferToTheFirstOfCoincidentPoints) {
  // Point 1 repeats point 0 (equal to three decimals): the triangles must still join the
  // square's corners and its centre.
  place({{0, 0}, {0.0001, 0}, {10, 0}, {10, 10}, {0, 10}, {5, 5}});
  d.makeTriangles();
  EXPECT_TRUE(d.triangleSwitch);
  ASSERT_EQ(d.triangles.size(), 4u);
  for (const auto& t : d.triangles) {
    int centre = 0;
    for (int c : t) {
      EXPECT_NE(c, 1);
      centre += c == 5;
    }
    EXPECT_EQ(centre, 1);
  }
}

TEST(DigitiserInput, SharedCornersBecomeOnePoint) {
  const double triangles[] = {1, 1, 0, 5, 1, 0, 3, 4, 0, 5, 1, 9, 3, 4, 9, 7, 4, 9};
  std::vector<QPointF> corners;
  std::vector<std::array<int, 3>> indices;
  pravella::convertTrianglesDataAndPoints(triangles, 2, &corners, &indices);
  EXPECT_EQ(corners, (std::vector<QPointF>{{1, 1}, {5, 1}, {3, 4}, {7, 4}}));
  EXPECT_EQ(indices, (std::vector<std::array<int, 3>>{{0, 1, 2}, {1, 2, 3}}));
}

TEST(DigitiserInput, Capacity) {
  const int n = pravella::kDigitiserCapacity;
  std::vector<double> points(static_cast<std::size_t>(2 * (n + 1)));
  EXPECT_TRUE(pravella::digitiserInputFits(points.data(), n, 2));
  EXPECT_FALSE(pravella::digitiserInputFits(points.data(), n + 1, 2));
  // Triangles: 3,334 triangles of distinct corners hold 10,002 corners.
  std::vector<double> triangles(static_cast<std::size_t>(9 * 3334));
  for (std::size_t i = 0; i < triangles.size(); i += 3) triangles[i] = static_cast<double>(i);
  EXPECT_FALSE(pravella::digitiserInputFits(triangles.data(), 3334, 9));
  EXPECT_TRUE(pravella::digitiserInputFits(triangles.data(), 3333, 9));
}

}  // namespace
