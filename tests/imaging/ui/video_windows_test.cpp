// The point-tracking window of "test_cv" and the video capture window, on movies standing in
// for the camera.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <opencv2/imgproc.hpp>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "imaging/ui/cal_sg_data.h"
#include "imaging/ui/cv_tracking_window.h"
#include "imaging/video/movie_fixture.h"
#include "imaging/video/point_tracker.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/ui/sound_player.h"
#include "support/wait_for.h"

namespace {

using pravella::CvTrackingWindow;
using pravella::test::becomesTrue;

// A 30-frame movie of the textured square moving 2 pixels a frame.
class TrackingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("OPENCV_LOG_LEVEL", "ERROR", 1);
    movie_ = QDir(dir_.path()).filePath("square.avi").toStdString();
    ASSERT_TRUE(pravella::test::writeSquareMovie(movie_, 30));
    pravella::setSoundRecorder([this](const QString& name) {
      std::lock_guard lock(soundMutex_);
      sounds_.push_back(name);
    });
  }
  void TearDown() override {
    pravella::setSoundRecorder({});
    // Night mode lives on between runs.
    if (pravella::video::sharedPointTracker().nightMode())
      pravella::video::sharedPointTracker().toggleNightMode();
  }

  struct Run {
    int answer = 0;
    int rows = 0;
    int cols = 0;
    std::vector<double> values;
    std::vector<QImage> frames;
    double at(int r, int c) const { return values[static_cast<std::size_t>(r) * cols + c]; }
    // Points recorded in row r (the row's width before the -1 padding).
    int points(int r) const {
      int n = 0;
      while (2 + 2 * n <= cols - 1 && at(r, 1 + 2 * n) != -1.0) ++n;
      return n;
    }
  };

  // Runs "test_cv" on `path` on a worker thread; `drive` gets the window on the GUI thread
  // before the run reads its first frame, so what it sends reaches the run in order (one key a
  // frame, clicks as they come).
  Run run(const std::string& path, const std::function<void(CvTrackingWindow*)>& drive) {
    Run r;
    pravella::CvTrackingWindows windows(nullptr);
    QObject::connect(&windows, &pravella::CvTrackingWindows::windowOpened, [&](CvTrackingWindow* w) {
      QObject::connect(w, &CvTrackingWindow::frameShown, [&r](const QImage& f) { r.frames.push_back(f); });
      drive(w);
    });
    r.values.assign(1'000'000, 0.0);
    std::atomic<bool> done{false};
    std::thread worker([&] {
      r.answer = opencvtest02(path.c_str(), r.values.data(), &r.rows, &r.cols);
      done = true;
    });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    r.values.resize(static_cast<std::size_t>(r.rows) * r.cols);
    return r;
  }

  static void keys(CvTrackingWindow* w, const QString& sequence) {
    for (const QChar c : sequence) {
      if (c == QChar(27))
        QTest::keyClick(w, Qt::Key_Escape);
      else if (c == ' ')
        QTest::keyClick(w, Qt::Key_Space);
      else
        QTest::keyClick(w, c.toLatin1());
    }
  }

  std::vector<QString> sounds() {
    std::lock_guard lock(soundMutex_);
    return sounds_;
  }

  QTemporaryDir dir_;
  std::string movie_;
  std::mutex soundMutex_;
  std::vector<QString> sounds_;
};

TEST_F(TrackingWindowTest, RecordedRowsFollowTheSquare) {
  // r, space, then nine frames with no key of meaning and ESC: ten recorded frames.
  const Run r = run(movie_, [](CvTrackingWindow* w) { keys(w, QStringLiteral("r xxxxxxxxx\x1b")); });
  ASSERT_EQ(r.answer, 0);
  ASSERT_EQ(r.rows, 10);
  ASSERT_GT(r.cols, 2);
  EXPECT_EQ((r.cols - 1) % 2, 0);
  for (int k = 0; k + 1 < r.rows; ++k) {
    EXPECT_LE(r.at(k, 0), r.at(k + 1, 0));
    ASSERT_EQ(r.points(k), r.points(k + 1));
    for (int p = 0; p < r.points(k); ++p) {
      EXPECT_NEAR(r.at(k + 1, 1 + 2 * p) - r.at(k, 1 + 2 * p), 2.0, 0.5) << "row " << k << " point " << p;
      EXPECT_NEAR(r.at(k + 1, 2 + 2 * p) - r.at(k, 2 + 2 * p), 0.0, 0.5) << "row " << k << " point " << p;
    }
  }
  EXPECT_EQ(sounds(), std::vector<QString>{QStringLiteral("Tink")});
  EXPECT_FALSE(r.frames.empty());
}

TEST_F(TrackingWindowTest, RunsThatRecordNothing) {
  struct Case {
    const char* name;
    QString keys;
  } const cases[] = {
      {"space with no points", QStringLiteral(" x x\x1b")},
      {"c drops the rows", QStringLiteral("r xxcx\x1b")},
      {"ESC at once", QStringLiteral("\x1b")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      std::lock_guard lock(soundMutex_);
      sounds_.clear();
    }
    const Run r = run(movie_, [&](CvTrackingWindow* w) { keys(w, c.keys); });
    EXPECT_EQ(r.answer, 0);
    EXPECT_EQ(r.rows, 0);
    EXPECT_EQ(r.cols, 1);
    if (std::string(c.name) == "space with no points") {
      EXPECT_TRUE(sounds().empty());
    }
  }
}

TEST_F(TrackingWindowTest, ClosingTheWindowEndsTheRun) {
  const Run r = run(movie_, [](CvTrackingWindow* w) {
    keys(w, QStringLiteral("r "));
    w->close();
  });
  EXPECT_EQ(r.answer, 0);
  EXPECT_LE(r.rows, 1);
}

TEST_F(TrackingWindowTest, ClicksRemoveAndAddPoints) {
  // The first point the run will find in the movie's second frame.
  cv::VideoCapture capture(movie_, cv::CAP_ANY);
  cv::Mat frame, grey;
  ASSERT_TRUE(capture.read(frame) && capture.read(frame));
  cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
  std::vector<cv::Point2f> found;
  cv::goodFeaturesToTrack(grey, found, 500, 0.01, 10, cv::noArray(), 3, false, 0.04);
  ASSERT_FALSE(found.empty());
  cv::cornerSubPix(grey, found, cv::Size(10, 10), cv::Size(-1, -1),
                   cv::TermCriteria(cv::TermCriteria::COUNT | cv::TermCriteria::EPS, 20, 0.03));
  // Frame 3 takes the first click; frame 4 removes the point (then 4 pixels on); frame 5
  // takes the second click, in the empty corner, and frame 6 adds it.
  const QPoint near(cvRound(found[0].x + 3), cvRound(found[0].y));
  const Run r = run(movie_, [&](CvTrackingWindow* w) {
    keys(w, QStringLiteral("r "));
    QTest::mouseClick(w, Qt::LeftButton, {}, near);
    keys(w, QStringLiteral("xx"));
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(185, 135));
    keys(w, QStringLiteral("xx\x1b"));
  });

  ASSERT_EQ(r.rows, 5);
  const int n = r.points(0);
  ASSERT_GT(n, 1);
  EXPECT_EQ(r.points(1), n);
  EXPECT_EQ(r.points(2), n - 1);
  EXPECT_EQ(r.points(3), n - 1);
  EXPECT_EQ(r.points(4), n);
  EXPECT_EQ(r.cols, 1 + 2 * n);
  // Shorter rows are filled with -1 up to the widest.
  EXPECT_EQ(r.at(2, r.cols - 1), -1.0);
  EXPECT_EQ(r.at(2, r.cols - 2), -1.0);
  EXPECT_NEAR(r.at(4, r.cols - 2), 185.0, 3.0);
  EXPECT_NEAR(r.at(4, r.cols - 1), 135.0, 3.0);
}

TEST_F(TrackingWindowTest, NightModeShowsOnlyGreenPointsOnBlack) {
  const Run r = run(movie_, [](CvTrackingWindow* w) { keys(w, QStringLiteral("nrxxx\x1b")); });
  ASSERT_FALSE(r.frames.empty());
  const QImage last = r.frames.back().convertToFormat(QImage::Format_RGB32);
  int green = 0;
  for (int y = 0; y < last.height(); ++y)
    for (int x = 0; x < last.width(); ++x) {
      const QRgb c = last.pixel(x, y);
      if (c == qRgb(0, 255, 0))
        ++green;
      else
        ASSERT_EQ(c, qRgb(0, 0, 0)) << x << "," << y;
    }
  EXPECT_GT(green, 20);
}

TEST_F(TrackingWindowTest, MissingMovieFailsWithTheLineOnStandardError) {
  testing::internal::CaptureStderr();
  const Run r = run(QDir(dir_.path()).filePath("none.avi").toStdString(), [](CvTrackingWindow*) {});
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(r.answer, -1);
  EXPECT_NE(err.find("Could not initialize capturing...\n"), std::string::npos);
}

// With a window to track in, a source that cannot be opened is named in the result text.
TEST_F(TrackingWindowTest, ASourceThatCannotBeOpenedIsNamedInTheResult) {
  ASSERT_EQ(vkStartUp(), 1);
  pravella::CvTrackingWindows windows(nullptr);
  EXPECT_EQ(pravella::runVkProgram("test_cv(\"/nonexistent.mkv\");").output(),
            "...<Error>...Could not open the movie file \"/nonexistent.mkv\".\n.NO.\n");
  ::setenv("PRAVELLA_CAMERA0", QDir(dir_.path()).filePath("none.avi").toLocal8Bit().constData(), 1);
  EXPECT_EQ(pravella::runVkProgram("test_cv(0);").output(), "...<Error>...Could not open camera 0.\n.NO.\n");
  ::unsetenv("PRAVELLA_CAMERA0");
}

// Whether this process holds the file open.
bool fileIsOpen(const QString& path) {
  const QString target = QFileInfo(path).canonicalFilePath();
  const QDir fds(QStringLiteral("/proc/self/fd"));
  for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System))
    if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target) return true;
  return false;
}

TEST(VideoCaptureWindow, ShowsStampedFramesOfTheStandIn) {
  QTemporaryDir dir;
  const QString movie = QDir(dir.path()).filePath("camera.avi");
  ASSERT_TRUE(pravella::test::writeSquareMovie(movie.toStdString(), 10));
  ::setenv("PRAVELLA_CAMERA0", movie.toLocal8Bit().constData(), 1);
  QPointer<pravella::CalSGData> window = pravella::openVideoSequantialGrabber(nullptr);
  ASSERT_TRUE(window);
  EXPECT_EQ(checkVideoSequentialGrabberWindow(), 1);
  EXPECT_EQ(pravella::openVideoSequantialGrabber(nullptr), nullptr);
  ASSERT_TRUE(becomesTrue([&] { return !window->view()->gworld().isNull(); }, 5000));
  const QImage shown = window->view()->gworld();
  EXPECT_EQ(shown.size(), window->view()->size());
  // The movie's background at the lower left is dark grey; the stamp paints white behind its
  // text there, three pixels above the bottom.
  int light = 0;
  for (int y = shown.height() - 14; y < shown.height(); ++y)
    for (int x = 0; x < 60; ++x) light += qRed(shown.pixel(x, y)) > 200;
  EXPECT_GT(light, 100);
  window->copy();
  const QImage copied = QApplication::clipboard()->image();
  EXPECT_EQ(copied.size(), shown.size());
  EXPECT_TRUE(fileIsOpen(movie));
  window->close();
  ASSERT_TRUE(becomesTrue([&] { return !window; }));
  EXPECT_EQ(checkVideoSequentialGrabberWindow(), 0);
  EXPECT_FALSE(fileIsOpen(movie));
  ::unsetenv("PRAVELLA_CAMERA0");
}

TEST(VideoCaptureWindow, WithoutACameraOpensEmpty) {
  ::unsetenv("PRAVELLA_CAMERA0");
  QPointer<pravella::CalSGData> window = pravella::openVideoSequantialGrabber(nullptr);
  ASSERT_TRUE(window);
  EXPECT_FALSE(window->view()->grabbing());
  EXPECT_TRUE(window->view()->gworld().isNull());
  window->close();
  ASSERT_TRUE(becomesTrue([&] { return !window; }));
  EXPECT_EQ(checkVideoSequentialGrabberWindow(), 0);
}

}  // namespace
