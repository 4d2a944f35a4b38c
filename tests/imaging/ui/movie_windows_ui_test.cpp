// Movie windows opened by title: registered for the "ma" built-ins, placed beside the main
// window, giving exact frames, editing, and ignoring dropped files that are no movies.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>

#include <opencv2/imgproc.hpp>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "imaging/movie_windows.h"
#include "imaging/ui/cal_motion_analyzer.h"
#include "imaging/ui/imaging_window_manager.h"
#include "imaging/ui/movie_view.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "support/test_home.h"
#include "support/test_movie.h"

namespace {

using namespace pravella::imaging;
using namespace pravella::motion;

std::string run(const std::string& program) { return pravella::runVkProgram(program).output(); }

class MovieWindows : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    path_ = pravella::test::home() + "/grey.avi";
    ASSERT_TRUE(pravella::test::writeGreyMovie(path_, 30));
    main_.setGeometry(100, 60, 300, 200);
    main_.show();
  }
  void TearDown() override {
    doCloseAllMovieWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  std::string open(const std::string& title) {
    return run("openMovieWindow(\"" + path_.toStdString() + "\", \"" + title + "\");");
  }
  CalMotionAnalyzer* window(const QString& title) {
    return controllerOf(findWindowFromMovieWindowList(title));
  }

  // The main window's File menu exists before the manager adds to it, as in the application.
  static bool addFileMenu(QMainWindow& window) {
    QMenu* file = window.menuBar()->addMenu("File");
    file->setObjectName("fileMenu");
    file->addAction("Quit");
    return true;
  }

  QString path_;
  QMainWindow main_;
  bool menu_ = addFileMenu(main_);
  ImagingWindowManager manager_{&main_};
};

TEST_F(MovieWindows, OneTitleIsOneWindowTwoTitlesTwo) {
  ASSERT_EQ(open("A"), ".OK.\n");
  QPointer<CalMotionAnalyzer> a = window("A");
  ASSERT_TRUE(a);
  ASSERT_EQ(run("maOpenMovie(\"" + path_.toStdString() + "\", \"A\");"), ".OK.\n");
  EXPECT_EQ(movieWindowList().size(), 1);
  EXPECT_EQ(window("A"), a.data());
  ASSERT_EQ(open("B"), ".OK.\n");
  EXPECT_EQ(movieWindowList().size(), 2);
  EXPECT_NE(window("B"), a.data());

  EXPECT_EQ(a->window()->windowTitle(), "A");
  EXPECT_EQ(a->window()->frameGeometry().topLeft(),
            QPoint(main_.frameGeometry().x() + main_.frameGeometry().width() + 5, main_.frameGeometry().y()));
  EXPECT_EQ(a->window()->size(), QSize(64, 48 + 20));
  EXPECT_EQ(run("maGetMovieDuration(\"A\"); maGetMovieOriginalSize(\"A\"); maGetMovieCurretSize(\"A\");"),
            " 1800.0000   600.0000\n   48.0000    64.0000\n   48.0000    64.0000\n.OK.\n");
}

TEST_F(MovieWindows, CapturesInSecondsAndInUnitsGiveTheSameExactFrame) {
  ASSERT_EQ(open("A"), ".OK.\n");
  std::vector<double> bySeconds(64 * 48), byUnits(64 * 48);
  int h = 0, w = 0;
  const double seconds[] = {2.5, 0};
  const double units[] = {1500, 600};
  ASSERT_EQ(doCaptureMovieImageAtTimeAndConvert("A", seconds, bySeconds.data(), 64 * 48, &h, &w), 1);
  ASSERT_EQ(doCaptureMovieImageAtTimeAndConvert("A", units, byUnits.data(), 64 * 48, &h, &w), 1);
  EXPECT_EQ(h, 48);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(bySeconds, byUnits);
  EXPECT_EQ(bySeconds[0], 765);  // the white square
  EXPECT_NEAR(bySeconds[30 * 64 + 40], 3 * pravella::test::greyOf(25), 9);
  const double pastTheEnd[] = {3.5, 0};
  EXPECT_EQ(doCaptureMovieImageAtTimeAndConvert("A", pastTheEnd, bySeconds.data(), 64 * 48, &h, &w), 0);
  // A frame bigger than the buffer is refused, not written past it.
  EXPECT_EQ(doCaptureMovieImageAtTimeAndConvert("A", units, bySeconds.data(), 64 * 48 - 1, &h, &w), -1);
}

TEST_F(MovieWindows, SelectAllCutEmptiesAndPasteRestores) {
  ASSERT_EQ(open("A"), ".OK.\n");
  EXPECT_EQ(run("maSelectAllMovie(\"A\"); maCutMovie(\"A\"); maGetMovieDuration(\"A\");"),
            "    0.0000   600.0000\n.OK.\n");
  EXPECT_EQ(run("maPasteMovie(\"A\"); maGetMovieDuration(\"A\");"), " 1800.0000   600.0000\n.OK.\n");
  EXPECT_EQ(
      run("maSetMovieCurrentTime(\"A\", |2, 10|); maStepForwardMovie(\"A\"); maGetMovieCurrentTime(\"A\");"),
      "  180.0000   600.0000\n.OK.\n");
}

TEST_F(MovieWindows, ProgramsOnTheirWorkerThreadWaitForTheWindow) {
  ASSERT_EQ(open("A"), ".OK.\n");
  std::atomic<bool> done{false};
  std::string out;
  std::thread worker([&] {
    out = run("maGotoEndOfMovie(\"A\"); maGetMovieCurrentTime(\"A\"); max(maCaptureMovieImage(\"A\"));");
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  worker.join();
  EXPECT_EQ(out, " 1800.0000   600.0000\n  765.0000\n.OK.\n");
}

TEST_F(MovieWindows, AFileThatIsNoMovieOpensNothing) {
  QFile text(pravella::test::home() + "/notes.txt");
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("no movie here\n");
  text.close();
  EXPECT_EQ(run("openMovieWindow(\"" + text.fileName().toStdString() + "\", \"T\");"),
            "...<Error>...Invalid arguments.\n.NO.\n");
  EXPECT_EQ(run("maOpenMovie(\"" + text.fileName().toStdString() + "\", \"T\");"), ".OK.\n");
  EXPECT_EQ(movieWindowList().size(), 0);

  // Dropped on an open window, it is ignored; a movie dropped replaces the shown one.
  ASSERT_EQ(open("A"), ".OK.\n");
  MovieView* view = window("A")->movieView();
  auto drop = [view](const QString& file) { return view->openDroppedFile(file); };
  pravella::movie::MovieDocument* shown = view->movie();
  EXPECT_FALSE(drop(text.fileName()));
  EXPECT_FALSE(drop(pravella::test::home()));
  EXPECT_EQ(view->movie(), shown);
  const QString other = pravella::test::home() + "/other.avi";
  ASSERT_TRUE(pravella::test::writeGreyMovie(other, 3, 32, 16));
  EXPECT_TRUE(drop(other));
  EXPECT_NE(view->movie(), shown);
  EXPECT_EQ(view->movie()->frameCount(), 3);
  EXPECT_EQ(window("A")->window()->size(), QSize(32, 16 + 20));
}

TEST_F(MovieWindows, ThePlaceholderMovieAndTheMenu) {
  ASSERT_TRUE(openNulMovieWindow());
  ASSERT_TRUE(openNulMovieWindow());
  EXPECT_EQ(movieWindowList().size(), 1);
  CalMotionAnalyzer* placeholder = window("_Movie_");
  ASSERT_TRUE(placeholder);
  EXPECT_EQ(placeholder->movieView()->movie()->frameCount(), 1);
  EXPECT_EQ(placeholder->movieView()->movie()->naturalSize(), QSize(128, 128));
  doCloseAllMovieWindow();
  auto* action = main_.findChild<QAction*>("newMovieWindowAction");
  ASSERT_TRUE(action);
  EXPECT_EQ(action->text(), "New Movie Window");
  action->trigger();
  EXPECT_TRUE(window("_Movie_"));
}

TEST_F(MovieWindows, ClosingByHandOrByTitleRemovesTheTitle) {
  ASSERT_EQ(open("A"), ".OK.\n");
  ASSERT_EQ(open("B"), ".OK.\n");
  window("A")->window()->close();
  EXPECT_FALSE(window("A"));
  ASSERT_EQ(run("maCloseMovieWindow(\"B\"); maGetMovieDuration(\"B\");"), "    0.0000     0.0000\n.OK.\n");
  EXPECT_EQ(movieWindowList().size(), 0);
}

// One frame of `size`, dark, with a white square as high as a third of the shorter side in
// its middle.
bool writeSquareMovie(const QString& path, QSize size) {
  cv::VideoWriter writer(path.toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 10,
                         cv::Size(size.width(), size.height()), true);
  if (!writer.isOpened()) return false;
  cv::Mat frame(size.height(), size.width(), CV_8UC3, cv::Scalar::all(30));
  const int side = std::min(size.width(), size.height()) / 3;
  cv::rectangle(frame, cv::Rect((size.width() - side) / 2, (size.height() - side) / 2, side, side),
                cv::Scalar::all(255), cv::FILLED);
  writer.write(frame);
  writer.release();
  return true;
}

// A movie larger than the test's screen, wide or tall, opens fitted to the screen in its own
// proportions: the window's picture part has them to the pixel and the square in the movie
// shows square. (Where the screen is larger than the movie, it opens at its own size.)
TEST_F(MovieWindows, AMovieLargerThanTheScreenKeepsItsProportions) {
  // Widths that are no multiple of 16 among them: their rows end inside a block of pixels.
  for (const QSize size : {QSize(1920, 1080), QSize(1080, 1920), QSize(2400, 900), QSize(1001, 1203)}) {
    SCOPED_TRACE(size.width());
    const QString path = pravella::test::home() + QStringLiteral("/square%1.avi").arg(size.width());
    ASSERT_TRUE(writeSquareMovie(path, size));
    const std::string title = "big" + std::to_string(size.width());
    ASSERT_EQ(run("openMovieWindow(\"" + path.toStdString() + "\", \"" + title + "\");"), ".OK.\n");
    CalMotionAnalyzer* opened = window(QString::fromStdString(title));
    ASSERT_TRUE(opened);
    QWidget* w = opened->window();
    const QRect available = w->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(w->frameGeometry()));
    const QSize picture(w->width(), w->height() - MovieView::kControllerHeight);
    EXPECT_LE(picture.width(), size.width());
    // Fitted where the screen is smaller, by one factor for both sides.
    if (size.width() > available.width() || size.height() > available.height())
      EXPECT_TRUE(std::abs(w->frameGeometry().width() - available.width()) <= 1 ||
                  std::abs(w->frameGeometry().height() - available.height()) <= 1);
    EXPECT_NEAR(picture.height(), picture.width() * double(size.height()) / size.width(), 1.0)
        << picture.width() << "x" << picture.height();

    // The square painted: its bright part is as wide as high.
    const QImage shown = opened->movieView()->grab().toImage();
    QRect bright;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        if (qGray(shown.pixel(x, y)) > 160) bright |= QRect(x, y, 1, 1);
    ASSERT_FALSE(bright.isEmpty());
    EXPECT_NEAR(bright.width(), bright.height(), 2) << bright.width() << "x" << bright.height();
  }
}

}  // namespace
