// The tracking run without a window: keys go straight into its channel; the frames and the
// flow come from the media module, loaded as the programs load it.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "imaging/video/movie_fixture.h"
#include "imaging/video/point_tracker.h"
#include "lang/run_state.h"

namespace {

using namespace pravella::video;

struct Outcome {
  TrackingRecord record;
  std::vector<std::string> sounds;
};

Outcome track(const std::string& movie, const std::string& keys, long long capacity, PointTracker& tracker) {
  const pravella::media::MediaFunctions* module = pravella::media::mediaFunctions();
  EXPECT_NE(module, nullptr);
  if (!module) return {};
  const std::unique_ptr<pravella::media::FrameReader> frames = module->openMovieFrames(movie);
  EXPECT_NE(frames, nullptr);
  if (!frames) return {};
  TrackingChannel channel;
  Outcome out;
  channel.setSoundPlayer([&out](const char* name) { out.sounds.emplace_back(name); });
  for (const char k : keys) channel.pushKey(k);
  testing::internal::CaptureStdout();
  runTracking(*frames, channel, tracker, out.record, capacity);
  testing::internal::GetCapturedStdout();
  return out;
}

class PointTrackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    movie_ = QDir(dir_.path()).filePath("square.avi").toStdString();
    ASSERT_TRUE(pravella::test::writeSquareMovie(movie_, 20));
  }
  QTemporaryDir dir_;
  std::string movie_;
};

TEST_F(PointTrackerTest, AFullRecordingStopsWithBassoAndKeepsItsRows) {
  PointTracker tracker;
  // Room for three rows of the first row's width.
  const Outcome probe = track(movie_, "r \x1b", 1'000'000, tracker);
  ASSERT_EQ(probe.record.rows.size(), 1u);
  const int width = probe.record.width;
  const Outcome full = track(movie_, "r xxxxxx\x1b", 3LL * width, tracker);
  EXPECT_EQ(full.record.rows.size(), 3u);
  EXPECT_EQ(full.sounds, (std::vector<std::string>{"Tink", "Basso"}));
}

TEST_F(PointTrackerTest, TheEndOfTheMovieEndsTheRunWithItsRows) {
  PointTracker tracker;
  const Outcome out = track(movie_, "r ", 1'000'000, tracker);
  // Frames 2 to 20 are recorded.
  EXPECT_EQ(out.record.rows.size(), 19u);
}

TEST_F(PointTrackerTest, ARunOnFramesOfAnotherSizeStartsAfresh) {
  PointTracker tracker;
  track(movie_, "r xx\x1b", 1'000'000, tracker);
  const std::string small = QDir(dir_.path()).filePath("small.avi").toStdString();
  ASSERT_TRUE(pravella::test::writeSquareMovie(small, 8, 2, cv::Size(120, 110)));
  const Outcome out = track(small, "r xx\x1b", 1'000'000, tracker);
  ASSERT_EQ(out.record.rows.size(), 3u);
  EXPECT_GT(out.record.width, 1);
}

TEST_F(PointTrackerTest, TheBreakEndsTheRun) {
  PointTracker tracker;
  vkButtonDownSinceMs = vkSteadyMillis() - 3000;
  const Outcome out = track(movie_, "r ", 1'000'000, tracker);
  vkButtonDownSinceMs = 0;
  EXPECT_TRUE(out.record.rows.empty());
}

TEST(TrackingTicks, CountSixtiethsOfASecondSinceStart) {
  const double a = trackingTicks();
  EXPECT_GE(a, 0.0);
  EXPECT_EQ(a, std::floor(a));
}

}  // namespace
