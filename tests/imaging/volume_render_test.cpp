// The renderers and ray casters on small synthetic volumes, and threaded runs against one
// thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "imaging/parallel_work.h"
#include "imaging/volume_data.h"
#include "imaging/volume_raycast.h"
#include "imaging/volume_render.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/values.h"

namespace {

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

class VolumeRender : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    pravella::imaging::setWorkerCountForTests(0);
  }
  void TearDown() override { pravella::imaging::setWorkerCountForTests(0); }

  static void volume(int rows, int columns, int slices) {
    ASSERT_EQ(DoCreateVolumeData(rows, columns, slices), 1);
  }
  static void set(int x, int y, int z, int value) {
    vData->voxels[vData->index(static_cast<std::size_t>(x), static_cast<std::size_t>(y),
                               static_cast<std::size_t>(z))] = static_cast<std::int16_t>(value);
  }
  static void cube(int from, int to, int value) {
    for (int z = from; z <= to; ++z)
      for (int y = from; y <= to; ++y)
        for (int x = from; x <= to; ++x) set(x, y, z, value);
  }
};

using Image = std::vector<double>;

Image render(int (*fn)(double*, int, int, const double*, double, double), int w, int h, double mag = 1,
             double zmag = 1) {
  Image image(static_cast<std::size_t>(w) * h, -1);
  EXPECT_EQ(fn(image.data(), w, h, kIdentity, mag, zmag), 1);
  return image;
}

template <int Mode>
int rendering(double* i, int w, int h, const double* R, double mag, double zmag) {
  return DoRendering(i, w, h, R, mag, zmag, Mode);
}
template <int Mode>
int renderingAll(double* i, int w, int h, const double* R, double mag, double zmag) {
  return DoVolumeRendering_all(i, w, h, R, mag, zmag, Mode);
}

TEST_F(VolumeRender, XrayMeansTheVoxelsOnAPixel) {
  volume(5, 5, 5);
  set(2, 2, 2, 50);
  Image one = render(DoRendering_Xray, 8, 8);
  Image expected(64, 0.0);
  expected[4 * 8 + 4] = 50;
  EXPECT_EQ(one, expected);

  set(2, 2, 2, 0);
  set(2, 2, 1, 10);
  set(2, 2, 3, 30);
  Image two = render(DoRendering_Xray, 8, 8);
  expected[4 * 8 + 4] = 20;
  EXPECT_EQ(two, expected);

  // A constant volume has no gradient, so nothing is positive to project.
  std::fill(vData->voxels.begin(), vData->voxels.end(), std::int16_t{7});
  EXPECT_EQ(render(DoRendering_XrayGrad, 8, 8), Image(64, 0.0));
  EXPECT_EQ(vData->voxels, std::vector<std::int16_t>(125, 7)) << "the volume is never changed";
}

TEST_F(VolumeRender, CubeSurfaceDistanceAndAngle) {
  volume(12, 12, 12);
  cube(4, 7, 1);
  const Image surface = render(rendering<1>, 16, 16);
  const Image distance = render(rendering<2>, 16, 16);
  int ones = 0;
  for (std::size_t i = 0; i < surface.size(); ++i) {
    ASSERT_TRUE(surface[i] == 0 || surface[i] == 1) << i;
    ones += surface[i] == 1;
    EXPECT_GE(distance[i], 0);
    if (surface[i] == 0) {
      EXPECT_EQ(distance[i], 0) << i;
    }
  }
  EXPECT_GT(ones, 4);
  EXPECT_EQ(surface[8 * 16 + 8], 1);
  EXPECT_EQ(surface[0], 0);
  // The nearest voxels (the front face, small slice numbers) are the largest distances: the
  // centre of the front face is seen, the background is 0.
  EXPECT_GT(distance[8 * 16 + 8], 0);
  EXPECT_EQ(distance[8 * 16 + 8], *std::max_element(distance.begin(), distance.end()));

  EXPECT_EQ(render(rendering<0>, 16, 16), Image(256, kHalfPi)) << "mag 1 leaves no slope window";
  const Image shaded = render(renderingAll<0>, 16, 16, 2);
  const Image smooth = render(renderingAll<1>, 16, 16, 2);
  for (std::size_t i = 0; i < shaded.size(); ++i) {
    EXPECT_TRUE(std::isfinite(shaded[i]) && std::isfinite(smooth[i])) << i;
    EXPECT_GE(shaded[i], 0);
    EXPECT_LE(shaded[i], kHalfPi);
  }
}

TEST_F(VolumeRender, OneVisiblePointGivesFiniteShading) {
  volume(5, 5, 5);
  set(2, 2, 2, 9);
  for (const Image& image : {render(renderingAll<0>, 8, 8), render(renderingAll<1>, 8, 8, 2)})
    for (double v : image) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(VolumeRender, Messages) {
  const struct {
    std::string program, output;
  } cases[] = {
      {"createVolumeData(|9, 9, 1|); setVolumeData(size(9, 9) + 1, 1); volumeRendering(|8, 8|, unit(3), 1, "
       "1);",
       "...<Error>...too many voxels\n.NO.\n"},
      {"volumeRendering(|8, 8|, unit(3), 1, 0.5);", "...<Error>...Bad zmag.\n.NO.\n"},
      {"volumeRendering(|8, 8|, unit(3), 9, 1);", "...<Error>...Bad mag.\n.NO.\n"},
      {"volumeRendering(|8, 8|, unit(3), 1, 20);", "...<Error>...Bad zmag.\n.NO.\n"},
      {"volumeRendering_XrayGrad(|8, 8|, unit(3), 1, 40);", "...<Error>...Bad zmag.\n.NO.\n"},
      {"deleteVolumeData(0); volumeRendering_Xray(|2, 2|, unit(3), 1, 40);",
       "    0.0000     0.0000\n    0.0000     0.0000\n.OK.\n"},
      {"volumeRendering_Trans(|8, 8|, unit(2), 1, 1);", "...<Error>...Invalid arguments.\n.NO.\n"},
      {"volumeRendering_surface(|0, 8|, unit(3), 1, 1);", "...<Error>...Invalid arguments.\n.NO.\n"},
      {"volumeRendering_surface(|1001, 1000|, unit(3), 1, 1);", "...<Error>...too many elements.\n.NO.\n"},
      {"deleteVolumeData(0); volumeRayTracing(|0, 0, 100, 50, 4, 4|, unit(3));", "...<Error>...No Volume.\n.NO.\n"},
      {"createVolumeData(|2, 2, 2|); volumeRayTracing(|0, 0, 100, 50, 0, 4|, unit(3));",
       "...<Error>...Invalid arguments.\n.NO.\n"},
      {"createVolumeData(|2, 2, 2|); volumeRayTracing_Surface(|0, 0, 100, 50, 2, 2|, unit(3), 0.5);",
       "...<Error>...Invalid arguments.\n.NO.\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(run(c.program), c.output) << c.program;
}

TEST_F(VolumeRender, RaysBehindTheSurface) {
  // A column of voxels along z through the centre: 5, 7, 0, 9 from the surface inward.
  volume(5, 5, 8);
  set(2, 2, 2, 5);
  set(2, 2, 3, 7);
  set(2, 2, 5, 9);
  set(2, 2, 6, 4);
  const double view[6] = {0, 0, 100, 50, 3, 3};
  Image mean(9, -1), sum(9, -1), shaded(9, -1);
  ASSERT_EQ(DoGetScreenVolume_Surface(view, mean.data(), kIdentity, 3, 0), 1);
  ASSERT_EQ(DoGetScreenVolume_Surface(view, sum.data(), kIdentity, 3, 1), 1);
  EXPECT_EQ(mean[4], 7);
  EXPECT_EQ(sum[4], 21);
  for (int i : {0, 1, 2, 3, 5, 6, 7, 8}) {
    EXPECT_EQ(mean[i], 0) << i;
    EXPECT_EQ(sum[i], 0) << i;
  }
  ASSERT_EQ(DoGetScreenVolume_Ray(view, shaded.data(), kIdentity), 1);
  for (int i : {0, 1, 2, 3, 5, 6, 7, 8}) EXPECT_EQ(shaded[i], 0) << "border pixel " << i;

  // A view that misses the volume leaves every pixel 0.
  const double away[6] = {500, 500, 100, 50, 3, 3};
  ASSERT_EQ(DoGetScreenVolume_Surface(away, sum.data(), kIdentity, 3, 1), 1);
  EXPECT_EQ(sum, Image(9, 0.0));
}

TEST_F(VolumeRender, ThreadsGiveTheOneThreadImages) {
  volume(24, 21, 19);
  std::mt19937 random(7);
  std::uniform_int_distribution<int> noise(-20, 300);
  for (int z = 0; z < 19; ++z)
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 21; ++x) {
        const double r = std::hypot(x - 10.0, y - 12.0, (z - 9.0) * 1.3);
        set(x, y, z, r < 8 ? noise(random) : 0);
      }
  const double turn[9] = {0.8, 0.6, 0, -0.6, 0.8, 0, 0, 0, 1};
  using Fn = int (*)(double*, int, int, const double*, double, double);
  const struct {
    const char* name;
    Fn fn;
    bool exact;
  } renderers[] = {
      {"rendering", renderingAll<0>, true}, {"smooth", renderingAll<1>, true},
      {"angle", rendering<0>, true},        {"surface", rendering<1>, true},
      {"distance", rendering<2>, true},     {"trans", DoRendering_Trans, false},
      {"xray", DoRendering_Xray, true},     {"xrayGrad", DoRendering_XrayGrad, true},
  };
  for (const auto& r : renderers) {
    Image images[2];
    for (int t = 0; t < 2; ++t) {
      pravella::imaging::setWorkerCountForTests(t == 0 ? 1 : 5);
      images[t].assign(40 * 36, -1);
      ASSERT_EQ(r.fn(images[t].data(), 40, 36, turn, 2.5, 1.5), 1) << r.name;
    }
    if (r.exact) {
      EXPECT_EQ(images[0], images[1]) << r.name;
    } else {
      for (std::size_t i = 0; i < images[0].size(); ++i)
        EXPECT_NEAR(images[0][i], images[1][i], 1e-12) << r.name;
    }
  }
  const double view[6] = {3, -2, 80, 40, 30, 27};
  for (int mode = -1; mode <= 1; ++mode) {
    Image images[2];
    for (int t = 0; t < 2; ++t) {
      pravella::imaging::setWorkerCountForTests(t == 0 ? 1 : 5);
      images[t].assign(30 * 27, -1);
      ASSERT_EQ(mode < 0 ? DoGetScreenVolume_Ray(view, images[t].data(), turn)
                         : DoGetScreenVolume_Surface(view, images[t].data(), turn, 4, mode),
                1);
    }
    EXPECT_EQ(images[0], images[1]) << "ray mode " << mode;
  }
}

}  // namespace
