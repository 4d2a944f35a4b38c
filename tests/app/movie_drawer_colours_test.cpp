// The movie drawer paints every movie in its own colours and proportions, whatever its pixel
// format: a day's movie folder clicked in the day list opens the drawer, and each movie clicked
// in the drawer's list shows its four coloured quadrants where they belong.

#include <QDockWidget>
#include <QTableWidget>

#include <cstdlib>

#include "app_fixture.h"
#include "support/test_movie.h"
#include "tools/ui/media_movie_view.h"

namespace {

using namespace app_test;
using pravella::test::becomesTrue;
using pravella::test::kQuadrantColours;

// Generous: the first movie loads the media backend and our decoder.
constexpr int kLoadWait = 30000;
// Per channel: JPEG and the scaling to the view blur a little, even at a quadrant's middle.
constexpr int kTolerance = 24;

struct Clip {
  const char* name;
  const char* codec;
  const char* pixelFormat;
  int width, height, frames;
  QStringList extra;
  double pixelAspect;  // the width a pixel stands for
};

const Clip kClips[] = {
    {"a-mjpeg444.avi", "mjpeg", "yuvj444p", 64, 48, 3, {}, 1},
    {"b-mjpeg422.avi", "mjpeg", "yuvj422p", 64, 48, 3, {}, 1},
    {"c-mjpeg420-odd.avi", "mjpeg", "yuvj420p", 65, 49, 3, {}, 1},
    {"d-ffv1-420.mkv", "ffv1", "yuv420p", 64, 48, 3, {}, 1},
    {"e-ffv1-444-one.mkv", "ffv1", "yuv444p", 64, 48, 1, {}, 1},
    {"f-ffv1-bgr0.mkv", "ffv1", "bgr0", 64, 48, 3, {}, 1},
    {"g-ffv1-wide-pixels.mkv", "ffv1", "yuv420p", 64, 48, 3, {"-vf", "setsar=2/1"}, 2},
    {"h-mjpeg-1920x1080.avi", "mjpeg", "yuvj420p", 1920, 1080, 1, {}, 1},
};

class MovieDrawerColours : public App {
 protected:
  void SetUp() override {
    // The movies are in today's day folder before the application lists it.
    folder_ = pravella::paths::dayFolder(QDate::currentDate().year(), QDate::currentDate().month(),
                                         QDate::currentDate().day()) +
              "/clips.movd";
    QDir().mkpath(folder_);
    for (const Clip& c : kClips)
      ASSERT_TRUE(pravella::test::writeQuadrantMovie(folder_ + "/" + c.name, c.codec, c.pixelFormat, c.width,
                                                     c.height, c.frames, c.extra))
          << c.name;
    App::SetUp();
  }

  QTableWidget* dayList() { return window().diaryFileField(); }
  QDockWidget* drawer() { return window().findChild<QDockWidget*>("movieDrawer"); }
  QTableWidget* movieList() { return drawer() ? drawer()->findChild<QTableWidget*>() : nullptr; }
  pravella::tools::MediaMovieView* view() {
    return drawer() ? drawer()->findChild<pravella::tools::MediaMovieView*>() : nullptr;
  }
  static void click(QTableWidget* table, int row, int column) {
    table->scrollToItem(table->item(row, column));
    const QRect cell = table->visualItemRect(table->item(row, column));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  }
  int rowOf(QTableWidget* table, int column, const QString& text) {
    for (int r = 0; r < table->rowCount(); ++r)
      if (table->item(r, column) && table->item(r, column)->text() == text) return r;
    return -1;
  }

  // How far the screen's picture is from the clip's quadrants (largest channel difference), and
  // how far its shown proportions are from the clip's, in pixels of height.
  struct Shown {
    int colourError = 999;
    double shapeError = 999;
    QString what;
  };
  Shown shownNow(const Clip& c) {
    Shown result;
    QWidget* screen = view()->layout()->itemAt(0)->widget();
    const QImage image = screen->grab().toImage();
    // The picture: what is not the black around it.
    QRect picture;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (qRed(image.pixel(x, y)) + qGreen(image.pixel(x, y)) + qBlue(image.pixel(x, y)) > 60)
          picture |= QRect(x, y, 1, 1);
    if (picture.width() < 8 || picture.height() < 8) return result;
    result.shapeError = std::abs(picture.height() - picture.width() * c.height / (c.width * c.pixelAspect));
    int worst = 0;
    for (int q = 0; q < 4; ++q) {
      const QPoint at(picture.left() + picture.width() * (q % 2 ? 3 : 1) / 4,
                      picture.top() + picture.height() * (q < 2 ? 1 : 3) / 4);
      const QRgb got = image.pixel(at);
      const int channels[3] = {qRed(got), qGreen(got), qBlue(got)};
      for (int i = 0; i < 3; ++i) worst = std::max(worst, std::abs(channels[i] - kQuadrantColours[q][i]));
      result.what += QStringLiteral(" (%1,%2,%3)").arg(channels[0]).arg(channels[1]).arg(channels[2]);
    }
    result.colourError = worst;
    result.what += QStringLiteral(" in %1x%2").arg(picture.width()).arg(picture.height());
    return result;
  }

  QString folder_;
};

TEST_F(MovieDrawerColours, EveryPixelFormatShowsItsOwnColoursAndProportions) {
  const int row = rowOf(dayList(), 1, "clips.movd");
  ASSERT_GE(row, 0);
  click(dayList(), row, 1);
  ASSERT_TRUE(becomesTrue([&] { return shown(drawer()) && view() && movieList(); }, kLoadWait));
  ASSERT_EQ(movieList()->rowCount(), static_cast<int>(std::size(kClips)));
  // A drawer as large as the test's screen allows, so that the picture is larger than the clip.
  drawer()->resize(std::max(drawer()->width(), 300), std::max(drawer()->height(), 400));

  for (int i = 0; i < static_cast<int>(std::size(kClips)); ++i) {
    const Clip& c = kClips[i];
    SCOPED_TRACE(c.name);
    const int listed = rowOf(movieList(), 0, c.name);
    ASSERT_GE(listed, 0);
    click(movieList(), listed, 0);
    ASSERT_TRUE(
        becomesTrue([&] { return view()->file().endsWith(c.name) && view()->isLoaded(); }, kLoadWait));
    Shown last;
    EXPECT_TRUE(becomesTrue(
        [&] {
          last = shownNow(c);
          return last.colourError <= kTolerance && last.shapeError <= 1.5;
        },
        kLoadWait))
        << "colour error " << last.colourError << ", shape error " << last.shapeError << ":" << s(last.what);
  }
}

}  // namespace
