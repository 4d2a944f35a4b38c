#include "graphics/polygon_region.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

#include "lang/run_state.h"

#include "lang/lang_fixture.h"
#include "support/held_button.h"

namespace {

using Vec = std::vector<double>;

class PolygonRegion : public LangTest {};

const Vec kSquare{1, 1, 5, 1, 5, 5, 1, 5};
const Vec kClosedSquare{1, 1, 5, 1, 5, 5, 1, 5, 1, 1};
// Inside, outside, on an edge, just outside an edge.
const Vec kPoints{3, 3, 10, 6, 3, 20, 1, 3, 30, 5.001, 3, 40};

Vec column2(const Vec& rows, int found) {
  Vec v;
  for (int i = 0; i < found; ++i) v.push_back(rows[3 * i + 2]);
  return v;
}

TEST_F(PolygonRegion, RayCrossingCountsAnEdgePointInside) {
  Vec out(12);
  int found = 0;
  ASSERT_EQ(DoRegionPoints(kSquare.data(), 4, kPoints.data(), 4, 3, out.data(), &found), 1);
  EXPECT_EQ(column2(out, found), (Vec{10, 30}));
  ASSERT_EQ(DoRegionPoints(kClosedSquare.data(), 5, kPoints.data(), 4, 3, out.data(), &found), 1);
  EXPECT_EQ(column2(out, found), (Vec{10, 30}));
  const Vec flat{0, 0, 4, 0, 8, 0};
  EXPECT_EQ(DoRegionPoints(flat.data(), 3, kPoints.data(), 4, 3, out.data(), &found), 0);
}

TEST_F(PolygonRegion, AreaTestPutsNearOutsidePointsOutside) {
  Vec out(12);
  int found = 0;
  ASSERT_EQ(DoRegionPointsMenseki(kSquare.data(), 4, kPoints.data(), 4, 3, out.data(), &found), 1);
  EXPECT_EQ(column2(out, found), (Vec{10}));
}

TEST_F(PolygonRegion, GridMaskUsesOneBasedCellCoordinates) {
  // The triangle (1, 1), (4, 1), (1, 4) in column, row coordinates from 1.
  const Vec tri{1, 1, 4, 1, 1, 4};
  Vec mask(16);
  DoRegion(tri.data(), 3, 4, 4, mask.data());
  EXPECT_EQ(mask[0], 1);   // cell (0, 0) is the point (1, 1)
  EXPECT_EQ(mask[15], 0);  // (4, 4) lies outside
  EXPECT_EQ(mask[1 * 4 + 1], 1);
  Vec closedMask(16);
  const Vec closedTri{1, 1, 4, 1, 1, 4, 1, 1};
  DoRegion(closedTri.data(), 4, 4, 4, closedMask.data());
  EXPECT_EQ(mask, closedMask);
}

// Many points against a long outline take minutes: both point tests end with the break message
// when the button is held, on a size just past the work between their checks, and work when not.
TEST_F(PolygonRegion, ThePointTestsAnswerTheHeldButton) {
  Vec outline;
  for (int i = 0; i < 300; ++i) {
    const double t = 6.283185307179586 * i / 300;
    outline.push_back(100 + 50 * std::cos(t));
    outline.push_back(100 + 50 * std::sin(t));
  }
  Vec points;
  for (int i = 0; i < 300; ++i) points.insert(points.end(), {100.0 + i % 17, 100.0 + i % 13});
  Vec out(points.size());
  int found = 0;
  for (auto test : {DoRegionPoints, DoRegionPointsMenseki}) {
    pravella::test::expectStopsWhileHeld("region points", [&] {
      return test(outline.data(), 300, points.data(), 300, 2, out.data(), &found);
    });
    EXPECT_EQ(test(outline.data(), 300, points.data(), 300, 2, out.data(), &found), 1);
    EXPECT_EQ(found, 300);
  }
}

}  // namespace
