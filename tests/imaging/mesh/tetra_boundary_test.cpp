#include "imaging/mesh/tetra_boundary.h"

#include <gtest/gtest.h>

#include <vector>

#include "lang/lang_fixture.h"

namespace {

using namespace pravella::mesh;

class TetraBoundary : public LangTest {};

TEST_F(TetraBoundary, OneOrTwoPointsAboveGiveOneOrTwoTriangles) {
  double out[18];
  const ValuePoint one[4] = {{0, 0, 0, 1}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  EXPECT_EQ(terrahedronBoundary(one, 0.5, out, 0), 1);
  const double first[9] = {0.5, 0, 0, 0, 0.5, 0, 0, 0, 0.5};
  for (int k = 0; k < 9; ++k) EXPECT_DOUBLE_EQ(out[k], first[k]);
  const ValuePoint two[4] = {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}};
  EXPECT_EQ(terrahedronBoundary(two, 0.5, out, 0), 2);
  const ValuePoint none[4] = {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
  EXPECT_EQ(terrahedronBoundary(none, 0.5, out, 0), 0);
}

TEST_F(TetraBoundary, SoupsPastTheResultBufferAreRefused) {
  // A plane through many cubes: more triangles than 90 reals hold.
  std::vector<double> g(4 * 4 * 4);
  for (std::size_t i = 0; i < g.size(); ++i) g[i] = static_cast<double>(i % 4);
  const int saved = TNumber;
  std::vector<double> out(static_cast<std::size_t>(saved), -7.0);
  TNumber = 90;
  int rows = 0, cols = 0;
  const int result = volumeBoundary(g.data(), 4, 4, 4, 1.5, out.data(), &rows, &cols);
  const int dedupe = deleteSameTriangle(out.data(), 8, out.data(), &rows);
  TNumber = saved;
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dedupe, 0);
  EXPECT_EQ(ResultString, "...<Error>...Too many Triangles\n...<Error>...Too many Triangles\n");
  for (std::size_t i = 90; i < out.size(); ++i) ASSERT_EQ(out[i], -7.0);
}

}  // namespace
