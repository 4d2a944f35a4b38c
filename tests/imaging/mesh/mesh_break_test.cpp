// The surfaces of a grid walk it row by row of cubes, and a grid of the largest size takes many
// seconds: each walk ends with the break message when the button is held, and works when not.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/mesh/cube_boundary.h"
#include "imaging/mesh/sample_boundary.h"
#include "imaging/mesh/tetra_boundary.h"
#include "lang/lang_fixture.h"
#include "lang/run_state.h"
#include "support/held_button.h"

namespace {

using namespace pravella::mesh;

class MeshBreak : public LangTest {
 protected:
  void TearDown() override { vkButtonDownSinceMs.store(0); }
};

TEST_F(MeshBreak, EveryGridWalkAnswersTheHeldButton) {
  // A 6-cube with a raised centre.
  constexpr int n = 6;
  std::vector<double> grid(n * n * n, 0.0);
  for (int z = 2; z < 4; ++z)
    for (int y = 2; y < 4; ++y)
      for (int x = 2; x < 4; ++x) grid[(z * n + y) * n + x] = 10.0;
  std::vector<double> out(static_cast<std::size_t>(TNumber));
  int rows = 0, cols = 0;
  const std::pair<const char*, std::function<int()>> walks[] = {
      {"volumeBoundary", [&] { return volumeBoundary(grid.data(), n, n, n, 5.0, out.data(), &rows, &cols); }},
      {"volumeBoundary_1", [&] { return volumeBoundary_1(grid.data(), n * n, n, 5.0, out.data(), &rows); }},
      {"volumeBoundary_2", [&] { return volumeBoundary_2(grid.data(), n * n, n, 5.0, out.data(), &rows); }},
  };
  for (const auto& [name, walk] : walks) {
    pravella::test::expectStopsWhileHeld(name, walk);
    EXPECT_EQ(walk(), 1) << name;
    EXPECT_GT(rows, 0) << name;
  }
}

}  // namespace
