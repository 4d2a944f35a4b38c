// Threshold region growing on small generated images: the majority filter, 4- and
// 6-connectivity, the seed, and threshold stepping.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/med_image_files.h"
#include "imaging/region_growing.h"

namespace {

// Rows of text, one character a pixel: '#' is 1 (inside the thresholds 1..1), '.' is 0; slices
// are separated by an empty string.
void load(const std::vector<std::string>& rows) {
  std::vector<std::int16_t> data;
  int w = 0, h = 0, s = 1, rowInSlice = 0;
  for (const std::string& r : rows) {
    if (r.empty()) {
      ++s;
      rowInSlice = 0;
      continue;
    }
    w = static_cast<int>(r.size());
    h = ++rowInSlice;
    for (char c : r) data.push_back(c == '#' ? 1 : 0);
  }
  dataWidth = w;
  dataHeight = h;
  dataSlice = s;
  imageSGData = data;
  imageSGBUData.assign(data.size(), 0);
}

std::string maskText(int slice) {
  std::string out;
  for (int y = 0; y < dataHeight; ++y) {
    for (int x = 0; x < dataWidth; ++x)
      out += imageSGBUData[static_cast<std::size_t>(slice) * dataWidth * dataHeight + y * dataWidth + x]
                 ? '#'
                 : '.';
    out += '/';
  }
  return out;
}

TEST(RegionGrowing, TwoDimensionalFilterAndGrowth) {
  struct Case {
    const char* name;
    std::vector<std::string> rows;
    int seedX, seedY;
    long long count;
    std::string mask;
  } cases[] = {
      {"lone pixel",
       {".....", ".....", "..#..", ".....", "....."},
       2,
       2,
       0,
       "...../...../...../...../...../"},
      {"3x3 block keeps its plus",
       {".....", ".###.", ".###.", ".###.", "....."},
       2,
       2,
       5,
       "...../..#../.###./..#../...../"},
      {"a pixel outside with four inside neighbours is marked",
       {".....", "..#..", ".#.#.", "..#..", "....."},
       2,
       2,
       1,
       "...../...../..#../...../...../"},
      {"seed outside",
       {".....", ".###.", ".###.", ".###.", "....."},
       -1,
       -1,
       0,
       "...../...../...../...../...../"},
  };
  for (const Case& c : cases) {
    load(c.rows);
    setPointX = c.seedX;
    setPointY = c.seedY;
    EXPECT_EQ(segmentation2DImage(1, 1, 1), c.count) << c.name;
    EXPECT_EQ(maskText(0), c.mask) << c.name;
  }
  // The outermost rows are not filtered: their old marks join the region.
  load({"#####", "#####", "#####", "#####", "#####"});
  setPointX = setPointY = 2;
  EXPECT_EQ(segmentation2DImage(1, 1, 1), 9);
  for (int x = 0; x < 5; ++x) imageSGBUData[static_cast<std::size_t>(x)] = 1;
  EXPECT_EQ(segmentation2DImage(1, 1, 1), 14);
  EXPECT_EQ(maskText(0), "#####/.###./.###./.###./...../");

  // A slice outside the volume changes nothing.
  EXPECT_EQ(segmentation2DImage(2, 1, 1), 0);
  EXPECT_EQ(maskText(0), "#####/.###./.###./.###./...../");
}

TEST(RegionGrowing, CornersDoNotConnect) {
  // 2-D: two blocks of marks meeting at a corner.
  load({"##..", "##..", "..##", "..##"});
  for (std::size_t i = 0; i < imageSGData.size(); ++i) imageSGBUData[i] = imageSGData[i];
  setPointX = setPointY = 0;
  EXPECT_EQ(getRegion(imageSGBUData.data()), 4);
  EXPECT_EQ(maskText(0), "##../##../..../..../");

  // 3-D: two cubes of marks meeting at a corner; faces do connect across slices.
  load({"##..", "##..", "....", "....", "", "##..", "##..", "....", "....", "", "....", "....", "..##",
        "..##", "", "....", "....", "..##", "..##"});
  for (std::size_t i = 0; i < imageSGData.size(); ++i) imageSGBUData[i] = imageSGData[i];
  setPointX = setPointY = setPointZ = 0;
  EXPECT_EQ(getVolumeRegion(imageSGBUData.data()), 8);
  EXPECT_EQ(maskText(2), "..../..../..../..../");
  setPointX = setPointY = setPointZ = 3;
  for (std::size_t i = 0; i < imageSGData.size(); ++i) imageSGBUData[i] = imageSGData[i];
  EXPECT_EQ(getVolumeRegion(imageSGBUData.data()), 8);
  EXPECT_EQ(maskText(0), "..../..../..../..../");
}

TEST(RegionGrowing, ThreeDimensionalFilter) {
  // A 5 x 5 x 5 volume wholly inside: the inner 3 x 3 x 3 is marked; a lone voxel is not.
  std::vector<std::string> all;
  for (int z = 0; z < 5; ++z) {
    if (z) all.emplace_back();
    for (int y = 0; y < 5; ++y) all.emplace_back("#####");
  }
  load(all);
  setPointX = setPointY = setPointZ = 2;
  EXPECT_EQ(segmentation3DImage(1, 1), 27);
  EXPECT_EQ(segmentation3DImage(2, 2), 0);
  setPointZ = -1;
  EXPECT_EQ(segmentation3DImage(1, 1), 0);
  EXPECT_EQ(maskText(2), "...../...../...../...../...../");
}

TEST(RegionGrowing, SteppingStopsWhereTheRegionJumps) {
  // A bar three wide whose row r (from 6) holds r - 5, so each step of the upper threshold adds
  // three pixels; below it a wide block of 11 that adds far more at once.
  const int w = 24, h = 28;
  std::vector<std::int16_t> image(static_cast<std::size_t>(w) * h, 1000);
  for (int y = 1; y <= 15; ++y)
    for (int x = 10; x <= 12; ++x)
      image[static_cast<std::size_t>(y) * w + x] = static_cast<std::int16_t>(std::max(0, y - 5));
  for (int y = 16; y <= 25; ++y)
    for (int x = 2; x <= 20; ++x) image[static_cast<std::size_t>(y) * w + x] = 11;
  dataWidth = w;
  dataHeight = h;
  dataSlice = 1;
  imageSGData = image;
  imageSGBUData.assign(image.size(), 0);
  deltaTHNumber = 1;
  setPointX = 11;
  setPointY = 3;
  const long long at9 = segmentation2DImage(1, 0, 9), at10 = segmentation2DImage(1, 0, 10);
  EXPECT_EQ(at10 - at9, 3);
  EXPECT_GT(segmentation2DImage(1, 0, 11) - at10, 50);

  std::int16_t lower = 0, upper = 0;
  highTHRegionUp(1, -100, 100, &lower, &upper, 10, false);
  EXPECT_EQ(upper, 11);
  EXPECT_EQ(lower, 0);
  // Down from above the block: the first step already jumps.
  upper = 30;
  highTHRegionDown(1, -100, 100, &lower, &upper, 10, false);
  EXPECT_EQ(upper, 10);
  // To the limit when nothing jumps.
  upper = 5;
  lower = 0;
  lowTHRegionDown(1, -20, 100, &lower, &upper, 10, false);
  EXPECT_EQ(lower, -20);
  lowTHRegionUp(1, -20, 100, &lower, &upper, 1000, false);
  EXPECT_EQ(lower, 5);

  // Without a seed the thresholds stay.
  setPointX = -1;
  lower = 0;
  upper = 0;
  highTHRegionUp(1, -100, 100, &lower, &upper, 10, false);
  lowTHRegionDown(1, -100, 100, &lower, &upper, 10, false);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 0);
}

}  // namespace
