// The movie drawer on real widgets and the media backend: listing by name, stepping with
// wrap-around by the list's keys, playing test-made MJPG movies, a file that is no movie, the
// folder panel, and Delete into the Trash.

#include "tools/pictures/ui/cal_movie_view.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <memory>
#include <string>
#include <vector>

#include "diary/diary_globals.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "support/test_home.h"
#include "support/test_movie.h"
#include "support/wait_for.h"
#include "tools/ui/media_movie_view.h"

namespace {

using pravella::NotificationCenter;
using pravella::test::becomesTrue;
using pravella::tools::MediaMovieView;

// Generous: the first movie loads the backend.
constexpr int kLoadWait = 20000;

class MovieDrawer : public testing::Test {
 protected:
  void SetUp() override {
    dialogs = std::make_shared<pravella::dialogs::Scripted>();
    pravella::dialogs::setHandler(dialogs);
    pravella::DeskToolHost host;
    host.closeAllToggleView = [this] {
      ++closes;
      drawer->movieDrawer()->hide();  // as the side views do with every dock given to them
    };
    host.setToggleStatus = [this](int s) { return std::exchange(toggle, s); };
    host.nowDisplayedFileOnMemoSheet = [this] { return shown; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    drawer = std::make_unique<CalMovieView>(host);
    drawer->awakeFromNib();
  }
  void TearDown() override {
    drawer.reset();
    pravella::dialogs::setHandler(nullptr);
    SheetCanOpen = 1;
  }

  // A folder holding the movies `movies` (MJPG, whatever the extension) and the files `others`.
  QString folder(const QString& name, const QStringList& movies, const QStringList& others = {}) {
    const QString dir = pravella::test::home() + "/" + name;
    QDir().mkpath(dir);
    for (const QString& movie : movies) EXPECT_TRUE(pravella::test::writeGreyMovie(dir + "/" + movie, 10));
    for (const QString& other : others) {
      QFile file(dir + "/" + other);
      EXPECT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("not a movie\n");
    }
    return dir;
  }
  QStringList listed() const {
    QStringList names;
    for (const QString& path : drawer->movieListArray()) names << QFileInfo(path).fileName();
    return names;
  }
  void key(int k) { QTest::keyClick(drawer->movieListView(), static_cast<Qt::Key>(k)); }
  MediaMovieView* view() const { return drawer->movieView(); }
  QMediaPlayer* player() const { return qobject_cast<QMediaPlayer*>(view()->player()); }

  std::shared_ptr<pravella::dialogs::Scripted> dialogs;
  std::unique_ptr<CalMovieView> drawer;
  int closes = 0;
  int toggle = 0;
  QString shown;
  std::vector<std::string> sounds;
};

TEST_F(MovieDrawer, AMovieFolderDocumentListsItsFilesAndANonMovieShowsNothing) {
  shown = folder("clips.movd", {"a.mov"}, {"notes.txt", ".DS_Store", "README"});
  NotificationCenter::defaultCenter().post("openMovieSheet");
  EXPECT_TRUE(drawer->movieDrawer()->isVisible());
  EXPECT_EQ(toggle, CalMovieView::kToggleNumber);
  EXPECT_EQ(sounds, std::vector<std::string>{"Tink"});
  EXPECT_EQ(drawer->nowMovieFilePath(), shown);
  EXPECT_EQ(listed(), QStringList({"a.mov", "notes.txt"}));
  EXPECT_EQ(drawer->selectedRow(), 0);
  EXPECT_EQ(view()->file(), shown + "/a.mov");
  ASSERT_TRUE(becomesTrue([&] { return view()->isLoaded(); }, kLoadWait));

  QSignalSpy failed(view(), &MediaMovieView::failed);
  key(Qt::Key_Down);
  EXPECT_EQ(drawer->selectedRow(), 1);
  ASSERT_TRUE(becomesTrue([&] { return failed.count() > 0; }, kLoadWait));
  // Taken out of the view (the backend's own status still names the movie before).
  ASSERT_TRUE(becomesTrue([&] { return view()->file().isEmpty(); }, kLoadWait));
  EXPECT_TRUE(player()->source().isEmpty());
  EXPECT_FALSE(view()->isPlaying());

  NotificationCenter::defaultCenter().post("cal_toggleMovieView");
  EXPECT_FALSE(drawer->movieDrawer()->isVisible());
  NotificationCenter::defaultCenter().post("cal_toggleMovieView");
  EXPECT_TRUE(drawer->movieDrawer()->isVisible());
}

TEST_F(MovieDrawer, StepsWrapAroundAndPlay) {
  shown = folder("two.movd", {"a.avi", "b.avi"});
  NotificationCenter::defaultCenter().post("cal_openMovieView");
  ASSERT_TRUE(becomesTrue([&] { return view()->isLoaded(); }, kLoadWait));
  ASSERT_TRUE(becomesTrue([&] { return view()->isPlaying() || player()->position() > 0; }, kLoadWait));

  key(Qt::Key_Up);  // above the first: the last
  EXPECT_EQ(drawer->selectedRow(), 1);
  EXPECT_EQ(view()->file(), shown + "/b.avi");
  key(Qt::Key_Down);  // below the last: the first, playing
  EXPECT_EQ(drawer->selectedRow(), 0);
  EXPECT_EQ(player()->source(), QUrl::fromLocalFile(shown + "/a.avi"));
  ASSERT_TRUE(becomesTrue([&] { return player()->position() > 0; }, kLoadWait));
  EXPECT_TRUE(view()->isPlaying());

  // Return plays the selection again after a pause.
  view()->pause();
  EXPECT_FALSE(view()->isPlaying());
  key(Qt::Key_Return);
  EXPECT_TRUE(view()->isPlaying());
}

TEST_F(MovieDrawer, DeleteMovesTheFileToTheTrashAndRemoveKeepsIt) {
  const QString dir = folder("three.movd", {"a.avi", "b.avi", "c.avi"});
  shown = dir;
  NotificationCenter::defaultCenter().post("openMovieSheet");
  key(Qt::Key_Down);
  drawer->deleteAction();
  EXPECT_FALSE(QFileInfo::exists(dir + "/b.avi"));
  EXPECT_TRUE(QFileInfo::exists(pravella::paths::trash() + "/files/b.avi"));
  EXPECT_EQ(listed(), QStringList({"a.avi", "c.avi"}));
  EXPECT_EQ(drawer->selectedRow(), 1);  // the next one takes its place
  EXPECT_EQ(view()->file(), dir + "/c.avi");

  drawer->reMoveAction();
  EXPECT_EQ(listed(), QStringList{"a.avi"});
  EXPECT_TRUE(QFileInfo::exists(dir + "/c.avi"));
  EXPECT_EQ(view()->file(), dir + "/a.avi");
  drawer->reMoveAction();
  EXPECT_TRUE(listed().isEmpty());
  EXPECT_TRUE(view()->file().isEmpty());
  drawer->deleteAction();  // nothing selected: nothing happens
  EXPECT_TRUE(QFileInfo::exists(dir + "/a.avi"));
}

TEST_F(MovieDrawer, TheFolderPanelOpensAFolderWithFilesOnly) {
  const QString empty = pravella::test::home() + "/empty";
  QDir().mkpath(empty);
  dialogs->paths = {empty, folder("clips", {"a.avi"})};
  drawer->selectFolderAction();
  EXPECT_FALSE(drawer->movieDrawer()->isVisible());  // no files: the drawer as it was
  EXPECT_TRUE(sounds.empty());
  drawer->selectFolderAction();
  EXPECT_TRUE(drawer->movieDrawer()->isVisible());
  EXPECT_EQ(listed(), QStringList{"a.avi"});
  EXPECT_EQ(toggle, CalMovieView::kToggleNumber);
  ASSERT_EQ(dialogs->asked.size(), 2);
  EXPECT_EQ(dialogs->asked[0], "Select Movie Folder !: ");
  EXPECT_EQ(dialogs->asked[1], "Select Movie Folder !: " + empty);

  // While sheets may not open, the drawer stays as it is.
  drawer->movieDrawer()->hide();
  SheetCanOpen = 0;
  NotificationCenter::defaultCenter().post("openMovieSheet");
  drawer->reLoadAction();
  EXPECT_FALSE(drawer->movieDrawer()->isVisible());
}

// A 4:3 clip in a drawer narrower than the clip shows whole, scaled to fit the view: its right
// edge and its top-left corner both show, where the picture is as wide as the view.
TEST_F(MovieDrawer, AClipWiderThanTheDrawerShowsWholeScaledToFit) {
  const QString dir = pravella::test::home() + "/wide.movd";
  QDir().mkpath(dir);
  ASSERT_TRUE(pravella::test::writeEdgedMovie(dir + "/clip.avi", 20, 640, 480));
  shown = dir;
  drawer->movieDrawer()->resize(200, 700);
  NotificationCenter::defaultCenter().post("openMovieSheet");
  ASSERT_TRUE(becomesTrue([&] { return view()->isLoaded(); }, kLoadWait));
  QWidget* screen = view()->layout()->itemAt(0)->widget();
  ASSERT_NE(screen, nullptr);
  ASSERT_LT(screen->width(), 640);
  // The whole frame as large as fits, centred.
  const QSize fitted = QSize(640, 480).scaled(screen->size(), Qt::KeepAspectRatio);
  const QRect frame(QPoint((screen->width() - fitted.width()) / 2, (screen->height() - fitted.height()) / 2),
                    fitted);
  const auto bright = [](const QImage& image, QPoint at) { return qGray(image.pixel(at)) > 200; };
  QImage shownImage;
  EXPECT_TRUE(becomesTrue(
      [&] {
        shownImage = screen->grab().toImage();
        return bright(shownImage, {frame.right() - 2, frame.center().y()}) &&
               bright(shownImage, {frame.left() + 2, frame.top() + 2}) && !bright(shownImage, frame.center());
      },
      kLoadWait))
      << "frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << " in "
      << screen->width() << "x" << screen->height();
  // Nothing of the clip shows outside that frame.
  if (frame.right() + 3 < screen->width()) {
    EXPECT_FALSE(bright(shownImage, {frame.right() + 3, frame.center().y()}));
  }
}

}  // namespace
