#include "tools/finder/ui/finder_sheet_operations.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sound_player.h"
#include "support/folder_snapshot.h"
#include "support/test_home.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/fs_browser.h"

namespace {

using namespace pravella;

QString at(const QString& relative) { return test::home() + QLatin1Char('/') + relative; }

void writeFile(const QString& path, const QByteArray& data = "x") {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(data);
}

// The panels answer from a script; alerts are recorded with their buttons.
class Panels : public dialogs::Scripted {
 public:
  QStringList buttons;
  int alert(QWidget* parent, const QString& title, const QString& message, const QString& defaultButton,
            const QString& alternateButton, const QString& otherButton, int safeAnswer) override {
    buttons << defaultButton + "|" + alternateButton + "|" + otherButton;
    return Scripted::alert(parent, title, message, defaultButton, alternateButton, otherButton, safeAnswer);
  }
};

class FinderSheetFiles : public testing::Test {
 protected:
  void SetUp() override {
    dialogs::setHandler(panels);
    setSoundRecorder([this](const QString& name) { sounds << name; });
    FinderSheetAccess a;
    a.browsedPath = [this] { return browsed; };
    a.setBrowserPath = [this](const QString& p) {
      browsed = p;
      steps << "path " + QDir(test::home()).relativeFilePath(p);
    };
    a.reloadBrowser = [this] { steps << "reload"; };
    a.clearPreview = [this] { steps << "clear"; };
    a.previewBrowsed = [this] { steps << "preview"; };
    a.saveDocument = [this] { steps << "save"; };
    a.setFinderTextScrollView = [this] { steps << "text view"; };
    a.backButton = &back;
    a.forwardButton = &forward;
    a.markSwitch = &mark;
    a.progress = &progress;
    QObject::connect(&progress, &QProgressBar::valueChanged, [this](int v) { progressValues << v; });
    ops = std::make_unique<FinderSheetOperations>(a);
  }
  void TearDown() override {
    dialogs::setHandler(nullptr);
    setSoundRecorder(nullptr);
  }

  // What a click on a file in the browser does with the history.
  void show(const QString& path) {
    browsed = path;
    ops->addRireki(path);
  }

  std::shared_ptr<Panels> panels = std::make_shared<Panels>();
  QPushButton back, forward;
  QCheckBox mark;
  QProgressBar progress;
  QString browsed;
  QStringList steps, sounds;
  QList<int> progressValues;
  std::unique_ptr<FinderSheetOperations> ops;
};

TEST_F(FinderSheetFiles, HistoryStepsShowTheirItemsAgain) {
  for (const char* name : {"A.txt", "B.txt", "C.txt"}) writeFile(at(name));
  show(at("A.txt"));
  show(at("B.txt"));
  show(at("C.txt"));
  show(at("A.txt"));
  EXPECT_FALSE(forward.isEnabled());
  EXPECT_TRUE(back.isEnabled());
  steps.clear();
  ops->rirekiBeforeAction();
  EXPECT_EQ(steps, QStringList({"save", "path C.txt", "clear", "preview"}));
  ops->rirekiBeforeAction();
  EXPECT_EQ(browsed, at("B.txt"));
  EXPECT_FALSE(back.isEnabled());
  EXPECT_TRUE(forward.isEnabled());

  // A folder shown in the browser is no history entry.
  browsed = test::home();
  ops->addRireki(test::home());
  EXPECT_EQ(ops->history().entries(), QStringList({at("B.txt"), at("C.txt"), at("A.txt")}));
}

TEST_F(FinderSheetFiles, DeletingTheShownItemAsksTrashesItAndKeepsTheHistoryInside) {
  writeFile(at("docs/a.txt"), "1");
  writeFile(at("docs/b/a.txt"), "2");
  show(at("docs/b/a.txt"));
  show(at("docs/a.txt"));
  panels->alertAnswers = {dialogs::kDefault, dialogs::kOther};
  ops->deleteFileAction();  // cancelled
  EXPECT_TRUE(QFileInfo::exists(at("docs/a.txt")));
  steps.clear();
  ops->deleteFileAction();
  EXPECT_EQ(panels->asked, QStringList(2, "Delete : a.txt: Do you want to delete this document, \"a.txt\"?"));
  EXPECT_EQ(panels->buttons, QStringList(2, "Cancel||Delete"));
  EXPECT_EQ(steps, QStringList({"reload", "path docs", "clear"}));
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_EQ(ops->history().entries(), QStringList{at("docs/b/a.txt")});
  EXPECT_EQ(ops->history().current(), 0);

  // The second of the same name is numbered in the Trash.
  browsed = at("docs/b/a.txt");
  panels->alertAnswers = {dialogs::kOther};
  ops->deleteFileAction();
  QFile numbered(paths::trash() + "/files/a.001.txt");
  ASSERT_TRUE(numbered.open(QIODevice::ReadOnly));
  EXPECT_EQ(numbered.readAll(), "2");
  EXPECT_EQ(ops->history().current(), -1);
}

TEST_F(FinderSheetFiles, AFailedTrashIsSaidAndTheItemStays) {
  writeFile(at("keep.txt"));
  writeFile(paths::trash(), "a file where the Trash folder belongs");
  show(at("keep.txt"));
  panels->alertAnswers = {dialogs::kOther};
  ops->deleteFileAction();
  ASSERT_EQ(panels->asked.size(), 2);
  EXPECT_TRUE(panels->asked[1].startsWith("Delete : keep.txt: ")) << panels->asked[1].toStdString();
  EXPECT_TRUE(QFileInfo::exists(at("keep.txt")));
  EXPECT_EQ(ops->history().entries(), QStringList{at("keep.txt")});
}

TEST_F(FinderSheetFiles, MarkedItemsMoveIntoTheChosenFolderCountingDown) {
  writeFile(at("one/name.ext"), "first");
  writeFile(at("two/name.ext"), "second");
  QDir().mkpath(at("into"));
  ops->moveMarkedFiles();  // no marks: no panel
  EXPECT_TRUE(panels->asked.isEmpty());

  browsed = at("one/name.ext");
  mark.setChecked(true);
  ops->MarkSwitchAction();
  ops->addMarkWithPath(at("two/name.ext"));
  EXPECT_TRUE(ops->checkMark(at("one/name.ext")));
  EXPECT_TRUE(mark.isChecked());
  panels->paths = {at("into")};
  steps.clear();
  progressValues.clear();
  ops->moveMarkedFiles();
  EXPECT_EQ(panels->asked, QStringList{"Select Folder !: " + at("one")});
  EXPECT_TRUE(QFileInfo::exists(at("into/name.ext")));
  EXPECT_TRUE(QFileInfo::exists(at("into/name.001.ext")));
  EXPECT_EQ(progress.maximum(), 2);
  EXPECT_EQ(progressValues, (QList<int>{2, 1, 0}));
  EXPECT_TRUE(ops->marks().isEmpty());
  EXPECT_FALSE(mark.isChecked());
  EXPECT_EQ(steps, QStringList({"reload", "path one", "text view"}));
  EXPECT_EQ(sounds, QStringList{"Tink"});
}

TEST_F(FinderSheetFiles, AFailedMoveKeepsTheMarkAndSaysBasso) {
  writeFile(at("box/inner.txt"));
  QDir().mkpath(at("box/sub"));
  browsed = at("box");
  ops->addMarkWithPath(at("box"));  // into its own subfolder: the file system refuses
  panels->paths = {at("box/sub")};
  ops->moveMarkedFiles();
  EXPECT_EQ(ops->marks().entries(), QStringList{at("box")});
  EXPECT_EQ(sounds, QStringList{"Basso"});
}

TEST_F(FinderSheetFiles, MarkedItemsGoToTheTrashAfterTheQuestion) {
  writeFile(at("x/a.txt"));
  writeFile(at("y/a.txt"));
  browsed = at("x/a.txt");
  ops->addMarkWithPath(at("x/a.txt"));
  ops->addMarkWithPath(at("y/a.txt"));
  panels->alertAnswers = {dialogs::kDefault, dialogs::kOther};
  ops->deleteMarkedFiles();  // cancelled
  EXPECT_EQ(ops->marks().size(), 2);
  ops->deleteMarkedFiles();
  EXPECT_EQ(panels->asked, QStringList(2, "Delete: Do you want to delete All Marked Files?\n" +
                                              at("x/a.txt") + "\n" + at("y/a.txt")));
  EXPECT_EQ(panels->buttons, QStringList(2, "Cancel||Delete"));
  EXPECT_TRUE(ops->marks().isEmpty());
  EXPECT_TRUE(QFileInfo::exists(paths::trash() + "/files/a.txt"));
  EXPECT_TRUE(QFileInfo::exists(paths::trash() + "/files/a.001.txt"));
  EXPECT_EQ(sounds, QStringList{"Tink"});
  EXPECT_EQ(browsed, at("x"));

  // Unmarking and emptying the marks touch no file.
  ops->addMarkWithPath(at("x"));
  ops->deleteMarkWithPath(at("x"));
  EXPECT_FALSE(mark.isChecked());
  ops->addMarkWithPath(at("x"));
  ops->deleteMarkAction();
  EXPECT_TRUE(ops->marks().isEmpty());
  EXPECT_TRUE(QFileInfo::exists(at("x")));
}

TEST_F(FinderSheetFiles, DuplicatesAndTheNewFolder) {
  writeFile(at("d/notes.txt"), "n");
  writeFile(at("d/Photos/p.jpg"), "p");
  browsed = at("d/notes.txt");
  ops->dupulicateAction();  // a file: no question
  EXPECT_TRUE(QFileInfo::exists(at("d/notes.cpy001.txt")));
  EXPECT_TRUE(panels->asked.isEmpty());
  EXPECT_EQ(browsed, at("d/notes.txt"));

  browsed = at("d/Photos");
  panels->alertAnswers = {dialogs::kDefault, dialogs::kOther};
  ops->dupulicateAction();
  EXPECT_FALSE(QFileInfo::exists(at("d/Photos.cpy001")));
  ops->dupulicateAction();
  EXPECT_TRUE(QFileInfo::exists(at("d/Photos.cpy001/p.jpg")));
  EXPECT_EQ(panels->asked,
            QStringList(2, "Duplicate folder : Photos: Do you want to duplicate this folder ?"));
  EXPECT_EQ(panels->buttons, QStringList(2, "Cancel||Duplicate"));

  browsed = at("d/gone.txt");  // nothing to copy
  ops->dupulicateAction();
  EXPECT_EQ(sounds, QStringList({"Ping", "Ping", "Basso"}));

  sounds.clear();
  steps.clear();
  browsed = at("d/notes.txt");
  ops->makeNewFolder();
  EXPECT_TRUE(QFileInfo(at("d/NewFolder")).isDir());
  EXPECT_EQ(steps, QStringList({"save", "reload", "path d/NewFolder", "preview"}));
  EXPECT_EQ(sounds, QStringList{"Pop"});
  browsed = at("d");
  ops->makeNewFolder();  // there already: nothing more
  EXPECT_EQ(sounds, QStringList{"Pop"});
}

// The sheet's own controls lead to these operations.
TEST(FinderSheetControls, BackStepsTheMarkSwitchMarksAndDeleteAsks) {
  auto panels = std::make_shared<dialogs::Scripted>();
  dialogs::setHandler(panels);
  QStringList sounds;
  setSoundRecorder([&](const QString& name) { sounds << name; });
  for (const char* name : {"A.txt", "B.txt"}) writeFile(at(name));
  CalFinder sheet{DeskToolHost()};
  sheet.awakeFromNib();
  for (const char* name : {"A.txt", "B.txt"}) {
    ASSERT_TRUE(sheet.fsBrowser()->setPath(at(name)));
    sheet.browserSingleClick();
  }
  QPushButton* backButton = nullptr;
  for (QPushButton* b : sheet.finderDrawer()->findChildren<QPushButton*>())
    if (b->text() == "<") backButton = b;
  ASSERT_TRUE(backButton);
  ASSERT_TRUE(backButton->isEnabled());
  backButton->click();
  EXPECT_EQ(sheet.nowDisplayedDocumentPath(), at("A.txt"));
  EXPECT_FALSE(backButton->isEnabled());

  sheet.markSwitch()->click();
  EXPECT_EQ(sheet.operations().marks().entries(), QStringList{at("A.txt")});
  sheet.markSwitch()->click();
  EXPECT_TRUE(sheet.operations().marks().isEmpty());

  panels->alertAnswers = {dialogs::kOther};
  NotificationCenter::defaultCenter().post(QStringLiteral("deletetOnFinderSheet"));
  EXPECT_EQ(panels->asked, QStringList{"Delete : A.txt: Do you want to delete this document, \"A.txt\"?"});
  EXPECT_FALSE(QFileInfo::exists(at("A.txt")));
  EXPECT_EQ(sheet.operations().history().entries(), QStringList{at("B.txt")});
  dialogs::setHandler(nullptr);
  setSoundRecorder(nullptr);
}

// The mark switch shows the mark of what the sheet shows, and a mark stays on its item: it goes
// when the item goes to the Trash and follows it to a new name.
TEST(FinderSheetControls, AMarkGoesWithItsItemAndTheSwitchShowsTheShownOnesMark) {
  auto panels = std::make_shared<dialogs::Scripted>();
  dialogs::setHandler(panels);
  setSoundRecorder([](const QString&) {});
  for (const char* name : {"marks/A.txt", "marks/B.txt"}) writeFile(at(name));
  CalFinder sheet{DeskToolHost()};
  sheet.awakeFromNib();
  sheet.finderDrawer()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.finderDrawer()));
  auto showItem = [&](const QString& path) {
    ASSERT_TRUE(sheet.fsBrowser()->setPath(path));
    sheet.browserSingleClick();
  };
  QAbstractButton* markSwitch = sheet.markSwitch();
  QPushButton* deleteButton = nullptr;
  for (QPushButton* b : sheet.finderDrawer()->findChildren<QPushButton*>())
    if (b->text() == "Delete") deleteButton = b;
  ASSERT_TRUE(deleteButton);

  showItem(at("marks/A.txt"));
  QTest::mouseClick(markSwitch, Qt::LeftButton);
  showItem(at("marks/B.txt"));
  QTest::mouseClick(markSwitch, Qt::LeftButton);
  ASSERT_EQ(sheet.operations().marks().entries(), QStringList({at("marks/A.txt"), at("marks/B.txt")}));
  ASSERT_TRUE(markSwitch->isChecked());

  // Deleted: the browser shows the folder, which is not marked, and B is marked no more.
  const auto before = test::FolderSnapshot::of(at("marks"));
  panels->alertAnswers = {dialogs::kOther};
  QTest::mouseClick(deleteButton, Qt::LeftButton);
  EXPECT_TRUE(before.changedOnly({"B.txt"}));
  EXPECT_EQ(sheet.fsBrowser()->path(), at("marks"));
  EXPECT_FALSE(markSwitch->isChecked());
  EXPECT_EQ(sheet.operations().marks().entries(), QStringList{at("marks/A.txt")});

  // Renamed by the name field: still marked, under its new name.
  showItem(at("marks/A.txt"));
  EXPECT_TRUE(markSwitch->isChecked());
  sheet.fileNameField()->setFocus();
  sheet.fileNameField()->selectAll();
  QTest::keyClicks(sheet.fileNameField(), "C.txt");
  QTest::keyClick(sheet.fileNameField(), Qt::Key_Return);
  ASSERT_TRUE(QFileInfo::exists(at("marks/C.txt")));
  EXPECT_EQ(sheet.operations().marks().entries(), QStringList{at("marks/C.txt")});
  EXPECT_TRUE(markSwitch->isChecked());
  dialogs::setHandler(nullptr);
  setSoundRecorder(nullptr);
}

}  // namespace
