// The launcher drawer and the to-do window on real widgets: drops, keys and double clicks
// reaching the opener, categories chosen by programs, memos that follow their items, and the
// to-do list kept across quits.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "diary/diary_globals.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/folder_snapshot.h"
#include "support/recording_opener.h"
#include "support/test_home.h"
#include "tools/bookmarks/ui/cal_launcher.h"
#include "tools/bookmarks/ui/cal_todo.h"

namespace {

using pravella::NotificationCenter;

class Launcher : public testing::Test {
 protected:
  void SetUp() override {
    CalLauncher::Host host;
    host.closeAllToggleView = [this] { ++closes; };
    host.setToggleStatus = [this](int s) { return std::exchange(toggle, s); };
    host.toggleStatus = [this] { return toggle; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    host.open = [this](const QString& what) {
      opened << what;
      return true;
    };
    host.reveal = [this](const QString& what) {
      revealed << what;
      return true;
    };
    host.addSideView = [this](QDockWidget* dock) { window.addDockWidget(Qt::RightDockWidgetArea, dock); };
    launcher = std::make_unique<CalLauncher>(host);
    launcher->awakeFromNib();
    launcher->showLauncherAction();
  }
  void TearDown() override { SheetCanOpen = 1; }

  QString file(const QString& name, const QByteArray& text = "x") {
    const QString path = pravella::test::home() + "/files/" + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
  }
  // A drop of files on the table, as the file manager makes it.
  void dropFiles(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    QWidget* viewport = launcher->launcherField()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
  }
  QStringList rows() const {
    QStringList names;
    for (int r = 0; r < launcher->launcherField()->rowCount(); ++r) names << launcher->launcherField()->item(r, 0)->text();
    return names;
  }
  void select(int row) { launcher->launcherField()->selectRow(row); }

  QMainWindow window;
  std::unique_ptr<CalLauncher> launcher;
  int closes = 0;
  int toggle = 0;
  std::vector<std::string> sounds;
  QStringList opened, revealed;
};

TEST_F(Launcher, DroppedFilesSurviveARestartAndOpenByKeysAndDoubleClick) {
  EXPECT_EQ(toggle, CalLauncher::kToggleNumber);
  const QString a = file("a.txt"), b = file("b.txt");
  dropFiles({a, b, a});
  EXPECT_EQ(rows(), (QStringList{"b.txt", "a.txt"}));
  EXPECT_EQ(launcher->selectedRow(), 0);

  // A restart reads them back.
  launcher.reset();
  SetUp();
  EXPECT_EQ(rows(), (QStringList{"b.txt", "a.txt"}));

  select(1);
  QTest::keyClick(launcher->launcherField(), Qt::Key_Return);
  select(0);
  QTest::mouseDClick(launcher->launcherField()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
  EXPECT_EQ(opened, (QStringList{a, b})) << opened.join(' ').toStdString();
  // With nothing selected a double click opens nothing.
  launcher->launcherField()->clearSelection();
  QTest::mouseDClick(launcher->launcherField()->viewport(), Qt::LeftButton, {}, QPoint(5, 500));
  EXPECT_EQ(opened.size(), 2);

  // Backspace alone deletes nothing; with Shift it deletes the selected item.
  select(0);
  QTest::keyClick(launcher->launcherField(), Qt::Key_Backspace);
  EXPECT_EQ(rows().size(), 2);
  QTest::keyClick(launcher->launcherField(), Qt::Key_Backspace, Qt::ShiftModifier);
  EXPECT_EQ(rows(), QStringList{"a.txt"});
  select(0);
  launcher->showFileOnFinderAction();
  EXPECT_EQ(revealed, QStringList{a});
}

TEST_F(Launcher, RowsDragAsLauncherLinksAndReorderWithinTheTable) {
  dropFiles({file("1.txt"), file("2.txt"), file("3.txt")});
  ASSERT_EQ(rows(), (QStringList{"3.txt", "2.txt", "1.txt"}));
  auto* table = launcher->launcherField();
  std::unique_ptr<QMimeData> dragged(table->model()->mimeData({table->model()->index(2, 0)}));
  ASSERT_TRUE(dragged);
  EXPECT_EQ(dragged->text(), " [LNC:0:1.txt] ");
  EXPECT_EQ(dragged->data(CalLauncher::kPboardType), "2");
  EXPECT_TRUE(launcher->reorder(2, 0));
  EXPECT_EQ(rows(), (QStringList{"1.txt", "3.txt", "2.txt"}));
  EXPECT_EQ(launcher->selectedRow(), 0);
  // Below the last row is refused.
  EXPECT_FALSE(launcher->reorder(0, 3));
  EXPECT_FALSE(launcher->reorder(0, -1));
}

TEST_F(Launcher, ProgramsSelectCategoriesByNumber) {
  for (const char* ignored : {"20", "-1", "x"}) {
    NotificationCenter::defaultCenter().post("cal_selectLauncherCategory", ignored);
    EXPECT_EQ(launcher->nowCategory(), 0) << ignored;
  }
  NotificationCenter::defaultCenter().post("cal_selectLauncherCategory", "7");
  EXPECT_EQ(launcher->nowCategory(), 7);
  EXPECT_TRUE(launcher->categoryCell(7)->isChecked());
}

TEST_F(Launcher, MemosFollowTheirItemsAndStayWhileAnotherItemUsesThem) {
  const QString a = file("one/note.txt"), b = file("two/note.txt");
  dropFiles({a, b});  // two items of one file name in category 0: one memo
  select(0);
  launcher->launcherMemoField()->setPlainText("remember");
  EXPECT_TRUE(launcher->memoDidChange());
  select(1);  // saves the memo on leaving
  const QString memo0 = pravella::launcher::memoFileFor(a, 0);
  ASSERT_TRUE(QFileInfo(memo0).isDir());
  EXPECT_EQ(launcher->launcherMemoField()->toPlainText(), "remember");

  // Refiling one of them keeps the shared memo for the other, and the moved one takes a copy.
  launcher->changeCategory(launcher->categoryCell(2)->text());
  EXPECT_EQ(launcher->nowCategory(), 2);
  EXPECT_TRUE(QFileInfo(memo0).isDir());
  EXPECT_TRUE(QFileInfo(pravella::launcher::memoFileFor(a, 2)).isDir());
  // Refiling into a category that holds the path already: refused.
  sounds.clear();
  select(0);
  launcher->changeCategory(launcher->categoryCell(2)->text());
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});

  // Deleting the last item of category 0 with that name removes the memo; before, not.
  launcher->selectLauncherCategory("0");
  select(0);
  launcher->deleteAction();
  EXPECT_FALSE(QFileInfo::exists(memo0));
}

// A save the memo did not ask for (a program's, the calendar's) leaves the memo its item's: what
// is typed after it is saved with the next one, not taken in and lost.
TEST_F(Launcher, TypingAfterASaveIsSavedWithTheNext) {
  const QString a = file("a.txt");
  dropFiles({a});
  select(0);
  QTextEdit* memo = launcher->launcherMemoField();
  memo->setFocus();
  memo->moveCursor(QTextCursor::End);
  QTest::keyClicks(memo, "one");
  NotificationCenter::defaultCenter().post("cal_saveLauncherMemo");
  QTest::keyClicks(memo, " two");
  NotificationCenter::defaultCenter().post("cal_saveLauncherMemo");
  EXPECT_TRUE(pravella::plainTextOfRichTextFile(pravella::launcher::memoFileFor(a, 0)).endsWith("one two"));
}

TEST_F(Launcher, AFailedMemoWriteKeepsTheEditToSaveLater) {
  dropFiles({file("a.txt")});
  select(0);
  launcher->launcherMemoField()->setPlainText("keep me");
  // The memo folder made impossible: a file in its place.
  QDir(pravella::launcher::memoFolder()).removeRecursively();
  QFile blocker(pravella::launcher::memoFolder());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  sounds.clear();
  launcher->saveLauncherMemo();
  EXPECT_TRUE(launcher->memoDidChange());
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});
  QFile::remove(pravella::launcher::memoFolder());
  QDir().mkpath(pravella::launcher::memoFolder());
  launcher->saveLauncherMemo();
  EXPECT_FALSE(launcher->memoDidChange());
  QTextDocument back;
  ASSERT_TRUE(pravella::readRichTextFile(pravella::launcher::memoFileFor(file("a.txt"), 0), back));
  EXPECT_EQ(back.toPlainText(), "keep me");
}

TEST_F(Launcher, WebShortcutsGoToTheDesktopOpenerAsOneArgument) {
  pravella::test::RecordingOpener xdg;
  CalLauncher::Host host;
  CalLauncher real(host);
  real.awakeFromNib();
  real.showLauncherAction();
  const QString site = file("site.url", "[InternetShortcut]\nURL=https://example.org/?q=a b\n");
  real.addByDrop({site});
  real.launcherField()->selectRow(0);
  real.launchFileAtLaunchFileList();
  EXPECT_EQ(xdg.recorded(), "1\nhttps://example.org/?q=a b\n");
}

// With no item chosen the memo belongs to no file: what is typed, pasted or dropped there is
// refused aloud ("Basso" and the status line), and nothing is written.
TEST_F(Launcher, TheMemoWithNoItemChosenRefusesTypingPastesAndDropsAloud) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTextEdit* memo = launcher->launcherMemoField();
  const QString shown = memo->toPlainText();
  const auto before = pravella::test::FolderSnapshot::of(pravella::paths::preferences());
  QGuiApplication::clipboard()->setText("pasted");
  QMimeData dropped;
  dropped.setText("dropped");
  const std::function<void()> inputs[] = {
      [&] { QTest::keyClicks(memo, "typed"); },
      [&] { QTest::keySequence(memo, QKeySequence::Paste); },
      [&] {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(memo->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(memo->viewport(), &drop);
        EXPECT_FALSE(drop.isAccepted());
      },
  };
  for (const auto& input : inputs) {
    sounds.clear();
    window.statusBar()->clearMessage();
    memo->setFocus();
    input();
    EXPECT_EQ(memo->toPlainText(), shown);
    EXPECT_EQ(sounds.size() > 0 ? sounds.front() : std::string(), "Basso");
    EXPECT_TRUE(window.statusBar()->currentMessage().contains("choose an item"))
        << window.statusBar()->currentMessage().toStdString();
  }
  launcher->saveLauncherMemo();
  EXPECT_TRUE(before.unchanged());
}

TEST(ToDo, EditsAreWrittenAtQuitAndCloseAndAFailedWriteKeepsTheMark) {
  QWidget main;
  main.setGeometry(20, 80, 300, 300);  // room for the window on its right
  main.show();
  CalToDo::Host host;
  host.mainWindow = [&main]() -> QWidget* { return &main; };
  std::vector<std::string> sounds;
  host.playSound = [&sounds](const char* name) { sounds.emplace_back(name); };
  auto toDo = std::make_unique<CalToDo>(host);
  toDo->awakeFromNib();

  // Quitting without an edit writes nothing.
  NotificationCenter::defaultCenter().post("writeToDoMemoWhenApplicationTerminate");
  EXPECT_FALSE(QFileInfo::exists(CalToDo::memoFile()));

  NotificationCenter::defaultCenter().post("cal_openToDoWindow", " ");
  const QRect frame = main.frameGeometry();
  EXPECT_EQ(toDo->toDoWindow()->pos(), QPoint(frame.right() + 1 + 5, frame.top()));
  toDo->toDoWindow()->move(0, 0);
  toDo->openToDoWindowAction();
  EXPECT_EQ(toDo->toDoWindow()->pos(), QPoint(frame.right() + 1 + 5, frame.top()));

  // A failed write keeps the edited mark and says so.
  QDir(pravella::paths::preferences()).removeRecursively();
  QDir().mkpath(pravella::paths::diary());
  QFile blocker(pravella::paths::preferences());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the document's folder goes
  blocker.close();
  QTest::keyClicks(toDo->toDoMemoView(), "buy milk");
  EXPECT_TRUE(toDo->toDoWindow()->isWindowModified());
  NotificationCenter::defaultCenter().post("writeToDoMemoWhenApplicationTerminate");
  EXPECT_TRUE(toDo->toDoMemoDidChange());
  EXPECT_TRUE(toDo->toDoWindow()->isWindowModified());
  EXPECT_EQ(sounds, std::vector<std::string>{"Basso"});

  // Closing the window writes it once the way is free, and a restart reads it.
  QFile::remove(pravella::paths::preferences());
  toDo->toDoWindow()->close();
  EXPECT_FALSE(toDo->toDoWindow()->isWindowModified());
  toDo.reset();
  CalToDo again(host);
  again.awakeFromNib();
  EXPECT_EQ(again.toDoMemoView()->toPlainText(), "buy milk");
}

}  // namespace
