// The tracking window on a movie of a bright disc moving over a fixed textured background:
// the background, both tracking rules, the saved result file, the held mouse button and the
// frame without an object.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <string>
#include <vector>

#include "imaging/motion_tracking.h"
#include "imaging/ui/cal_motion_analyser_image_window.h"
#include "imaging/ui/imaging_window_manager.h"
#include "imaging/ui/movie_view.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/paths.h"
#include "platform/ui/sound_player.h"
#include "support/console_capture.h"
#include "support/test_home.h"

namespace {

using namespace pravella::imaging;

constexpr int kW = 160, kH = 120, kFrames = 40;

// The disc's 0-based centre in frame k.
cv::Point centreOf(int k) { return {30 + 2 * k, 30 + k}; }

// 10 frames a second; `disc` false gives the bare background.
QString writeDiscMovie(const QString& name, bool disc) {
  const QString path = pravella::test::home() + "/" + name;
  cv::VideoWriter writer(path.toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 10,
                         cv::Size(kW, kH), true);
  cv::Mat background(kH, kW, CV_8UC3);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      background.at<cv::Vec3b>(y, x) = cv::Vec3b::all(static_cast<uchar>(70 + ((x / 8 + y / 8) % 2) * 30));
  for (int k = 0; k < kFrames; ++k) {
    cv::Mat frame = background.clone();
    if (disc) cv::circle(frame, centreOf(k), 7, cv::Scalar::all(255), -1);
    writer.write(frame);
  }
  writer.release();
  return path;
}

std::vector<std::vector<double>> lines(const QString& text) {
  std::vector<std::vector<double>> out;
  for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
    std::vector<double> fields;
    for (const QString& f : line.split('\t')) fields.push_back(f.trimmed().toDouble());
    out.push_back(fields);
  }
  return out;
}

class TrackingWindow : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    pravella::setSoundRecorder([this](const QString& s) { sounds_ << s; });
    main_.setGeometry(100, 60, 300, 200);
    main_.show();
  }
  void TearDown() override {
    pravella::setSoundRecorder({});
    if (movieImageWindowID()) movieImageWindowID()->closeMovieWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  CalMotionAnalyserImageWindow* open(const QString& path) {
    if (run("openMovieImageWindow(\"" + path.toStdString() + "\");") != ".OK.\n") return nullptr;
    return movieImageWindowID().data();
  }
  static std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }
  static void waitForEnd(CalMotionAnalyserImageWindow* w) {
    QSignalSpy ended(w, &CalMotionAnalyserImageWindow::runEnded);
    if (w->isRunning()) {
      ASSERT_TRUE(ended.wait(60000));
    }
  }

  static bool addFileMenu(QMainWindow& window) {
    window.menuBar()->addMenu("File")->setObjectName("fileMenu");
    return true;
  }

  QMainWindow main_;
  bool menu_ = addFileMenu(main_);
  ImagingWindowManager manager_{&main_};
  QStringList sounds_;
};

TEST_F(TrackingWindow, BothRulesFollowTheDiscFrameByFrame) {
  CalMotionAnalyserImageWindow* w = open(writeDiscMovie("disc.avi", true));
  ASSERT_TRUE(w);
  EXPECT_EQ(w->movieFileName()->text(), "disc.avi");
  w->samplingInterval()->setValue(1);
  w->makeBackgroundImage();
  waitForEnd(w);
  EXPECT_EQ(pravella::motion::backGroundData().width, kW);
  EXPECT_EQ(sounds_.value(0), "Purr");
  for (int pass = 0; pass < 2; ++pass) {
    pass == 0 ? w->doTrackingByOldMethod() : w->doTrackingByMostNearPosition();
    EXPECT_TRUE(w->isRunning());  // the run goes on from the event loop
    waitForEnd(w);
    const auto found = lines(w->resultTextView()->toPlainText());
    ASSERT_EQ(found.size(), static_cast<std::size_t>(kFrames)) << pass;
    for (int k = 0; k < kFrames; ++k) {
      ASSERT_EQ(found[k].size(), 4u);
      EXPECT_NEAR(found[k][0], k * 0.1, 1e-9) << pass << " frame " << k;
      EXPECT_NEAR(found[k][1], centreOf(k).x + 1, 0.5) << pass << " frame " << k;
      EXPECT_NEAR(found[k][2], kH - (centreOf(k).y + 1), 0.5) << pass << " frame " << k;
    }
  }
  // Saved on the desktop under the run's date and time.
  const QString text = w->resultTextView()->toPlainText();
  w->doSaveResult();
  QFile saved(pravella::motion::resultFilePath(w->nowDateTime()));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromLatin1(saved.readAll()), text);
  EXPECT_TRUE(saved.fileName().startsWith(pravella::paths::desktop() + "/ma_"));
  EXPECT_EQ(sounds_.last(), "Tink");
}

TEST_F(TrackingWindow, AHeldMouseButtonStopsARun) {
  CalMotionAnalyserImageWindow* w = open(writeDiscMovie("disc.avi", true));
  ASSERT_TRUE(w);
  w->makeBackgroundImage();
  waitForEnd(w);
  w->doTrackingByOldMethod();
  QTest::mousePress(w->resultTextView()->viewport(), Qt::LeftButton);
  QTest::qWait(1300);
  EXPECT_FALSE(w->isRunning());
  EXPECT_EQ(sounds_.last(), "Basso");
  QTest::mouseRelease(w->resultTextView()->viewport(), Qt::LeftButton);
  EXPECT_LT(lines(w->resultTextView()->toPlainText()).size(), static_cast<std::size_t>(kFrames));
}

TEST_F(TrackingWindow, AFrameLikeTheBackgroundWritesNothingAndLogsNoCell) {
  CalMotionAnalyserImageWindow* w = open(writeDiscMovie("still.avi", false));
  ASSERT_TRUE(w);
  w->makeBackgroundImage();
  waitForEnd(w);
  pravella::test::ConsoleCapture console;
  w->getCurrentObjectPosition();
  EXPECT_EQ(w->resultTextView()->toPlainText(), "");
  EXPECT_NE(console.text().find("no cell"), std::string::npos);
}

TEST_F(TrackingWindow, OneWindowFromProgramsAndTheMenu) {
  EXPECT_EQ(run("openMovieImageWindow(\"" + (pravella::test::home() + "/none.avi").toStdString() + "\");"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_FALSE(movieImageWindowID());
  CalMotionAnalyserImageWindow* w = open(writeDiscMovie("disc.avi", true));
  ASSERT_TRUE(w);
  EXPECT_EQ(open(writeDiscMovie("still.avi", false)), w);
  EXPECT_EQ(w->movieFileName()->text(), "still.avi");
  QAction* action = main_.findChild<QAction*>("newMovieTrackingWindowAction");
  ASSERT_TRUE(action);
  action->trigger();
  EXPECT_EQ(movieImageWindowID().data(), w);
  EXPECT_EQ(w->movieFileName()->text(), "");
}

}  // namespace
