// A movie clicked in the drawer's list plays at once. The movie drawer decodes the pictures of the playing
// movie on a worker: another movie clicked in the drawer's list while one plays shows its own frames only,
// never one of the movie before, and closing the drawer while a movie plays leaves nothing behind.

#include <QDockWidget>
#include <QTableWidget>
#include <QThreadPool>

#include "app_fixture.h"
#include "support/test_movie.h"
#include "tools/ui/media_movie_view.h"

namespace {

using namespace app_test;
using pravella::test::becomesTrue;
using pravella::test::kQuadrantColours;

constexpr int kLoadWait = 30000;
constexpr int kTolerance = 24;

class MovieDrawerSwitch : public App {
 protected:
  void SetUp() override {
    folder_ = pravella::paths::dayFolder(QDate::currentDate().year(), QDate::currentDate().month(),
                                         QDate::currentDate().day()) +
              "/clips.movd";
    QDir().mkpath(folder_);
    // Large grey frames, long enough to be playing still when the other movie is clicked.
    ASSERT_TRUE(pravella::test::writeGreyMovie(folder_ + "/a-grey.avi", 96, 1280, 720, 24));
    ASSERT_TRUE(
        pravella::test::writeQuadrantMovie(folder_ + "/b-quadrants.avi", "mjpeg", "yuvj444p", 64, 48, 3));
    App::SetUp();
  }

  QTableWidget* dayList() { return window().diaryFileField(); }
  QDockWidget* drawer() { return window().findChild<QDockWidget*>("movieDrawer"); }
  QTableWidget* movieList() { return drawer() ? drawer()->findChild<QTableWidget*>() : nullptr; }
  pravella::tools::MediaMovieView* view() {
    return drawer() ? drawer()->findChild<pravella::tools::MediaMovieView*>() : nullptr;
  }
  QWidget* screen() { return view()->layout()->itemAt(0)->widget(); }
  static void click(QTableWidget* table, int row) {
    table->scrollToItem(table->item(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualItemRect(table->item(row, 0)).center());
  }
  int rowOf(QTableWidget* table, int column, const QString& text) {
    for (int r = 0; r < table->rowCount(); ++r)
      if (table->item(r, column) && table->item(r, column)->text() == text) return r;
    return -1;
  }

  // What the screen shows at the middles of the picture's quadrants: the quadrant movie's
  // colours, a frame of the grey movie (every middle one grey, not black), or neither.
  enum class Shown { Nothing, Quadrants, Grey };
  Shown shownNow() {
    const QImage image = screen()->grab().toImage();
    QRect picture;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (qRed(image.pixel(x, y)) + qGreen(image.pixel(x, y)) + qBlue(image.pixel(x, y)) > 60)
          picture |= QRect(x, y, 1, 1);
    if (picture.width() < 8 || picture.height() < 8) return Shown::Nothing;
    bool quadrants = true, grey = true;
    for (int q = 0; q < 4; ++q) {
      const QRgb got = image.pixel(picture.left() + picture.width() * (q % 2 ? 3 : 1) / 4,
                                   picture.top() + picture.height() * (q < 2 ? 1 : 3) / 4);
      const int c[3] = {qRed(got), qGreen(got), qBlue(got)};
      for (int i = 0; i < 3; ++i)
        quadrants = quadrants && std::abs(c[i] - kQuadrantColours[q][i]) <= kTolerance;
      grey = grey && std::abs(c[0] - c[1]) <= 6 && std::abs(c[1] - c[2]) <= 6 && c[0] + c[1] + c[2] > 30;
    }
    return quadrants ? Shown::Quadrants : grey ? Shown::Grey : Shown::Nothing;
  }

  QString folder_;
};

TEST_F(MovieDrawerSwitch, AnotherMovieClickedWhilePlayingShowsNoFrameOfTheOneBefore) {
  const int row = rowOf(dayList(), 1, "clips.movd");
  ASSERT_GE(row, 0);
  QTest::mouseClick(dayList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    dayList()->visualItemRect(dayList()->item(row, 1)).center());
  ASSERT_TRUE(becomesTrue([&] { return shown(drawer()) && view() && movieList(); }, kLoadWait));
  drawer()->resize(std::max(drawer()->width(), 300), std::max(drawer()->height(), 400));

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    click(movieList(), rowOf(movieList(), 0, "a-grey.avi"));
    ASSERT_TRUE(
        becomesTrue([&] { return view()->file().endsWith("a-grey.avi") && view()->isLoaded(); }, kLoadWait));
    ASSERT_TRUE(becomesTrue([&] { return view()->isPlaying() && shownNow() == Shown::Grey; }, kLoadWait));

    click(movieList(), rowOf(movieList(), 0, "b-quadrants.avi"));
    // From the click on: the new movie's frames or none, until they show.
    bool greySeen = false;
    EXPECT_TRUE(becomesTrue(
        [&] {
          const Shown now = shownNow();
          greySeen = greySeen || now == Shown::Grey;
          return now == Shown::Quadrants && view()->isLoaded();
        },
        kLoadWait));
    EXPECT_FALSE(greySeen);
    // And they stay once every decoding has finished and handed its picture back.
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(shownNow(), Shown::Quadrants);
  }
}

TEST_F(MovieDrawerSwitch, ClosingTheDrawerWhileAMoviePlaysStopsIt) {
  const int row = rowOf(dayList(), 1, "clips.movd");
  ASSERT_GE(row, 0);
  QTest::mouseClick(dayList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    dayList()->visualItemRect(dayList()->item(row, 1)).center());
  ASSERT_TRUE(becomesTrue([&] { return shown(drawer()) && view() && movieList(); }, kLoadWait));
  click(movieList(), rowOf(movieList(), 0, "a-grey.avi"));
  ASSERT_TRUE(
      becomesTrue([&] { return view()->file().endsWith("a-grey.avi") && view()->isLoaded(); }, kLoadWait));
  ASSERT_TRUE(becomesTrue([&] { return view()->isPlaying() && shownNow() == Shown::Grey; }, kLoadWait));

  clickMenuItem(menuEntry({"&Tools", "Mo&vies"}));
  EXPECT_TRUE(becomesTrue([&] { return !shown(drawer()) && !view()->isPlaying(); }, kLoadWait));
  // The window goes with the test now, while the decoding of the last frame asked for may
  // still run.
}

}  // namespace
