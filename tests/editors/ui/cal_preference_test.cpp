// The module drawer: listing, editing and saving, renaming, deleting and running modules.

#include "editors/ui/cal_preference.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <memory>

#include "diary/day_documents.h"
#include "diary/diary_globals.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "platform/ui/dialogs.h"
#include "support/dialog_watchdog.h"
#include "support/folder_snapshot.h"

namespace {

namespace paths = pravella::paths;

std::string s(const QString& q) { return q.toStdString(); }

void writeModule(const QString& name, const QString& text) {
  QDir().mkpath(paths::modules());
  QTextDocument doc;
  doc.setPlainText(text);
  const QString path = paths::modules() + "/" + name;
  if (name.endsWith(".rtfd"))
    ASSERT_TRUE(pravella::writeRtfdFile(path, doc).ok);
  else
    ASSERT_TRUE(pravella::writeRtfFile(path, doc).ok);
}

QString textOf(const QString& path) {
  QTextDocument doc;
  return pravella::readRichTextFile(path, doc) ? doc.toPlainText() : "<unreadable>";
}

class ModuleDrawer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    pvSoundStatus = 1;
    SheetCanOpen = 1;
    dialogs = std::make_shared<pravella::dialogs::Scripted>();
    pravella::dialogs::setHandler(dialogs);
    window = std::make_unique<QMainWindow>();
    memo = new mainTextView(window.get());
    window->setCentralWidget(memo);
    memo->setConsoleOutput([](const std::string&) {});
    memo->setAlertPanel([this](const QString& title, const QString&) { alerts << title; });
    memo->awakeFromNib();
    pravella::DeskToolHost host;
    host.mainWindow = window.get();
    host.addSideView = [this](QDockWidget* dock) { window->addDockWidget(Qt::RightDockWidgetArea, dock); };
    host.closeAllToggleView = [this] { ++closes; };
    host.setToggleStatus = [this](int status) {
      toggles << status;
      return 0;
    };
    host.playSound = [this](const char* name) { sounds << name; };
    drawer = std::make_unique<CalPreference>(host, memo);
    drawer->awakeFromNib();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    drawer.reset();
    window.reset();
    pravella::dialogs::setHandler(nullptr);
  }
  QStringList rows() {
    QStringList names;
    for (int r = 0; r < drawer->listView()->count(); ++r) names << drawer->listView()->item(r)->text();
    return names;
  }
  void waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 20000) QTest::qWait(5);
    ASSERT_TRUE(done());
  }
  void edit(const QString& text) {
    drawer->editSwitch()->setChecked(true);
    drawer->progView()->setPlainText(text);
  }

  pravella::test::DialogWatchdog watchdog;
  std::shared_ptr<pravella::dialogs::Scripted> dialogs;
  std::unique_ptr<QMainWindow> window;
  mainTextView* memo = nullptr;
  std::unique_ptr<CalPreference> drawer;
  QStringList sounds, alerts;
  QList<int> toggles;
  int closes = 0;
};

TEST_F(ModuleDrawer, ListsRichTextModulesByNameAndShowsTheFirst) {
  writeModule("b.vk.rtfd", "y = 2");
  writeModule("a.rtf", "x = 1");
  writeModule("c.vk.rtf", "z = 3");
  QFile txt(paths::modules() + "/notes.txt");
  ASSERT_TRUE(txt.open(QIODevice::WriteOnly));
  drawer->openPrefAction();
  EXPECT_TRUE(drawer->isOpen());
  EXPECT_EQ(toggles, QList<int>{18});
  EXPECT_EQ(rows(), QStringList({"a", "b.vk", "c.vk"}));
  EXPECT_EQ(drawer->nowDisplayedDocPath(), paths::modules() + "/a.rtf");
  EXPECT_EQ(drawer->progView()->toPlainText(), "x = 1");
  EXPECT_EQ(drawer->fileNameField()->text(), "a");
  EXPECT_TRUE(drawer->progView()->isReadOnly());
  // Opened again, it closes; while side views may not open, nothing happens.
  drawer->openPrefAction();
  EXPECT_FALSE(drawer->isOpen());
  SheetCanOpen = 0;
  drawer->openPrefAction();
  EXPECT_FALSE(drawer->isOpen());
  SheetCanOpen = 1;
  pravella::NotificationCenter::defaultCenter().post("cal_openPreferencePanel");
  EXPECT_TRUE(drawer->isOpen());
  drawer->listView()->setCurrentRow(1);
  EXPECT_EQ(drawer->progView()->toPlainText(), "y = 2");
}

TEST_F(ModuleDrawer, AMissingFolderListsNothing) {
  drawer->openPrefAction();
  EXPECT_TRUE(rows().isEmpty());
  drawer->executeAction();
  EXPECT_EQ(drawer->resultView()->toPlainText(), "..... finished .....\n");
}

TEST_F(ModuleDrawer, AnEditedRtfModuleIsSavedAsRtfdAndTheRtfRemoved) {
  writeModule("m.vk.rtf", "x = 1");
  drawer->openPrefAction();
  edit("x = 5");
  EXPECT_TRUE(drawer->dirty());
  EXPECT_TRUE(drawer->saveAction());
  EXPECT_FALSE(drawer->dirty());
  EXPECT_FALSE(QFile::exists(paths::modules() + "/m.vk.rtf"));
  EXPECT_EQ(textOf(paths::modules() + "/m.vk.rtfd"), "x = 5");
  EXPECT_EQ(drawer->nowDisplayedDocPath(), paths::modules() + "/m.vk.rtfd");
  EXPECT_EQ(rows(), QStringList{"m.vk"});
}

TEST_F(ModuleDrawer, ARenamedModuleIsANewFileAndTheOldOneStays) {
  writeModule("m.vk.rtfd", "x = 1");
  drawer->openPrefAction();
  struct Case {
    QString typed;
    QString file;  // written
  } cases[] = {
      {"n.vk", "n.vk.rtfd"},
      {"../../out", "___.._out.rtfd"},  // cleaned: it stays in the modules folder
      {"", "___.._out.rtfd"},           // no name: the shown one's
  };
  for (const Case& c : cases) {
    edit("text of " + c.typed);
    drawer->fileNameField()->setText(c.typed);
    EXPECT_TRUE(drawer->saveAction());
    EXPECT_EQ(drawer->nowDisplayedDocPath(), paths::modules() + "/" + c.file) << s(c.typed);
    EXPECT_EQ(textOf(paths::modules() + "/" + c.file), "text of " + c.typed);
    EXPECT_EQ(drawer->listView()->currentItem()->text(), pravella::withoutExtension(c.file));
  }
  EXPECT_EQ(textOf(paths::modules() + "/m.vk.rtfd"), "x = 1");
  EXPECT_EQ(QDir(paths::modules()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 3);
}

// A name that another module already has is refused, whether typed into the name field or
// taken when an rtf module becomes rtfd: the other module stays as it was and the edit stays
// unsaved, shown, for another name.
TEST_F(ModuleDrawer, ASaveNeverWritesOverAnotherModule) {
  struct Case {
    QString shown, other, typed, fresh;
  } cases[] = {
      {"a.vk.rtfd", "b.vk.rtfd", "b.vk", "fresh1.vk"},  // the other's name typed
      {"m.vk.rtf", "m.vk.rtfd", "", "fresh2.vk"},       // rtf becoming rtfd beside an rtfd of that name
      // A module of the other kind holds the name: the list would show it twice.
      {"alpha.vk.rtf", "beta.vk.rtf", "beta.vk", "fresh3.vk"},
      {"gamma.vk.rtfd", "delta.vk.rtf", "delta.vk", "fresh4.vk"},
  };
  for (const Case& c : cases) {
    writeModule(c.shown, "shown");
    writeModule(c.other, "other");
    drawer->openPrefAction();
    drawer->listView()->setCurrentRow(static_cast<int>(rows().indexOf(pravella::withoutExtension(c.shown))));
    const auto before = pravella::test::FolderSnapshot::of(paths::modules());
    const qsizetype listed = rows().count(pravella::withoutExtension(c.other));
    QTest::mouseClick(drawer->editSwitch(), Qt::LeftButton);
    ASSERT_TRUE(drawer->editSwitch()->isChecked());
    drawer->progView()->setFocus();
    drawer->progView()->moveCursor(QTextCursor::End);
    QTest::keyClicks(drawer->progView(), " edited");
    if (!c.typed.isEmpty()) {
      drawer->fileNameField()->selectAll();
      QTest::keyClicks(drawer->fileNameField(), c.typed);
    }
    dialogs->asked.clear();
    QTest::mouseClick(drawer->drawer()->findChild<QPushButton*>("saveAction"), Qt::LeftButton);
    EXPECT_TRUE(before.unchanged()) << s(c.other);
    EXPECT_EQ(textOf(paths::modules() + "/" + c.other), "other");
    ASSERT_EQ(dialogs->asked.size(), 1);
    EXPECT_EQ(dialogs->asked.first(), "Can't save the module !: \u201c" + c.other +
                                          "\u201d already exists in the modules folder. Choose another name.");
    EXPECT_TRUE(drawer->dirty());
    EXPECT_EQ(drawer->progView()->toPlainText(), "shown edited");
    // Another name then saves it.
    drawer->fileNameField()->selectAll();
    QTest::keyClicks(drawer->fileNameField(), c.fresh);
    QTest::mouseClick(drawer->drawer()->findChild<QPushButton*>("saveAction"), Qt::LeftButton);
    EXPECT_EQ(textOf(paths::modules() + "/" + c.fresh + ".rtfd"), "shown edited");
    EXPECT_EQ(textOf(paths::modules() + "/" + c.other), "other");
    // No second module of the other's name was made beside it.
    EXPECT_EQ(rows().count(pravella::withoutExtension(c.other)), listed) << s(rows().join(", "));
    drawer->openPrefAction();
  }
}

TEST_F(ModuleDrawer, DeleteAsksFirst) {
  writeModule("a.vk.rtfd", "x = 1");
  writeModule("b.vk.rtfd", "y = 2");
  drawer->openPrefAction();
  dialogs->alertAnswers = {pravella::dialogs::kDefault};  // Cancel
  sounds.clear();
  drawer->deleteAction();
  EXPECT_EQ(sounds, QStringList{"Basso"});
  EXPECT_TRUE(QFileInfo::exists(paths::modules() + "/a.vk.rtfd"));
  dialogs->alertAnswers = {pravella::dialogs::kOther};  // Delete
  sounds.clear();
  drawer->deleteAction();
  EXPECT_EQ(sounds.first(), "Purr");
  EXPECT_FALSE(QFileInfo::exists(paths::modules() + "/a.vk.rtfd"));
  EXPECT_EQ(rows(), QStringList{"b.vk"});
  EXPECT_EQ(dialogs->asked.first(), "Do you want to delete the Module ?: a.vk.rtfd");
}

TEST_F(ModuleDrawer, ARunAppendsItsOutputAndTheFinishedLine) {
  writeModule("a.vk.rtfd", "1 + 2;");
  writeModule("plain.rtfd", "5 + 5;");
  drawer->openPrefAction();
  sounds.clear();
  drawer->executeAction();
  waitFor([&] { return drawer->resultView()->toPlainText().contains("finished"); });
  EXPECT_EQ(drawer->resultView()->toPlainText(), "    3.0000\n..... finished .....\n");
  EXPECT_TRUE(sounds.contains("Bottle"));
  // A module without "vk" before its extension does not run.
  drawer->resultView()->clear();
  drawer->listView()->setCurrentRow(1);
  drawer->executeAction();
  EXPECT_EQ(drawer->resultView()->toPlainText(), "..... finished .....\n");
}

TEST_F(ModuleDrawer, ARunRefusedWhileTheUserRunsCodeStillEnds) {
  writeModule("a.vk.rtfd", "1 + 2;");
  drawer->openPrefAction();
  memo->setPlainText("i = 0; while (1) i = i + 1;");
  memo->setFocus();
  QTest::keyClick(memo, Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(memo->isRunning());
  drawer->executeAction();
  waitFor([&] { return !alerts.isEmpty(); });
  EXPECT_EQ(alerts, QStringList{"Now, vk is running !"});
  waitFor([&] { return drawer->resultView()->toPlainText() == "..... finished .....\n"; });
  vkButtonDownSinceMs.store(1);
  waitFor([&] { return !memo->isRunning(); });
  vkButtonDownSinceMs.store(0);
}

TEST_F(ModuleDrawer, RunAllRunsEveryRunnableModuleInTurn) {
  writeModule("a.vk.rtfd", "40 + 2;");
  writeModule("b.txt.rtf", "1 + 1;");
  writeModule("c.vk.rtf", "nosuch(1);");
  drawer->openPrefAction();
  drawer->executeAllAction();
  waitFor([&] { return drawer->resultView()->toPlainText().count("finished") == 2; });
  const QString result = drawer->resultView()->toPlainText();
  EXPECT_TRUE(result.startsWith("a.vk.rtfd\n   42.0000\n..... finished .....\nc.vk.rtf\n...<Error>..."))
      << s(result);
  EXPECT_TRUE(result.endsWith(".NO.\n..... finished .....\n")) << s(result);
  EXPECT_FALSE(result.contains("b.txt")) << s(result);
  EXPECT_EQ(drawer->nowDisplayedDocPath(), paths::modules() + "/a.vk.rtfd");  // reloaded at the end
}

}  // namespace
