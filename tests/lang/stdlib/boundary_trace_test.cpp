// Boundary tracing on small hand-drawn regions.

#include "lang/stdlib/boundary_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<double> picture(const std::vector<std::string>& rows) {
  std::vector<double> v;
  for (const auto& r : rows)
    for (char ch : r) v.push_back(ch == '#' ? 1.0 : 0.0);
  return v;
}

std::vector<std::pair<int, int>> traced(const std::vector<std::string>& rows, int limit = 100) {
  const std::vector<double> img = picture(rows);
  std::vector<double> points(2 * static_cast<std::size_t>(limit));
  int count = 0;
  const int ok = traceBoundary(img.data(), static_cast<int>(rows.size()), static_cast<int>(rows[0].size()),
                               points.data(), &count, limit);
  std::vector<std::pair<int, int>> out;
  if (!ok) return out;
  for (int i = 0; i < count; ++i)
    out.emplace_back(static_cast<int>(points[2 * i]), static_cast<int>(points[2 * i + 1]));
  return out;
}

using P = std::vector<std::pair<int, int>>;

TEST(BoundaryTrace, SquareIsWalkedClockwiseOnce) {
  const std::vector<std::string> square = {
      ".....",  //
      ".###.",  //
      ".###.",  //
      ".###.",  //
      ".....",
  };
  EXPECT_EQ(traced(square), (P{{2, 2}, {2, 3}, {2, 4}, {3, 4}, {4, 4}, {4, 3}, {4, 2}, {3, 2}}));
}

TEST(BoundaryTrace, DiagonalNeighboursJoinAndLinesAreWalkedBothWays) {
  const std::vector<std::string> diagonal = {
      "#..",  //
      ".#.",  //
      "..#",
  };
  EXPECT_EQ(traced(diagonal), (P{{1, 1}, {2, 2}, {3, 3}, {2, 2}}));
  EXPECT_EQ(traced({"...", ".#.", "..."}), (P{{2, 2}}));
  EXPECT_EQ(traced({"...", "...", "..."}), P{});
}

TEST(BoundaryTrace, ConcaveShapeAndLimit) {
  const std::vector<std::string> u = {
      "#.#",  //
      "#.#",  //
      "###",
  };
  // With the region on the right: down the inside of the left arm, up the inside of the
  // right arm, then round the outside back to the start.
  EXPECT_EQ(traced(u), (P{{1, 1}, {2, 1}, {3, 2}, {2, 3}, {1, 3}, {2, 3}, {3, 3}, {3, 2}, {3, 1}, {2, 1}}));
  // Too small a list fails rather than writing past it.
  EXPECT_EQ(traced(u, 3), P{});
}

}  // namespace
