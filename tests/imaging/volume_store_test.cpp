// The volume store: the one voxel conversion, sections, the projection's progress, and the
// rule that a failed operation leaves the slots as they were.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "imaging/volume_data.h"
#include "imaging/volume_projection.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/progress_bar.h"

namespace {

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

class VolumeStore : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(vkStartUp(), 1); }
};

TEST_F(VolumeStore, VoxelConversion) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double in;
    std::int16_t out;
  } cases[] = {
      {0, 0},      {1.9, 1},          {-1.9, -1},        {32767, 32767}, {32768, -32768},
      {65537, 1},  {70000.5, 4464},   {-32769, 32767},   {-65536, 0},    {1e20, 0},
      {-1e300, 0}, {4294967297.0, 1}, {std::nan(""), 0}, {inf, 0},       {-inf, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(vkVoxelFromDouble(c.in), c.out) << c.in;
}

TEST_F(VolumeStore, StartsEmptyWithSlotOneCurrent) {
  ASSERT_EQ(DoChangeCurrentVolumeData(3), 1);
  ASSERT_EQ(DoCreateVolumeData(1, 1, 1), 1);
  ASSERT_EQ(vkStartUp(), 1);
  EXPECT_EQ(currentVolume, 1);
  EXPECT_EQ(vData, &vDataX[0]);
  for (const VolumeSlot& s : vDataX) EXPECT_TRUE(s.empty() && s.rows == 0 && s.columns == 0 && s.slices == 0);
}

TEST_F(VolumeStore, FailuresKeepTheSlots) {
  // Volumes live across runs; a failed run changes nothing it should not.
  ASSERT_EQ(run("createVolumeData(|1, 2, 1|); setVolumeData(|7, 8|, 1);"), ".OK.\n");
  const std::vector<std::int16_t> kept = {7, 8};
  const char* failures[] = {
      "changeCurrentVolumeData(0);", "changeCurrentVolumeData(4);", "copyVolumeData(2, 1);",
      "copyVolumeData(1, 1);",       "copyVolumeData(1, 4);",       "setVolumeData(|1, 2, 3|, 1);",
      "setVolumeData(|1, 2|, 2);",   "setVolumeData(|1, 2|, 0);",   "cutVolumeData(|0, 1|, |1, 1|, |1, 1|);",
      "getVolumeData(1, \"q\");",
  };
  for (const char* f : failures) {
    EXPECT_EQ(run(f).substr(0, 13), "...<Error>...") << f;
    EXPECT_EQ(currentVolume, 1) << f;
    EXPECT_EQ(vDataX[0].voxels, kept) << f;
    EXPECT_TRUE(vDataX[1].empty()) << f;
  }
  // A failed create empties the current slot, as the store's rule for create says.
  EXPECT_EQ(run("createVolumeData(|256, 256, 0|);"), "...<Error>...can not allocate the memory.\n.NO.\n");
  EXPECT_TRUE(vDataX[0].empty());
  EXPECT_EQ(vDataX[0].rows, 0);
  EXPECT_EQ(run("createVolumeData(|65536, 65536, 1|);"), "...<Error>...can not allocate the memory.\n.NO.\n");
}

TEST_F(VolumeStore, SectionsTooBigForTheScratchBuffer) {
  ASSERT_EQ(DoCreateVolumeData(3, 4, 2), 1);
  std::vector<std::int32_t> out(24);
  int rows = 0, cols = 0;
  TNumber = 6;  // room for 12 integers
  EXPECT_EQ(DoGetVolumeData(0, &rows, &cols, out.data(), kSectionAxial), 1);
  EXPECT_EQ(DoGetVolumeData(0, &rows, &cols, out.data(), kSectionCoronal), 1);
  TNumber = 3;
  EXPECT_EQ(DoGetVolumeData(0, &rows, &cols, out.data(), kSectionAxial), 0);
  TNumber = 1000000;
}

TEST_F(VolumeStore, ProjectionReportsEachSliceAndResets) {
  ASSERT_EQ(DoCreateVolumeData(2, 2, 3), 1);
  std::vector<std::string> bar;
  auto& center = pravella::NotificationCenter::defaultCenter();
  const auto id = center.addObserver(
      kProcessIndicator, nullptr, [&](pravella::Notification& n) { bar.push_back(n.text.toStdString()); },
      pravella::Delivery::PostingThread);
  std::vector<double> out(8);
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  ASSERT_EQ(DoShowVolumeData(out.data(), identity, 2, 2, 1.0, 1), 1);
  center.removeObserver(id);
  // The range, then values that come too fast to be drawn are dropped, and the reset to 0.
  ASSERT_GE(bar.size(), 2u);
  EXPECT_EQ(bar.front(), "0\t3");
  EXPECT_EQ(bar.back(), "0\t3\t0");
}

}  // namespace
