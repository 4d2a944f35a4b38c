// Resampling, filters, statistics, sections and cortex maps of the volume store on synthetic
// volumes, and threaded runs against naive one-thread loops.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_cortex.h"
#include "imaging/volume_data.h"
#include "imaging/volume_filters.h"
#include "imaging/volume_projection.h"
#include "imaging/volume_resample.h"
#include "imaging/volume_rows.h"
#include "imaging/volume_statistics.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/available_memory.h"
#include "platform/notification_center.h"
#include "platform/progress_bar.h"
#include "support/held_button.h"

namespace {

using Voxels = std::vector<std::int16_t>;

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

class VolumeProcess : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    pravella::imaging::setWorkerCountForTests(0);
  }
  void TearDown() override {
    pravella::imaging::setWorkerCountForTests(0);
    pravella::imaging::setItemHookForTests(nullptr);
    pravella::setAvailableMemoryForTests(-1);
    vkButtonDownSinceMs.store(0);
    vkUseBaselineRowKernelsForTests(false);
  }

  static void volume(int rows, int columns, int slices, int value = 0) {
    ASSERT_EQ(DoCreateVolumeData(rows, columns, slices), 1);
    std::fill(vData->voxels.begin(), vData->voxels.end(), static_cast<std::int16_t>(value));
  }
  static std::int16_t& at(int x, int y, int z) {
    return vData->voxels[vData->index(static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                                      static_cast<std::size_t>(z))];
  }
  static void randomVolume(int rows, int columns, int slices, unsigned seed, int lo = -300, int hi = 3000) {
    volume(rows, columns, slices);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(lo, hi);
    for (auto& v : vData->voxels) v = static_cast<std::int16_t>(value(random));
  }
};

TEST_F(VolumeProcess, ZInterpolationKeepsTheEnds) {
  for (const int spline : {1, 0}) {
    volume(2, 3, 4);
    for (int z = 0; z < 4; ++z)
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) at(x, y, z) = static_cast<std::int16_t>(10 * z * z + x + 5 * y);
    const Voxels first(vData->voxels.begin(), vData->voxels.begin() + 6);
    const Voxels last(vData->voxels.end() - 6, vData->voxels.end());
    ASSERT_EQ(run("zHokanMode(" + std::to_string(spline) + "); zHokanVolumeData(8);"), ".OK.\n");
    ASSERT_EQ(vData->slices, 8);
    EXPECT_EQ(Voxels(vData->voxels.begin(), vData->voxels.begin() + 6), first) << spline;
    EXPECT_EQ(Voxels(vData->voxels.end() - 6, vData->voxels.end()), last) << spline;
  }
  EXPECT_EQ(run("zHokanVolumeData(5, |1| |1| |1|);"), "...<Error>...Width data is wrong\n.NO.\n");
  EXPECT_EQ(vData->slices, 8);
  ASSERT_EQ(run("zHokanVolumeData(15, size(8, 1) + 2);"), ".OK.\n");
  EXPECT_EQ(vData->slices, 15);
}

TEST_F(VolumeProcess, HalvingFlippingAndRotations) {
  volume(5, 7, 3);
  for (std::size_t i = 0; i < vData->voxels.size(); ++i) vData->voxels[i] = static_cast<std::int16_t>(i % 5);
  const Voxels before = vData->voxels;
  ASSERT_EQ(DoDecVolSize4(), 1);
  ASSERT_EQ(vData->rows, 2);
  ASSERT_EQ(vData->columns, 3);
  ASSERT_EQ(vData->slices, 3);
  for (int z = 0; z < 3; ++z)
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        auto old = [&](int xx, int yy) { return before[static_cast<std::size_t>((z * 5 + yy) * 7 + xx)]; };
        EXPECT_EQ(at(x, y, z), (old(2 * x, 2 * y) + old(2 * x + 1, 2 * y) + old(2 * x, 2 * y + 1) +
                                old(2 * x + 1, 2 * y + 1)) /
                                   4);
      }

  volume(2, 2, 1, 3);
  EXPECT_EQ(run("flipVolumeData(0);"), ".OK.\n");
  EXPECT_EQ(vData->voxels, Voxels(4, 3));
  EXPECT_EQ(run("flipVolumeData(\"a\");"), "...<Error>...Need a number\n.NO.\n");
  volume(1, 1, 3);
  vData->voxels = {1, 2, 3};
  ASSERT_EQ(flipVolumeData(), 1);
  EXPECT_EQ(vData->voxels, (Voxels{3, 2, 1}));

  // The identity keeps the interior the rotations can reach and clears the rest.
  for (const bool trilinear : {true, false}) {
    randomVolume(7, 8, 6, 3, 1, 100);
    const Voxels old = vData->voxels;
    ASSERT_EQ(run(trilinear ? "rotVolumeData(unit(4));" : "rotVolumeData_old(unit(4));"), ".OK.\n");
    const int margin = trilinear ? 2 : 1;
    for (int z = 0; z < 6; ++z)
      for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 8; ++x) {
          const bool kept = x >= 1 && x < 8 - margin && y >= 1 && y < 7 - margin && z >= 1 && z < 6 - margin;
          EXPECT_EQ(at(x, y, z), kept ? old[vData->index(x, y, z)] : 0) << trilinear << " " << x << y << z;
        }
  }
}

TEST_F(VolumeProcess, TransferIsAMatrixProduct) {
  // Source in slot 1 with one marked voxel; destination 5 x 6 x 1 in slot 2.
  volume(4, 5, 1);
  at(2, 1, 0) = 77;
  ASSERT_EQ(DoChangeCurrentVolumeData(2), 1);
  volume(5, 6, 1, 9);
  // [j i k 1] M with a quarter turn about z and a shift of 4: x' = 4 - i, y' = j.
  const double turn[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 4, 0, 0, 1};
  ASSERT_EQ(DoTensyaVolumeData(1, 2, turn), 1);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 6; ++j) {
      const int x = 4 - i, y = j;
      const int want = x >= 0 && x < 5 && y < 4 ? (x == 2 && y == 1 ? 77 : 0) : 0;
      EXPECT_EQ(at(j, i, 0), want) << j << "," << i;
    }
  EXPECT_EQ(at(1, 2, 0), 77);
  // A translation moves the mark by it, as the plain formula would.
  const double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, -1, 0, 1};
  ASSERT_EQ(DoTensyaVolumeData(1, 2, shift), 1);
  EXPECT_EQ(at(1, 2, 0), 77);
  EXPECT_EQ(std::count(vData->voxels.begin(), vData->voxels.end(), 77), 1);

  // A shear and shift on a random 6 x 7 x 8 source into a destination of another size: every
  // voxel against the row vector [j i k 1] times M worked out here; the identity copies.
  ASSERT_EQ(DoChangeCurrentVolumeData(1), 1);
  randomVolume(6, 7, 8, 5);
  const Voxels source = vData->voxels;
  ASSERT_EQ(DoChangeCurrentVolumeData(2), 1);
  const double shear[16] = {1, .1, 0, 0, .2, 1, 0, 0, 0, 0, 1, 0, 2, 1, 0, 1};
  const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (const double* M : {shear, identity}) {
    volume(7, 6, 8, 9);
    ASSERT_EQ(DoTensyaVolumeData(1, 2, M), 1);
    for (int k = 0; k < 8; ++k)
      for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 6; ++j) {
          const double row[4] = {static_cast<double>(j), static_cast<double>(i), static_cast<double>(k), 1};
          double p[3] = {0, 0, 0};
          for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 4; ++r) p[c] += row[r] * M[4 * r + c];
          const int x = static_cast<int>(std::trunc(p[0])), y = static_cast<int>(std::trunc(p[1])),
                    z = static_cast<int>(std::trunc(p[2]));
          const bool inside = p[0] >= 0 && p[1] >= 0 && p[2] >= 0 && x < 7 && y < 6 && z < 8;
          const std::int16_t want = inside ? source[static_cast<std::size_t>((z * 6 + y) * 7 + x)] : 0;
          ASSERT_EQ(at(j, i, k), want) << j << "," << i << "," << k;
        }
    if (M != identity) continue;
    for (int k = 0; k < 8; ++k)
      for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) {
          EXPECT_EQ(at(j, i, k), source[static_cast<std::size_t>((k * 6 + i) * 7 + j)]);
        }
  }

  EXPECT_EQ(run("tensyaVolumeData(1, 1, unit(4));"), "...<Error>...same volume number\n.NO.\n");
  EXPECT_EQ(run("tensyaVolumeData(3, 1, unit(4));"), "...<Error>...Source is empty volume\n.NO.\n");
  EXPECT_EQ(run("tensyaVolumeData(0, 1, unit(4));"), "...<Error>...invalid volume number\n.NO.\n");
}

TEST_F(VolumeProcess, FiltersOnAConstantVolume) {
  using Filter = int (*)();
  const struct {
    const char* name;
    Filter filter;
    int result;
  } filters[] = {{"mean", DoSmoothVolumeData, 37},
                 {"laplace", DoLaplaceVolumeData, 0},
                 {"laplacian", DoLaplacianVolumeData, 0},
                 {"difference", DoDiffVolumeData, 0},
                 {"gradient", DoVolume_Grad, 0}};
  for (const auto& f : filters) {
    volume(4, 5, 3, 37);
    ASSERT_EQ(f.filter(), 1) << f.name;
    EXPECT_EQ(vData->voxels, Voxels(60, static_cast<std::int16_t>(f.result))) << f.name;
  }
}

TEST_F(VolumeProcess, LaplacePatternOfOneVoxel) {
  volume(5, 5, 5);
  at(2, 2, 2) = 100;
  ASSERT_EQ(DoLaplaceVolumeData(), 1);
  for (int z = 0; z < 5; ++z)
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) {
        const int dx = x - 2, dy = y - 2, dz = z - 2;
        int want = 0;
        if (!dx && !dy && !dz)
          want = 240;
        else if (std::abs(dx) <= 1 && std::abs(dy) <= 1 && std::abs(dz) <= 1 && !(dx == dy && dy == dz))
          want = -10;
        EXPECT_EQ(at(x, y, z), want) << x << y << z;
      }
}

TEST_F(VolumeProcess, LimitsShellsAndDifferences) {
  volume(1, 3, 1);
  vData->voxels = {999, 1000, 1001};
  EXPECT_EQ(run("volumeULimitTo(1000, 0);"), ".OK.\n");
  EXPECT_EQ(vData->voxels, (Voxels{999, 1000, 0}));
  EXPECT_EQ(run("volumeLLimitTo(1000, -1);"), ".OK.\n");
  EXPECT_EQ(vData->voxels, (Voxels{-1, 1000, -1}));

  volume(7, 7, 7);
  for (int z = 1; z <= 5; ++z)
    for (int y = 1; y <= 5; ++y)
      for (int x = 1; x <= 5; ++x) at(x, y, z) = 1;
  ASSERT_EQ(run("volumeToPlane(1, 2); changeCurrentVolumeData(2);"), ".OK.\n");
  for (int z = 0; z < 7; ++z)
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x) {
        const bool cube = x >= 1 && x <= 5 && y >= 1 && y <= 5 && z >= 1 && z <= 5;
        const bool core = x >= 2 && x <= 4 && y >= 2 && y <= 4 && z >= 2 && z <= 4;
        EXPECT_EQ(at(x, y, z), cube && !core ? 1 : 0);
      }

  ASSERT_EQ(run("changeCurrentVolumeData(1); createVolumeData(|1, 2, 1|); setVolumeData(|-32768, 5|, 1);"
                "changeCurrentVolumeData(2); createVolumeData(|1, 2, 1|); setVolumeData(|1, 7|, 1);"
                "subtractVolumeData(1, 2, 3); changeCurrentVolumeData(3);"),
            ".OK.\n");
  EXPECT_EQ(vData->voxels, (Voxels{32767, -2}));
  const struct {
    const char* program;
    const char* message;
  } failures[] = {
      {"subtractVolumeData(1, 1, 2);", "same Volume"},
      {"subtractVolumeData(1, 2, 4);", "invalid volume number"},
      {"subtractVolumeData(0, 2, 2);", "invalid volume number"},
      {"changeCurrentVolumeData(2); createVolumeData(|2, 2, 1|); subtractVolumeData(1, 2, 3);",
       "imvalid volume structure"},
      {"volumeCorrelation(1, 2, 4, 1);", "invalid volume number"},
      {"volumeCorrelation(1, 2, 3, 0.5);", "Invalid arguments."},
      {"volumeCorrelation(1, 1, 3, 1);", "same Volume"},
  };
  for (const auto& f : failures)
    EXPECT_EQ(run(f.program), std::string("...<Error>...") + f.message + "\n.NO.\n") << f.program;
}

TEST_F(VolumeProcess, CorrelationOfACopy) {
  randomVolume(6, 7, 5, 11, 1, 50);
  ASSERT_EQ(DoCopyVolumeData(1, 2), 1);
  ASSERT_EQ(volumeCorrelation(1, 2, 3, 1), 1);
  for (std::int16_t v : vDataX[2].voxels) EXPECT_TRUE(v == 10000 || v == 9999) << v;
  ASSERT_EQ(volumePairedTtest(1, 2, 3, 1), 1);
  EXPECT_EQ(vDataX[2].voxels, Voxels(210, 0)) << "no difference, no t";
  ASSERT_EQ(volumePairedTtest(1, 2, 3, 0), 1);
  EXPECT_EQ(vDataX[2].voxels, Voxels(210, 0)) << "one pair per window";
}

TEST_F(VolumeProcess, SectionsAndRegistration) {
  randomVolume(9, 10, 8, 5, 1, 400);
  std::vector<double> image(90);
  const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  ASSERT_EQ(DoGetVolumeImage(9, 10, image.data(), identity, 5), 1);
  for (int i = 0; i < 9; ++i)
    for (int j = 0; j < 10; ++j) {
      const bool inside = i >= 1 && i < 7 && j >= 1 && j < 8;
      EXPECT_EQ(image[static_cast<std::size_t>(i * 10 + j)], inside ? at(j, i, 5) : 0) << i << "," << j;
    }
  EXPECT_EQ(run("getVolumeImage(|0, 3|, unit(4), 5);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("getVolumeImage(|1001, 1000|, unit(4), 5);"), "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("getVolumeImage(|3, 3|, size(4, 4), 5);"), "...<Error>...Invalid Rotate.\n.NO.\n");

  // A volume that is zero within two voxels of its borders correlates with itself exactly.
  volume(12, 12, 10);
  std::mt19937 random(2);
  for (int z = 2; z < 8; ++z)
    for (int y = 2; y < 10; ++y)
      for (int x = 2; x < 10; ++x) at(x, y, z) = static_cast<std::int16_t>(1 + random() % 90);
  double r = 0;
  ASSERT_EQ(DoGetVolumeImage_correlation(1, 1, identity, 2, 7, &r, 1), 1);
  EXPECT_NEAR(r, 1, 1e-12);
  EXPECT_EQ(run("getVolume_correlation(|1, 1|, unit(4), |2, 7|);"), "    1.0000\n.OK.\n");
  EXPECT_EQ(run("getVolume_correlation(|1, 2|, unit(4), |2, 7|);"), "...<Error>...Empty volume\n.NO.\n");
  EXPECT_EQ(run("getVolume_correlation(|1, 4|, unit(4), |2, 7|);"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("getVolume_correlation(|1, 1|, unit(4), |7, 2|);"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("getVolume_correlation(|1, 1|, unit(4), |2, 7|, 0.5);"),
            "...<Error>...Invalid arguments.\n.NO.\n");
}

TEST_F(VolumeProcess, CortexMaps) {
  // A ball of 100, radius 20, around (row 30, column 31, slice 29).
  volume(60, 62, 58);
  for (int z = 0; z < 58; ++z)
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 62; ++x)
        if (std::hypot(y - 30.0, x - 31.0, z - 29.0) <= 20) at(x, y, z) = 100;
  CortexParams p;
  p.threshold = 50;
  p.samples = 3;
  p.startRadius = 50;
  p.cy = 30;
  p.cx = 31;
  p.cz = 29;
  p.lonStep = 10;
  p.top = 90;
  p.bottom = -90;
  p.latStep = 10;
  std::vector<double> grid(19 * 37);
  int rows = 0, cols = 0;
  ASSERT_EQ(DoVolumeCortexMapping(p, grid.data(), &rows, &cols, 1), 1);
  ASSERT_EQ(rows, 19);
  ASSERT_EQ(cols, 37);
  for (double r : grid) EXPECT_LE(std::fabs(r - 20), 2) << r;
  ASSERT_EQ(DoVolumeCortexMapping(p, grid.data(), &rows, &cols, 0), 1);
  EXPECT_EQ(grid, std::vector<double>(19 * 37, 100.0));
  // Under the radius map of the ball, the values just inside it.
  std::vector<double> radii(19 * 37, 19.0), under(19 * 37);
  radii[5] = 0;
  ASSERT_EQ(DoVolumeCortexMappingDis(p, under.data(), &rows, &cols, radii.data()), 1);
  EXPECT_EQ(under[4], 100);
  EXPECT_EQ(under[5], 0);

  // A negative voxel on the ray before the surface: the cell is 0.
  at(31, 30 - 30, 29) = -1;  // straight up the rows, at radius 30 (latitude 0, longitude 0)
  ASSERT_EQ(DoVolumeCortexMapping(p, grid.data(), &rows, &cols, 1), 1);
  EXPECT_EQ(grid[9 * 37 + 0], 0);
  EXPECT_LE(std::fabs(grid[9 * 37 + 1] - 20), 2);

  p.bottom = p.top;
  EXPECT_EQ(DoVolumeCortexMapping(p, grid.data(), &rows, &cols, 1), 0);
  EXPECT_EQ(run("vCortex(|50, 3, 50|, |30, 31, 29|, |10, 90, 90, 10|);"),
            "...<Error>...Elemnts are too small\n.NO.\n");
  EXPECT_EQ(run("vCortex(|50, 3, 50|, |30, 31, 29|, |10, 90, -90, 10|, 1, size(18, 37));"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("vCortexT(|50, 3, 50|, |30, 31, 29|, |10, 90, -90, 10|, 1, size(1, 10));"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("vCortex(|1, 2, 3|, |1, 2, 3|, |1, 80, -80, 1|, 1, 1, 1);"),
            "...<Error>...Unknown function.\n.NO.\n");
}

// The walk of one cortex ray, step by step from r0 as the map describes it: the reference for
// the walks that count the radii outside the volume instead of stepping through them.
double walkedCortexCell(const VolumeSlot& v, const CortexParams& p, int phi, int theta, int mode) {
  const double k = 0.01745329252;
  double sum = 0;
  int count = 0;
  bool surface = false;
  for (int r = p.startRadius; r >= 1; --r) {
    const double y = std::trunc(p.cy - r * std::cos(phi * k) * std::cos(theta * k));
    const double x = std::trunc(p.cx - r * std::cos(phi * k) * std::sin(theta * k));
    const double z = std::trunc(p.cz + r * std::sin(phi * k) * p.zScale);
    const bool inside = x >= 0 && x < v.columns && y >= 0 && y < v.rows && z >= 0 && z < v.slices;
    const int value = inside ? v.voxels[v.index(static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                                                static_cast<std::size_t>(z))]
                             : 0;
    if (value < 0) return 0;
    if (!surface && value >= p.threshold) surface = true;
    if (!surface) continue;
    if (mode == 1) return r;
    sum += value;
    if (++count >= p.samples) break;
  }
  return mode == 0 ? (count ? sum / count : 0) : sum;
}

// Sizes far past the volume (a window radius of 2^31 - 1, start radii and radius maps of 1e300,
// heights a million slices away) give what the volume's own extent gives, and at once: the
// radii and heights outside are counted, not walked.
TEST_F(VolumeProcess, RadiiAndHeightsFarPastTheVolume) {
  randomVolume(6, 7, 5, 3, 1, 50);
  ASSERT_EQ(DoCopyVolumeData(1, 2), 1);
  for (std::size_t i = 0; i < vDataX[1].voxels.size(); ++i)
    vDataX[1].voxels[i] += static_cast<std::int16_t>(i % 7);
  ASSERT_EQ(volumeCorrelation(1, 2, 3, 7), 1);
  const Voxels whole = vDataX[2].voxels;
  ASSERT_EQ(volumePairedTtest(1, 2, 3, 7), 1);
  const Voxels wholeT = vDataX[2].voxels;
  for (const int r : {8, 1000, 2147483647}) {
    ASSERT_EQ(volumeCorrelation(1, 2, 3, r), 1) << r;
    EXPECT_EQ(vDataX[2].voxels, whole) << r;
    ASSERT_EQ(volumePairedTtest(1, 2, 3, r), 1) << r;
    EXPECT_EQ(vDataX[2].voxels, wholeT) << r;
  }
  std::fill(vDataX[2].voxels.begin(), vDataX[2].voxels.end(), std::int16_t{0});
  EXPECT_EQ(run("volumeCorrelation(1, 2, 3, 1e+300);"), ".OK.\n");
  EXPECT_EQ(vDataX[2].voxels, whole);

  // Cortex rays from beyond the volume, against the ray walked step by step from its edge: a
  // ball of 100, radius 8, in a volume of 30.
  volume(30, 30, 30);
  for (int z = 0; z < 30; ++z)
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x)
        if (std::hypot(y - 15.0, x - 14.0, z - 16.0) <= 8) at(x, y, z) = 100;
  at(14, 15 - 12, 16) = -5;  // a negative voxel on the ray of latitude 0, longitude 0
  CortexParams p;
  p.cy = 15;
  p.cx = 14;
  p.cz = 16;
  p.lonStep = 30;
  p.top = 90;
  p.bottom = -90;
  p.latStep = 30;
  const struct {
    double threshold, zScale;
    int samples, mode;
  } cases[] = {{50, 1, 3, 0}, {50, 1, 3, 1}, {50, 0.5, 4, 0}, {50, 2, 2, 1}, {0, 1, 3, 0}, {-1, 1, 200, 0}};
  for (const auto& c : cases) {
    p.threshold = c.threshold;
    p.zScale = c.zScale;
    p.samples = c.samples;
    std::vector<double> walked, far(19 * 13);
    p.startRadius = 100;  // past every corner even at a z scale of 0.5
    for (int phi = p.top; phi >= p.bottom; phi -= p.latStep)
      for (int theta = 0; theta <= 360; theta += p.lonStep)
        walked.push_back(walkedCortexCell(*vData, p, phi, theta, c.mode));
    for (const int r0 : {100, 2147483647}) {
      p.startRadius = r0;
      int rows = 0, cols = 0;
      ASSERT_EQ(DoVolumeCortexMapping(p, far.data(), &rows, &cols, c.mode), 1);
      ASSERT_EQ(rows * cols, static_cast<int>(walked.size()));
      far.resize(walked.size());
      std::vector<double> expected = walked;
      // With a threshold of 0 or less the surface is met at the start radius, and from 2^31 - 1
      // every sample taken lies outside: 0.
      if (c.threshold <= 0 && r0 != 100)
        for (double& e : expected) e = c.mode == 1 ? r0 : 0;
      EXPECT_EQ(far, expected) << "threshold " << c.threshold << ", z scale " << c.zScale << ", mode "
                               << c.mode << ", r0 " << r0;
    }
  }
  EXPECT_EQ(run("A = vCortexDis(|0, 1, 1e+300|, |15, 14, 16|, |30, 90, -90, 30|, 1); A[1|1, 1|2];"),
            "2147483647.0000 2147483647.0000\n.OK.\n");
  // A radius map of 1e300 samples zeros; one of 6 with more samples than radii reaches below 0.
  EXPECT_EQ(run("vCortex(|50, 3, 1|, |15, 14, 16|, |180, 0, -90, 90|, 1, size(2, 3) + 1e+300);"),
            "    0.0000     0.0000     0.0000\n    0.0000     0.0000     0.0000\n.OK.\n");
  EXPECT_EQ(run("vCortex(|50, 8, 1|, |15, 14, 16|, |180, 0, -90, 90|, 1, size(2, 3) + 6);"),
            "    0.0000     0.0000     0.0000\n    0.0000     0.0000     0.0000\n.OK.\n");
  EXPECT_EQ(run("vCortex(|50, 7, 1|, |15, 14, 16|, |180, 0, -90, 90|, 1, size(2, 3) + 6);"),
            "  100.0000   100.0000   100.0000\n  100.0000   100.0000   100.0000\n.OK.\n");

  // Heights partly and wholly off the slices, against every height sampled one by one.
  randomVolume(9, 10, 8, 4, 0, 60);
  ASSERT_EQ(DoCopyVolumeData(1, 2), 1);
  const double shift[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5, 0.25, 0.5, 1};
  for (const auto& [z0, z1, step] :
       {std::tuple{-3.0, 12.0, 1.0}, {-40.0, 50.0, 1.5}, {2.0, 5.5, 2.0}, {9.0, 20.0, 1.0}}) {
    double n = 0, sa = 0, sb = 0, saa = 0, sab = 0, sbb = 0;
    std::vector<double> a(90), b(90);
    for (double z = z0; z <= z1; z += step) {
      const double slice = std::trunc(z);
      for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 10; ++j) {
          const bool on = slice >= 0 && slice < 8;
          a[static_cast<std::size_t>(i * 10 + j)] = on ? at(j, i, static_cast<int>(slice)) : 0;
          const double w = z * shift[11] + shift[15] + j * shift[3] + i * shift[7];
          b[static_cast<std::size_t>(i * 10 + j)] =
              a[static_cast<std::size_t>(i * 10 + j)] == 0
                  ? 0
                  : vkTrilinear(vDataX[1], (j * shift[0] + i * shift[4] + z * shift[8] + shift[12]) / w,
                                (j * shift[1] + i * shift[5] + z * shift[9] + shift[13]) / w,
                                (j * shift[2] + i * shift[6] + z * shift[10] + shift[14]) / w);
        }
      for (double k = 0; k < 90; k += step) {
        const double x = a[static_cast<std::size_t>(k)], y = b[static_cast<std::size_t>(k)];
        n += 1, sa += x, sb += y, saa += x * x, sab += x * y, sbb += y * y;
      }
    }
    const double d = std::sqrt((n * saa - sa * sa) * (n * sbb - sb * sb));
    double r = -2;
    ASSERT_EQ(DoGetVolumeImage_correlation(1, 2, shift, z0, z1, &r, step), 1);
    EXPECT_NEAR(r, d > 0 ? (n * sab - sa * sb) / d : 0, 1e-12) << z0 << ".." << z1 << " by " << step;
  }
  // A volume zero within two voxels of its borders correlates with itself exactly, whatever the
  // heights around it.
  volume(12, 12, 10);
  for (int z = 2; z < 8; ++z)
    for (int y = 2; y < 10; ++y)
      for (int x = 2; x < 10; ++x) at(x, y, z) = static_cast<std::int16_t>(1 + (x * 7 + y * 3 + z) % 90);
  EXPECT_EQ(run("getVolume_correlation(|1, 1|, unit(4), |-1000000, 1000000|);"), "    1.0000\n.OK.\n");
  EXPECT_EQ(run("getVolume_correlation(|1, 2|, unit(4), |1e+17, 1e+17|);"),
            "...<Error>...Invalid arguments.\n.NO.\n");
}

// Holding the mouse button stops the volume statistics and cortex walks; a statistic that
// stops leaves its output slot as it was.
TEST_F(VolumeProcess, TheHeldButtonStopsVolumeWork) {
  randomVolume(6, 7, 5, 3, 1, 50);
  ASSERT_EQ(DoCopyVolumeData(1, 2), 1);
  ASSERT_EQ(DoCopyVolumeData(1, 3), 1);
  const Voxels before = vDataX[2].voxels;
  vkButtonDownSinceMs.store(1);
  for (const char* program :
       {"volumeCorrelation(1, 2, 3, 2);", "volumeCorrelation(1, 2, 3, 1);",
        "getVolume_correlation(|1, 2|, unit(4), |0, 4|);", "vCortex(|50, 3, 9|, |3, 3, 2|);",
        "vCortex(|50, 3, 9|, |3, 3, 2|, |1, 80, -80, 1|, 1, size(161, 361) + 5);"})
    EXPECT_EQ(run(program), "...<Error>...**** BREAK *****\n.NO.\n") << program;
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(vDataX[2].voxels, before);
}

// The resampling, the rotations, the ray tracers and the projections stop too (with the one
// message), and leave the current volume as it was.
TEST_F(VolumeProcess, TheHeldButtonStopsResamplingAndRays) {
  randomVolume(6, 7, 5, 4, 1, 50);
  const Voxels before = vData->voxels;
  vkButtonDownSinceMs.store(1);
  for (const char* program :
       {"zHokanVolumeData(9);", "zHokanVolumeData(9, |1| |1| |1| |1| |1|);", "rotVolumeData(unit(4));",
        "rotVolumeData_old(unit(4));", "volumeRayTracing(|0, 0, 100, 50, 4, 4|, unit(3));",
        "volumeRayTracing_Surface(|0, 0, 100, 50, 4, 4|, unit(3), 3);",
        "volumeRendering_Xray(|8, 8|, unit(3), 1, 1);", "volumeRendering_XrayGrad(|8, 8|, unit(3), 1, 1);",
        "volumeRendering_Trans(|8, 8|, unit(3), 1, 1);", "volumeRendering(|8, 8|, unit(3), 1, 1);",
        "volumeRendering_surface(|8, 8|, unit(3), 1, 1);", "volumeRendering_angle(|8, 8|, unit(3), 1, 1);"})
    EXPECT_EQ(run(program), "...<Error>...**** BREAK *****\n.NO.\n") << program;
  vkButtonDownSinceMs.store(0);
  EXPECT_EQ(vData->voxels, before);
  EXPECT_EQ(vData->slices, 5);
}

// Every volume a program can see: the three slots' sizes and voxels.
struct AllSlots {
  std::vector<std::tuple<int, int, int, Voxels>> volumes;
  int current = 0;
  bool operator==(const AllSlots&) const = default;
};
AllSlots allSlots() {
  AllSlots s;
  for (const VolumeSlot& v : vDataX) s.volumes.emplace_back(v.rows, v.columns, v.slices, v.voxels);
  s.current = currentVolume;
  return s;
}

int itemsDone = 0;
// The held button as the filters see it, after their second slice (or range of slices).
void breakAfterTwoItems(int done) {
  itemsDone = done;
  if (done == 2) vkButtonDownSinceMs.store(1);
}

// The filters and the operations that replace a whole volume, stopped in their middle (on one
// thread, after two of their slices), leave every slot exactly as it was, and end with the
// break's message.
TEST_F(VolumeProcess, TheHeldButtonStopsFiltersInTheirMiddleWithEveryVolumeUnchanged) {
  randomVolume(9, 8, 10, 11, -200, 3000);
  ASSERT_EQ(DoCopyVolumeData(1, 2), 1);
  std::reverse(vDataX[1].voxels.begin(), vDataX[1].voxels.end());
  ASSERT_EQ(DoChangeCurrentVolumeData(3), 1);
  randomVolume(3, 4, 5, 12);
  ASSERT_EQ(DoChangeCurrentVolumeData(1), 1);
  const AllSlots before = allSlots();
  pravella::imaging::setWorkerCountForTests(1);
  pravella::imaging::setItemHookForTests(breakAfterTwoItems);
  for (const char* program :
       {"smoothVolumeData(1);", "volumeLaplace(1);", "volumeLaplacian(1);", "gradVolumeData(1);",
        "volume_Grad(1);", "subtractVolumeData(1, 2, 3);", "volumeToPlane(1, 3);", "flipVolumeData(1);",
        "decVolumeData4(1);", "tensyaVolumeData(1, 3, unit(4));", "rotVolumeData(unit(4));",
        "volumeRendering_XrayGrad(|8, 8|, unit(3), 1, 1);", "volumeRendering(|8, 8|, unit(3), 1, 1);",
        "volumeRendering_surface(|8, 8|, unit(3), 1, 1);", "volumeULimitTo(1000, 0);",
        "volumeLLimitTo(1000, -1);"}) {
    itemsDone = 0;
    EXPECT_EQ(run(program), "...<Error>...**** BREAK *****\n.NO.\n") << program;
    vkButtonDownSinceMs.store(0);
    EXPECT_GE(itemsDone, 2) << program;
    EXPECT_TRUE(allSlots() == before) << program;
  }
  pravella::imaging::setItemHookForTests(nullptr);
  // Unstopped, they change what they should.
  EXPECT_EQ(run("smoothVolumeData(1); subtractVolumeData(1, 2, 3); flipVolumeData(1);"), ".OK.\n");
  EXPECT_NE(vDataX[0].voxels, std::get<3>(before.volumes[0]));
  EXPECT_EQ(vDataX[2].voxels.size(), vDataX[0].voxels.size());
}

// The projections that write a picture rather than a volume stop between slices (or rows) with
// the break message, and work with the button up.
TEST_F(VolumeProcess, TheHeldButtonStopsTheProjectionsBetweenSlices) {
  randomVolume(6, 7, 8, 31, 1, 3000);
  std::vector<double> out(2 * 16 * 16);
  const double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  std::vector<double> depth(16 * 16, 5.0), angles(depth.size());
  const std::pair<const char*, std::function<int()>> routines[] = {
      {"DoShowVolumeData", [&] { return DoShowVolumeData(out.data(), rotation, 16, 16, 1.0, 1); }},
      {"DoAngleVolumeData", [&] { return DoAngleVolumeData(depth.data(), angles.data(), 16, 16, 1.0); }},
  };
  for (const auto& [name, routine] : routines) {
    pravella::test::expectStopsWhileHeld(name, routine);
    EXPECT_EQ(routine(), 1) << name;
    EXPECT_EQ(ResultString, "") << name;
  }
}

// The result is built beside the volume, so one the system's available memory cannot hold is
// refused before it is asked for, with the sizes, and the volume is kept; at exactly the
// available memory it works.
TEST_F(VolumeProcess, AResultTheMemoryCannotHoldIsRefusedWithTheReason) {
  struct Case {
    const char* program;
    long long resultBytes;  // of a 4 x 5 x 6 volume
    const char* message;
  };
  const Case cases[] = {
      {"smoothVolumeData(1);", 240, "can not allocate the memory."},
      {"volumeLaplacian(1);", 240, "can not allocate the memory."},
      {"gradVolumeData(1);", 240, "can not allocate the memory."},
      {"volume_Grad(1);", 240, "memory allocation"},
      {"flipVolumeData(1);", 240, "Can not get temp volume."},
      {"decVolumeData4(1);", 48, "Can not allocate memory(DecVolSize4)"},
      {"rotVolumeData(unit(4));", 240, "Can not allocate memory(VD)"},
      {"zHokanVolumeData(12);", 480, "Can not allocate memory(VD)"},
      {"volumeToPlane(1, 2);", 240, "can not allocate the memory."},
      {"volumeULimitTo(1000, 0);", 240, "can not allocate the memory."},
      {"volumeLLimitTo(1000, -1);", 240, "can not allocate the memory."},
  };
  for (const Case& c : cases) {
    randomVolume(4, 5, 6, 21);
    const AllSlots before = allSlots();
    pravella::setAvailableMemoryForTests(c.resultBytes - 1);
    EXPECT_EQ(run(c.program), "...<Error>..." + std::string(c.message) + " The result needs " +
                                  std::to_string(c.resultBytes) +
                                  " bytes beside the volume; the system has " +
                                  std::to_string(c.resultBytes - 1) + " bytes available.\n.NO.\n")
        << c.program;
    EXPECT_TRUE(allSlots() == before) << c.program;
    pravella::setAvailableMemoryForTests(c.resultBytes);
    EXPECT_EQ(run(c.program), ".OK.\n") << c.program;
    pravella::setAvailableMemoryForTests(-1);
  }
}

// Naive one-thread loops of the filters, borders included.
Voxels naiveFilter(const VolumeSlot& v, int kind) {
  Voxels out(v.voxels.size());
  const int C = v.columns, R = v.rows, S = v.slices;
  auto get = [&](int x, int y, int z) { return static_cast<long long>(v.voxels[v.index(x, y, z)]); };
  for (int z = 0; z < S; ++z)
    for (int y = 0; y < R; ++y)
      for (int x = 0; x < C; ++x) {
        long long sum = 0, n = 0;
        for (int dz = -1; dz <= 1; ++dz)
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
              const int xx = x + dx, yy = y + dy, zz = z + dz;
              if (xx < 0 || yy < 0 || zz < 0 || xx >= C || yy >= R || zz >= S) continue;
              if (kind != 0 && dx == dy && dy == dz) continue;
              sum += get(xx, yy, zz);
              ++n;
            }
        long long r = 0;
        if (kind == 0)
          r = sum / n;
        else if (n)
          r = (kind == 1 ? get(x, y, z) * n - sum : sum - get(x, y, z) * n) / 10;
        if (kind == 3) {
          r = 0;
          if (x > 0 && y > 0 && z > 0 && x < C - 1 && y < R - 1 && z < S - 1) {
            double g[3] = {0, 0, 0};
            for (int a = -1; a <= 1; ++a)
              for (int b = -1; b <= 1; ++b) {
                g[0] += get(x - 1, y + a, z + b) - get(x + 1, y + a, z + b);
                g[1] += get(x + a, y - 1, z + b) - get(x + a, y + 1, z + b);
                g[2] += get(x + a, y + b, z - 1) - get(x + a, y + b, z + 1);
              }
            r = static_cast<long long>(
                std::min(32767.0, std::trunc(std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]) / 3)));
          }
        }
        out[v.index(x, y, z)] = vkVoxelFromDouble(static_cast<double>(r));
      }
  return out;
}

// The correlation of every window by a direct loop over it, from exact integer sums.
Voxels naiveCorrelation(const VolumeSlot& a, const VolumeSlot& b, int r) {
  Voxels out(a.voxels.size(), 0);
  for (int z = 0; z < a.slices; ++z)
    for (int y = 0; y < a.rows; ++y)
      for (int x = 0; x < a.columns; ++x) {
        long long n = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
        for (int k = std::max(0, z - r); k <= std::min(a.slices - 1, z + r); ++k)
          for (int j = std::max(0, y - r); j <= std::min(a.rows - 1, y + r); ++j)
            for (int i = std::max(0, x - r); i <= std::min(a.columns - 1, x + r); ++i) {
              const long long va = a.voxels[a.index(i, j, k)], vb = b.voxels[b.index(i, j, k)];
              if (!va || !vb) continue;
              ++n;
              sa += va;
              sb += vb;
              saa += va * va;
              sbb += vb * vb;
              sab += va * vb;
            }
        const double d =
            std::sqrt(static_cast<double>(n * saa - sa * sa) * static_cast<double>(n * sbb - sb * sb));
        out[a.index(x, y, z)] =
            n && d != 0 ? vkVoxelFromDouble(10000.0 * static_cast<double>(n * sab - sa * sb) / d) : 0;
      }
  return out;
}

TEST_F(VolumeProcess, WindowStatisticsEqualDirectSums) {
  for (const int r : {0, 1, 2, 4}) {
    randomVolume(9, 11, 7, 40 + r, -3, 6);  // zeros and equal values are frequent
    ASSERT_EQ(DoCopyVolumeData(1, 2), 1);
    std::mt19937 random(r);
    for (auto& v : vDataX[1].voxels) v = static_cast<std::int16_t>(v + static_cast<int>(random() % 3) - 1);
    for (const int workers : {1, 3}) {
      pravella::imaging::setWorkerCountForTests(workers);
      ASSERT_EQ(volumeCorrelation(1, 2, 3, r), 1);
      EXPECT_EQ(vDataX[2].voxels, naiveCorrelation(vDataX[0], vDataX[1], r))
          << "r " << r << " threads " << workers;
    }
  }
}

TEST_F(VolumeProcess, ThreadedRoutinesEqualOneThread) {
  using Filter = int (*)();
  const struct {
    const char* name;
    Filter filter;
    int kind;
  } filters[] = {{"mean", DoSmoothVolumeData, 0},
                 {"laplace", DoLaplaceVolumeData, 1},
                 {"laplacian", DoLaplacianVolumeData, 2},
                 {"gradient", DoVolume_Grad, 3}};
  pravella::imaging::setWorkerCountForTests(5);
  for (const auto& f : filters) {
    randomVolume(13, 11, 9, 21);
    const Voxels want = naiveFilter(*vData, f.kind);
    ASSERT_EQ(f.filter(), 1) << f.name;
    EXPECT_EQ(vData->voxels, want) << f.name;
  }

  // The rest: one thread against five on the same random volumes.
  const double turn[16] = {0.9, 0.3, 0.1, 0, -0.3, 0.9, 0.05, 0, -0.1, 0, 1.1, 0, 1.5, -0.5, 0.7, 1};
  auto results = [&](int workers) {
    pravella::imaging::setWorkerCountForTests(workers);
    std::vector<Voxels> out;
    std::vector<double> image(13 * 11), grid(37 * 19);
    randomVolume(13, 11, 9, 8, 0, 2000);
    DoCopyVolumeData(1, 2);
    for (auto& v : vDataX[1].voxels) v = static_cast<std::int16_t>(v / 2 + (v % 7));
    volumeCorrelation(1, 2, 3, 1);
    out.push_back(vDataX[2].voxels);
    volumePairedTtest(1, 2, 3, 2);
    out.push_back(vDataX[2].voxels);
    DoGetVolumeImage(13, 11, image.data(), turn, 4.5);
    out.emplace_back(image.begin(), image.end());
    int rows = 0, cols = 0;
    CortexParams p;
    p.threshold = 500;
    p.samples = 4;
    p.startRadius = 9;
    p.cy = 6;
    p.cx = 5;
    p.cz = 4;
    p.lonStep = 10;
    p.top = 90;
    p.bottom = -90;
    p.latStep = 10;
    DoVolumeCortexMapping(p, grid.data(), &rows, &cols, 0);
    out.emplace_back(grid.begin(), grid.end());
    DoTensyaVolumeData(1, 3, turn);
    out.push_back(vDataX[2].voxels);
    DoRotVolumeData_new(turn);
    out.push_back(vData->voxels);
    DoRotVolumeData(turn);
    out.push_back(vData->voxels);
    return out;
  };
  EXPECT_EQ(results(1), results(5));
}

// A gradient of a volume too thin for any interior voxel still resets the progress bar.
TEST_F(VolumeProcess, GradientOfAThinVolumeResetsTheProgress) {
  volume(2, 5, 5, 7);
  std::vector<std::string> bar;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      kProcessIndicator, nullptr, [&](pravella::Notification& n) { bar.push_back(n.text.toStdString()); },
      pravella::Delivery::PostingThread);
  ASSERT_EQ(DoVolume_Grad(), 1);
  center.removeObserver(id);
  EXPECT_EQ(vData->voxels, Voxels(vData->voxels.size(), 0));
  ASSERT_FALSE(bar.empty());
  EXPECT_EQ(bar.back(), "0\t4\t0");
}

// The volume resampled through M voxel by voxel: [x y z 1] M over its fourth component, 0 where
// that is not finite, else the trilinear value.
Voxels naiveResample(const VolumeSlot& v, const double* M) {
  Voxels out(v.voxels.size(), 0);
  for (int z = 0; z < v.slices; ++z)
    for (int y = 0; y < v.rows; ++y)
      for (int x = 0; x < v.columns; ++x) {
        const double w = x * M[3] + y * M[7] + z * M[11] + M[15];
        const double X = (x * M[0] + y * M[4] + z * M[8] + M[12]) / w;
        const double Y = (x * M[1] + y * M[5] + z * M[9] + M[13]) / w;
        const double Z = (x * M[2] + y * M[6] + z * M[10] + M[14]) / w;
        if (std::isfinite(X) && std::isfinite(Y) && std::isfinite(Z))
          out[v.index(x, y, z)] = vkVoxelFromDouble(vkTrilinear(v, X, Y, Z));
      }
  return out;
}

// The vector kernels (the widest this processor has, and the baseline ones) against the naive
// loops, with values over the whole 16-bit range, at the extremes only, and at the gradient
// sizes where its square root changes precision; rows of a few lanes plus a remainder.
TEST_F(VolumeProcess, VectorKernelsEqualNaiveLoops) {
  const double affine[16] = {0.9, 0.3, 0.1, 0, -0.3, 0.9, 0.05, 0, -0.1, 0, 1.1, 0, 1.5, -0.5, 0.7, 1};
  const double projective[16] = {1, 0, 0, 0.01, 0, 1, 0, -0.02, 0, 0, 1, 0.005, 0.5, 0.25, 0, 1.1};
  const struct {
    int rows, columns, slices, lo, hi;
    bool extremes;
  } cases[] = {{9, 21, 5, -32768, 32767, false},
               {7, 19, 4, 0, 1, true},
               {11, 13, 6, -600, 600, false},
               {6, 37, 5, -2000, 2000, false},
               {4, 3, 3, -32768, 32767, false}};
  using Filter = int (*)();
  const Filter filters[] = {DoSmoothVolumeData, DoLaplaceVolumeData, DoLaplacianVolumeData, DoVolume_Grad};
  for (const bool baseline : {false, true}) {
    vkUseBaselineRowKernelsForTests(baseline);
    for (const auto& c : cases) {
      const std::string where = std::string(baseline ? "baseline " : "widest ") + std::to_string(c.columns);
      randomVolume(c.rows, c.columns, c.slices, static_cast<unsigned>(c.columns), c.lo, c.hi);
      if (c.extremes)
        for (auto& v : vData->voxels) v = v ? std::int16_t{32767} : std::int16_t{-32768};
      const Voxels original = vData->voxels;
      for (int kind = 0; kind < 4; ++kind) {
        vData->voxels = original;
        const Voxels want = naiveFilter(*vData, kind);
        ASSERT_EQ(filters[kind](), 1);
        EXPECT_EQ(vData->voxels, want) << where << " filter " << kind;
      }
      vData->voxels = original;
      ASSERT_EQ(DoCopyVolumeData(1, 2), 1);
      for (std::size_t i = 0; i < original.size(); i += 3) vDataX[1].voxels[i] = 0;  // pairs left out
      for (std::size_t i = 1; i < original.size(); i += 5)
        vDataX[1].voxels[i] = static_cast<std::int16_t>(-original[i]);
      ASSERT_EQ(volumeCorrelation(1, 2, 3, 1), 1);
      EXPECT_EQ(vDataX[2].voxels, naiveCorrelation(vDataX[0], vDataX[1], 1)) << where;
      for (const double* M : {affine, projective}) {
        vData->voxels = original;
        const Voxels want = naiveResample(*vData, M);
        ASSERT_EQ(DoRotVolumeData_new(M), 1);
        EXPECT_EQ(vData->voxels, want) << where;
      }
    }
  }
  vkUseBaselineRowKernelsForTests(false);
}

}  // namespace
