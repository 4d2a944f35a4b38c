// The movie window list and what the "ma" operations do with a registered window.

#include <gtest/gtest.h>

#include <QStringList>
#include <QVariant>

#include <limits>
#include <memory>

#include "imaging/movie_windows.h"
#include "platform/notification_center.h"
#include "support/console_capture.h"
#include "support/fake_movie_window.h"

namespace {

using namespace pravella::motion;
using pravella::test::FakeMovieWindow;

class MovieWindows : public testing::Test {
 protected:
  void SetUp() override {
    movieWindowList().clear();
    addWindowToMovieWindowList("clip", window);
  }
  void TearDown() override { movieWindowList().clear(); }
  std::shared_ptr<FakeMovieWindow> window = std::make_shared<FakeMovieWindow>();
};

TEST(FrameTime, FromTheProgramsPair) {
  const MovieTime current{1200, 600, 7};
  const double seconds[] = {2.5, 0};
  const double units[] = {1500, 600};
  const double truncated[] = {1500.9, 600.7};
  EXPECT_EQ(frameTime(nullptr, current), current);
  EXPECT_EQ(frameTime(seconds, current), (MovieTime{1500, 600, 7}));
  EXPECT_EQ(frameTime(units, current), (MovieTime{1500, 600, 0}));
  EXPECT_EQ(frameTime(truncated, current), (MovieTime{1500, 600, 0}));
}

TEST(FrameTime, NoTimeWithoutAPositiveScale) {
  const MovieTime current{1200, 600, 0};
  const double refused[][2] = {
      {-1, 0},       // negative seconds
      {100, -600},   // negative scale
      {100, 0.5},    // a scale that truncates to 0
      {1e300, 600},  // no 64-bit value
      {NAN, 600},
      {5, 1e12},                                     // no 32-bit scale
      {std::numeric_limits<double>::infinity(), 0},  // infinite seconds
  };
  for (const auto& pair : refused) EXPECT_FALSE(frameTime(pair, current)) << pair[0] << ", " << pair[1];
  const double seconds[] = {1, 0};
  EXPECT_FALSE(frameTime(seconds, MovieTime{0, 0, 0}));  // a movie without a scale
}

TEST_F(MovieWindows, QueriesOfAMissingTitleLeaveTheOutput) {
  double out[2] = {9, 9};
  EXPECT_EQ(domaGetMovieDuration("Clip", out), 0);
  EXPECT_EQ(domaGetMovieCurrentTime("other", out), 0);
  EXPECT_EQ(out[0], 9);
  EXPECT_EQ(domaGetMovieDuration("clip", out), 1);
  EXPECT_EQ(out[0], 3000);
  EXPECT_EQ(out[1], 600);
  EXPECT_EQ(domaGetMovieCurretSize("clip", out), 1);
  EXPECT_EQ(out[0], 240);  // 282 less the bars
  EXPECT_EQ(out[1], 320);
  EXPECT_EQ(domaGetMovieOriginalSize("clip", out), 1);
  EXPECT_EQ(out[0], 240);
  EXPECT_EQ(out[1], 320);
}

TEST_F(MovieWindows, CaptureAsksForTheFormedTime) {
  window->frame = pravella::test::smallFrame();
  double matrix[6];
  int h = 0, w = 0;
  const double seconds[] = {2.5, 0};
  ASSERT_EQ(doCaptureMovieImageAtTimeAndConvert("clip", seconds, matrix, 6, &h, &w), 1);
  EXPECT_EQ(window->asked.back(), (MovieTime{1500, 600, 0}));
  EXPECT_EQ(h, 2);
  EXPECT_EQ(w, 3);
  const double expected[] = {765, 0, 255, 3, 6, 9};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(matrix[i], expected[i]) << i;

  // More pixels than the buffer holds: no matrix, and the size is the reason given (not "No
  // Image Data."). A refused time or no frame: no matrix.
  {
    pravella::test::ConsoleCapture console;
    EXPECT_EQ(doCaptureMovieImageAtTimeAndConvert("clip", nullptr, matrix, 5, &h, &w), -1);
    EXPECT_NE(console.text().find("Too big data: a frame of 3 x 2 is more than 5 elements."),
              std::string::npos);
  }
  const double negative[] = {-1, 0};
  window->asked.clear();
  EXPECT_EQ(doCaptureMovieImageAtTimeAndConvert("clip", negative, matrix, 6, &h, &w), 0);
  EXPECT_TRUE(window->asked.empty());
  window->frame = QImage();
  EXPECT_EQ(doCaptureMovieImageAtTimeAndConvert("clip", nullptr, matrix, 6, &h, &w), 0);
}

TEST_F(MovieWindows, PictureOfAFrameIsOpaque) {
  window->frame = pravella::test::smallFrame();
  pravella::Picture picture;
  ASSERT_EQ(domaCaptureMovieImageToPICT("clip", nullptr, &picture), 1);
  const QImage back = picture.toImage();
  ASSERT_EQ(back.size(), QSize(3, 2));
  EXPECT_EQ(back.pixel(2, 0), qRgb(255, 0, 0));
  EXPECT_EQ(back.pixel(1, 0), qRgb(0, 0, 0));
  EXPECT_EQ(domaCaptureMovieImageToPICT("none", nullptr, &picture), 0);
}

TEST_F(MovieWindows, CloseAllEmptiesTheList) {
  auto second = std::make_shared<FakeMovieWindow>();
  addWindowToMovieWindowList("second", second);
  addWindowToMovieWindowList("clip", second);  // the same window under a second title
  doCloseAllMovieWindow();
  EXPECT_EQ(movieWindowList().size(), 0);
  EXPECT_EQ(window->closed, 1);
  EXPECT_EQ(second->closed, 2);
  doCloseAllMovieWindow();  // an empty list returns at once
}

TEST_F(MovieWindows, CloseOneTitle) {
  doCloseMovieWindow("other");
  EXPECT_EQ(window->closed, 0);
  doCloseMovieWindow("clip");
  EXPECT_EQ(window->closed, 1);
  EXPECT_EQ(findWindowFromMovieWindowList("clip"), nullptr);
}

TEST(OpenMovieWindow, PostsPathAndTitle) {
  EXPECT_EQ(openMovieWindowWithMovie("/a.mov", "t"), OpenMovieResult::NoReceiver);
  auto& center = pravella::NotificationCenter::defaultCenter();
  QStringList got;
  const auto id = center.addObserver(
      kOpenMovieWindowNotification, nullptr,
      [&got](pravella::Notification& n) {
        got = n.strings;
        n.reply = n.strings.value(0).endsWith(".mov");
      },
      pravella::Delivery::PostingThread);
  EXPECT_EQ(openMovieWindowWithMovie("/a.mov", "t"), OpenMovieResult::Opened);
  EXPECT_EQ(got, (QStringList{"/a.mov", "t"}));
  EXPECT_EQ(openMovieWindowWithMovie("/a.txt", "t"), OpenMovieResult::NotAMovie);
  center.removeObserver(id);
}

}  // namespace
