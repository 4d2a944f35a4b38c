// The picture drawer on real widgets: listing and stepping with wrap-around, the slide show and
// its interval, the folder history, full screen, the Trash and the viewer.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "support/dialog_watchdog.h"
#include "support/folder_snapshot.h"
#include "support/recording_opener.h"
#include "support/test_home.h"
#include "support/wait_for.h"
#include "tools/pictures/ui/cal_pict_view.h"
#include "tools/pictures/ui/full_screen_window.h"
#include "tools/pictures/ui/pict_image_view.h"

namespace {

using pravella::NotificationCenter;
using pravella::test::becomesEqual;

class PictDrawer : public testing::Test {
 protected:
  void SetUp() override {
    pravella::DeskToolHost host;
    host.closeAllToggleView = [this] { ++closes; };
    host.setToggleStatus = [this](int s) { return std::exchange(toggle, s); };
    host.toggleStatus = [this] { return toggle; };
    host.nowDisplayedFileOnMemoSheet = [this] { return shown; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    drawer = std::make_unique<CalPictView>(host);
    drawer->awakeFromNib();
  }
  void TearDown() override { SheetCanOpen = 1; }

  // A folder of pictures named `names` (each 4 x 3 + its index wide), plus the other files.
  QString folder(const QString& name, const QStringList& names) {
    const QString dir = pravella::test::home() + "/" + name;
    QDir().mkpath(dir);
    for (int i = 0; i < names.size(); ++i) {
      QImage image(4 + i, 3, QImage::Format_RGB32);
      image.fill(Qt::red);
      EXPECT_TRUE(image.save(dir + "/" + names[i], names[i].endsWith(".png") ? "PNG" : "JPEG"));
    }
    return dir;
  }
  int shownWidth() const { return drawer->pictView()->image().width(); }

  std::unique_ptr<CalPictView> drawer;
  int closes = 0;
  int toggle = 0;
  QString shown;
  std::vector<std::string> sounds;
};

TEST_F(PictDrawer, MakesThePictureFolderAndOpensOnIt) {
  EXPECT_TRUE(QFileInfo(pravella::test::home() + "/Documents/PravellaImage").isDir());
  EXPECT_NE(QDir::currentPath(), pravella::test::home() + "/Documents/PravellaImage");  // never entered
  NotificationCenter::defaultCenter().post("cal_openPictView");
  EXPECT_TRUE(drawer->pictDrawer()->isVisible());
  EXPECT_EQ(toggle, CalPictView::kToggleNumber);
  EXPECT_EQ(drawer->folderRireki(), QStringList{pravella::test::home() + "/Documents/PravellaImage"});
  NotificationCenter::defaultCenter().post("cal_togglePictView");
  EXPECT_FALSE(drawer->pictDrawer()->isVisible());
  // A .pictd document on the memo sheet is the folder shown.
  shown = folder("trip.pictd", {"a.jpg"});
  NotificationCenter::defaultCenter().post("openPictViewAction");
  EXPECT_EQ(drawer->nowPictFilePath(), shown);
  EXPECT_EQ(drawer->pictListArray(), QStringList{shown + "/a.jpg"});
  SheetCanOpen = 0;
  drawer->closePictViewAction();
  NotificationCenter::defaultCenter().post("cal_openPictView");
  EXPECT_FALSE(drawer->pictDrawer()->isVisible());
}

TEST_F(PictDrawer, StepsWrapAroundAndAnEmptyListDoesNothing) {
  const QString dir = folder("pics", {"a.jpg", "b.png", "c.jpg"});
  NotificationCenter::defaultCenter().post("openPictImageFolder", dir);
  ASSERT_EQ(drawer->pictListArray().size(), 3);
  EXPECT_EQ(drawer->selectedRow(), 0);
  EXPECT_EQ(drawer->listField()->item(0, 0)->text(), QFileInfo(drawer->pictListArray()[0]).fileName());
  EXPECT_EQ(drawer->listField()->horizontalHeaderItem(0)->text(), "list");
  struct Step {
    const char* notification;
    int row;
  };
  const Step steps[] = {{"pictListUp", 2}, {"pictListDown", 0}, {"pictListDown", 1}, {"pictListDown", 2},
                        {"pictListDown", 0}};
  for (const Step& s : steps) {
    NotificationCenter::defaultCenter().post(s.notification);
    EXPECT_EQ(drawer->selectedRow(), s.row) << s.notification;
    EXPECT_EQ(drawer->pictSlider()->value(), s.row + 1);
    EXPECT_EQ(shownWidth(), QImage(drawer->pictListArray()[s.row]).width());
  }
  drawer->slideShowBack();
  EXPECT_EQ(drawer->selectedRow(), 2);
  drawer->slideShow();
  EXPECT_EQ(drawer->selectedRow(), 0);
  drawer->listField()->clearSelection();
  drawer->slideShow();  // no row: forward to the first
  EXPECT_EQ(drawer->selectedRow(), 0);

  const QString empty = folder("empty", {});
  drawer->openPictImageFolder(empty);
  EXPECT_TRUE(drawer->pictListArray().isEmpty());
  drawer->slideShow();
  drawer->slideShowBack();
  drawer->pictListDown();
  drawer->pictListUp();
  EXPECT_EQ(drawer->selectedRow(), -1);
  EXPECT_EQ(drawer->listField()->rowCount(), 0);
}

TEST_F(PictDrawer, AnUnreadablePictureShowsTheNoImagePicture) {
  const QString dir = folder("broken", {});
  QFile bad(dir + "/bad.jpg");
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write(QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + QByteArray(40, '\x01'));
  bad.close();
  drawer->openPictImageFolder(dir);
  ASSERT_EQ(drawer->pictListArray(), QStringList{dir + "/bad.jpg"});
  EXPECT_EQ(drawer->pictView()->image().size(), QImage(pravella::NoImageFilePath()).size());
}

TEST_F(PictDrawer, SlideShowRunsByKeysAndANewIntervalRestartsItForward) {
  const QString dir = folder("show", {"a.jpg", "b.jpg"});
  drawer->openPictImageFolder(dir);
  QTest::keyClick(drawer->listField(), Qt::Key_Left);
  EXPECT_TRUE(drawer->slideShowRunning());
  EXPECT_FALSE(drawer->slideShowForward());
  drawer->timeSlider()->setValue(5);
  drawer->timeSliderAction();
  EXPECT_TRUE(drawer->slideShowRunning());
  EXPECT_TRUE(drawer->slideShowForward());
  EXPECT_EQ(drawer->slideShowInterval(), 5000);
  // A step by key or the calendar closing its side views stops the timer.
  QTest::keyClick(drawer->listField(), Qt::Key_Down);
  EXPECT_FALSE(drawer->slideShowRunning());
  EXPECT_EQ(drawer->selectedRow(), 1);
  QTest::keyClick(drawer->listField(), Qt::Key_Right);
  EXPECT_TRUE(drawer->slideShowForward());
  NotificationCenter::defaultCenter().post("stopSlideShow");
  EXPECT_FALSE(drawer->slideShowRunning());
}

TEST_F(PictDrawer, FullScreenLetterboxesAndEscapeEndsIt) {
  const QString dir = folder("full", {"a.jpg", "b.jpg"});
  drawer->openPictImageFolder(dir);
  drawer->fullScreenSwitch()->setChecked(true);
  drawer->slideShowAction();
  drawer->slideShow();
  FullScreenWindow* window = drawer->fullScreenWindow();
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  const auto widthOf = [&](int row) { return QImage(drawer->pictListArray()[row]).width(); };
  EXPECT_EQ(window->view()->image().width(), widthOf(1));
  EXPECT_TRUE(drawer->slideShowRunning());  // a tick keeps the show going
  QTest::keyClick(window, Qt::Key_Up);
  EXPECT_FALSE(drawer->slideShowRunning());  // stopped, still full screen
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(drawer->selectedRow(), 0);
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(drawer->fullScreenSwitch()->isChecked());
  EXPECT_EQ(shownWidth(), widthOf(0));
}

TEST_F(PictDrawer, HistoryHoldsEachFolderOnceAndCycles) {
  const QString a = folder("a", {"1.jpg"});
  const QString b = folder("b", {"1.jpg", "2.jpg"});
  const QString image = pravella::test::home() + "/Documents/PravellaImage";
  drawer->openPictImageFolder(a);
  drawer->openPictImageFolder(b);
  drawer->openPictImageFolder(a);
  EXPECT_EQ(drawer->folderRireki(), (QStringList{a, b}));
  EXPECT_EQ(drawer->folderPathField()->count(), 2);
  drawer->nextAction();
  EXPECT_EQ(drawer->nowPictFilePath(), b);
  EXPECT_EQ(drawer->pictListArray().size(), 2);
  drawer->nextAction();  // past the last: the first
  EXPECT_EQ(drawer->nowPictFilePath(), a);
  drawer->beforeAction();  // before the first: the last
  EXPECT_EQ(drawer->nowPictFilePath(), b);
  drawer->folderPathField()->setEditText(image);
  drawer->nextAction();  // not in the history: nothing
  EXPECT_EQ(drawer->nowPictFilePath(), b);
  drawer->rirekiAction();  // typed folder is shown and joins the history
  EXPECT_EQ(drawer->nowPictFilePath(), image);
  EXPECT_EQ(drawer->folderRireki(), (QStringList{a, b, image}));
  drawer->rirekiClearAction();
  EXPECT_EQ(drawer->folderRireki(), QStringList{QDir::homePath()});
}

TEST_F(PictDrawer, DeletedPicturesGoToTheTrashWithTheNextFreeNumber) {
  const QString dir = folder("trash", {"x.jpg", "y.jpg"});
  const QString files = pravella::paths::trash() + "/files";
  // The Trash already holds x.jpg and x.001.jpg.
  for (int i = 0; i < 2; ++i) {
    const QString older = folder("older" + QString::number(i), {"x.jpg"});
    ASSERT_TRUE(pravella::moveToTrash(older + "/x.jpg").ok);
  }
  ASSERT_TRUE(QFile::exists(files + "/x.001.jpg"));
  drawer->openPictImageFolder(dir);
  const int row = static_cast<int>(drawer->pictListArray().indexOf(dir + "/x.jpg"));
  drawer->listField()->selectRow(row);
  drawer->deleteAction();
  EXPECT_FALSE(QFile::exists(dir + "/x.jpg"));
  EXPECT_TRUE(QFile::exists(files + "/x.002.jpg"));
  EXPECT_EQ(drawer->pictListArray(), QStringList{dir + "/y.jpg"});
  // Removing drops the entry only; the file stays.
  drawer->listField()->selectRow(0);
  drawer->removeAction();
  EXPECT_TRUE(drawer->pictListArray().isEmpty());
  EXPECT_TRUE(QFile::exists(dir + "/y.jpg"));
  // Delete All asks first, naming the pictures; Escape keeps them, only "Delete" moves them.
  drawer->openPictImageFolder(dir);
  {
    pravella::test::DialogWatchdog watchdog;
    watchdog.escape();
    const auto before = pravella::test::FolderSnapshot::of(dir);
    drawer->deleteAllAction();
    EXPECT_EQ(watchdog.answeredTexts(), QStringList{"Do you want to delete All Picture Files?\ny.jpg"});
    EXPECT_TRUE(before.unchanged());
  }
  drawer->setDeleteAllQuestion([] { return false; });
  drawer->deleteAllAction();
  EXPECT_TRUE(QFile::exists(dir + "/y.jpg"));
  drawer->setDeleteAllQuestion([] { return true; });
  drawer->deleteAllAction();
  EXPECT_FALSE(QFile::exists(dir + "/y.jpg"));
  EXPECT_TRUE(QFile::exists(files + "/y.jpg"));
  EXPECT_TRUE(drawer->pictListArray().isEmpty());
}

TEST_F(PictDrawer, ReturnOpensTheSelectedPictureInTheViewer) {
  pravella::test::RecordingOpener opener;
  const QString dir = folder("view", {"a.jpg"});
  drawer->openPictImageFolder(dir);
  QTest::keyClick(drawer->listField(), Qt::Key_Return);
  EXPECT_TRUE(becomesEqual([&] { return opener.recorded(); }, QString("1\n" + dir + "/a.jpg\n"), 5000));
}

TEST_F(PictDrawer, FoldersDroppedOnThePictureAreListedInTurn) {
  const QString a = folder("da", {"1.jpg"});
  const QString b = folder("db", {"1.jpg", "2.jpg"});
  drawer->pictView()->takeDroppedPaths({a, b});
  ASSERT_TRUE(becomesEqual([&] { return drawer->nowPictFilePath(); }, b));
  EXPECT_EQ(drawer->folderRireki(), (QStringList{a, b}));
}

TEST(PictImageViewPan, DraggingPansOnlyAtActualSizeAndTheOffsetStaysUntilReset) {
  PictImageView view;
  view.resize(200, 100);
  view.setImage(QImage(800, 600, QImage::Format_RGB32));
  const auto drag = [&](QPoint from, QPoint to) {
    QTest::mousePress(&view, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), view.mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
  };
  drag({50, 50}, {80, 60});  // fit mode: nothing moves
  EXPECT_EQ(view.xPoint(), QPointF());
  view.setActualSize(true);
  drag({50, 50}, {80, 60});
  EXPECT_EQ(view.xPoint(), QPointF(-30, -10));
  view.setActualSize(false);
  view.setActualSize(true);
  EXPECT_EQ(view.xPoint(), QPointF(-30, -10));
  view.resetPositionInImageView();
  EXPECT_EQ(view.xPoint(), QPointF());
}

}  // namespace
