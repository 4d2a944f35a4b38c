#include "imaging/mesh/sample_boundary.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <algorithm>
#include <string>
#include <vector>

#include "lang/lang_fixture.h"
#include "support/test_home.h"

namespace {

using namespace pravella::mesh;

// n slices of n x n with the given samples set to 1 and the rest 0.
std::vector<double> gridWith(int n, const std::vector<std::array<int, 3>>& set) {
  std::vector<double> g(static_cast<std::size_t>(n) * n * n, 0.0);
  for (const auto& s : set) g[(static_cast<std::size_t>(s[2]) * n + s[1]) * n + s[0]] = 1.0;
  return g;
}

class SampleBoundary : public LangTest {};

TEST_F(SampleBoundary, SolidBlockLeavesItsInteriorSampleOutOfEveryFace) {
  std::vector<std::array<int, 3>> block;
  for (int z = 1; z <= 3; ++z)
    for (int y = 1; y <= 3; ++y)
      for (int x = 1; x <= 3; ++x) block.push_back({x, y, z});
  const std::vector<double> g = gridWith(5, block);
  VertexList vertices;
  std::vector<std::array<int, 3>> triangles;
  ASSERT_EQ(volumeBoundary_Sub(g.data(), 25, 5, 0.5, vertices, triangles), 1);
  ASSERT_FALSE(triangles.empty());
  // The centre sample (2, 2, 2) is interior: never moved, and in no triangle.
  const auto& v = vertices.points();
  const auto centre =
      std::find_if(v.begin(), v.end(), [](const Point3& p) { return p.x == 2 && p.y == 2 && p.z == 2; });
  ASSERT_NE(centre, v.end());
  const int k = static_cast<int>(centre - v.begin());
  for (const auto& t : triangles) EXPECT_TRUE(t[0] != k && t[1] != k && t[2] != k);
  // Every other vertex moved half way out towards its outside neighbours.
  for (const Point3& p : v) {
    if (&p == &*centre) continue;
    EXPECT_TRUE(p.x != std::round(p.x) || p.y != std::round(p.y) || p.z != std::round(p.z));
  }
}

TEST_F(SampleBoundary, SampleWithoutOutsideNeighboursStaysPut) {
  // A grid all above: every sample lies on the border (surface), and none has a neighbour below
  // the threshold, so the one cube's hull keeps its sample positions.
  const std::vector<double> g(8, 1.0);
  VertexList vertices;
  std::vector<std::array<int, 3>> triangles;
  ASSERT_EQ(volumeBoundary_Sub(g.data(), 4, 2, 0.5, vertices, triangles), 1);
  EXPECT_EQ(vertices.points().size(), 8u);
  EXPECT_EQ(triangles.size(), 12u);
  for (const Point3& p : vertices.points()) {
    EXPECT_TRUE(p.x == 0 || p.x == 1);
    EXPECT_TRUE(p.y == 0 || p.y == 1);
    EXPECT_TRUE(p.z == 0 || p.z == 1);
  }
}

TEST_F(SampleBoundary, The3DMFFileHoldsTheMeshLineByLine) {
  const std::string head =
      "3DMetafile ( 1 5 Normal tableofcontents0> )\n\tContainer (\n\t\tViewHints ( )\n"
      "\t\tImageClearColor (1 1.0 1.0 1.0)\n\t)\n\tContainer (\n\t\tMesh (\n";
  const std::string tail =
      "\t\t)\n\t\tContainer (\n\t\t\tAttributeSet ( )\n\t\t\tDiffuseColor (1.0 0.9 0.9)\n"
      "\t\t\tSpecularColor (0.9 1.0 0.800000)\n\t\t\tTransparencyColor (0.5 0.5 0.9)\n\t\t)\n\t)\n"
      "\tEndGroup ( )\n";
  const std::string folder = (pravella::test::home() + "/meshes").toStdString();
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  current_fullPath = folder;
  auto file = [&](const char* name) {
    QFile f(QString::fromStdString(folder + "/" + name));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
  };

  // Nothing above the threshold: counts 0, no vertex or triangle lines.
  const std::vector<double> none(8, 0.0);
  ASSERT_EQ(volumeBoundary_3DMF(none.data(), 4, 2, 0.5, "empty.3dmf"), 1);
  EXPECT_EQ(file("empty.3dmf"), head + "\t\t\t0\n\t\t\t0\n\t\t\t0\n" + tail);

  // Four samples of one cube, not in one plane, with values 2 and 0 around: each vertex moves
  // to the crossings at 1 towards its outside neighbours.
  std::vector<double> g(27, 0.0);
  auto at = [&](int x, int y, int z) -> double& { return g[static_cast<std::size_t>((z * 3 + y) * 3 + x)]; };
  at(0, 0, 0) = at(1, 0, 0) = at(0, 1, 0) = at(0, 0, 1) = 2;
  VertexList vertices;
  std::vector<std::array<int, 3>> triangles;
  ASSERT_EQ(volumeBoundary_Sub(g.data(), 9, 3, 1.0, vertices, triangles), 1);
  std::string expected = head + "\t\t\t" + std::to_string(vertices.points().size()) + "\n";
  for (const Point3& p : vertices.points()) {
    char line[128];
    std::snprintf(line, sizeof line, "\t\t\t%g %g %g\n", p.x, p.y, p.z);
    expected += line;
  }
  expected += "\t\t\t" + std::to_string(triangles.size()) + "\n\t\t\t0\n";
  for (const auto& t : triangles)
    expected +=
        "\t\t\t3 " + std::to_string(t[0]) + " " + std::to_string(t[1]) + " " + std::to_string(t[2]) + "\n";
  expected += tail;
  ASSERT_EQ(volumeBoundary_3DMF(g.data(), 9, 3, 1.0, "tetra.3dmf"), 1);
  EXPECT_EQ(file("tetra.3dmf"), expected);
  EXPECT_EQ(vertices.points().size(), 4u);
  EXPECT_EQ(triangles.size(), 4u);
  // The sample (1, 0, 0) has neighbours (2, 0, 0), (1, 1, 0), (1, 0, 1) below: crossings at
  // (1.5, 0, 0), (1, 0.5, 0), (1, 0, 0.5).
  EXPECT_NE(expected.find("\t\t\t1.16667 0.166667 0.166667\n"), std::string::npos) << expected;

  EXPECT_EQ(volumeBoundary_3DMF(g.data(), 9, 3, 1.0, "no/such/folder/m.3dmf"), 0);
  EXPECT_EQ(ResultString, "...<Error>...Can't open the save file(3DMF).\n");
  current_fullPath.clear();
}

}  // namespace
