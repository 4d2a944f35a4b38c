// A kill no handler sees (SIGKILL, as the out-of-memory killer or a crash ends a process) a
// few seconds after typing: what was typed in a new memo, in a saved document and in the memo
// sheet is in the recovery folder, the documents themselves are as they were, and the next
// start offers every edit. Each typing runs in a process of its own that kills itself; the
// next start runs here.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include <QAbstractButton>
#include <QDockWidget>
#include <QMap>
#include <QMessageBox>
#include <QTest>
#include <QTextDocument>

#include "app/application.h"
#include "child_app.h"
#include "diary/ui/calcndar.h"
#include "diary/ui/main_window.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/recovered_edits.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "platform/paths.h"
#include "platform/rich_text_file.h"
#include "support/dialog_watchdog.h"
#include "support/folder_snapshot.h"
#include "support/test_home.h"
#include "support/wait_for.h"

namespace {

using Texts = QMap<QString, QString>;  // where an edit belongs -> its text

std::string s(const QString& q) { return q.toStdString(); }

QString today() {
  const QDate date = QDate::currentDate();
  return pravella::paths::dayFolder(date.year(), date.month(), date.day());
}
QString sheetFile() { return pravella::paths::preferences() + "/tempMemo.rtfd"; }

// What the recovery folder holds, by where each edit belongs.
Texts keptEdits() {
  Texts kept;
  for (const pravella::RecoveredEdit& edit : pravella::recoveredEdits())
    kept[edit.intended] = pravella::plainTextOfRichTextFile(edit.path);
  return kept;
}

void writeMemo(const QString& path, const QString& text) {
  QTextDocument doc;
  doc.setPlainText(text);
  ASSERT_TRUE(pravella::writeRtfdFile(path, doc).ok);
}

// The child's typing: keys to the focused view, as the user gives them.
void typeInto(QWidget* view, const QString& text) {
  view->setFocus();
  const QStringList lines = text.split('\n');
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClicks(view, lines[i]);
  }
}

// The child's part: the application started, the edits typed, and once they reached the
// recovery folder (however long a loaded machine takes), the kill.
[[noreturn]] void typeAndKill(const std::function<Texts(pravella::Application&)>& type) {
  app_test::takeParentsHome();
  auto application = app_test::startEndingOnSignals();
  application->window().activateWindow();
  (void)QTest::qWaitForWindowActive(&application->window(), 2000);
  const Texts typed = type(*application);
  if (typed.isEmpty()) std::_Exit(4);
  if (!QTest::qWaitFor([&typed] { return keptEdits() == typed; }, 120000)) {
    const Texts kept = keptEdits();
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
      std::fprintf(stderr, "kept %s: %s\n", qPrintable(it.key()), qPrintable(it.value()));
    std::_Exit(5);
  }
  ::raise(SIGKILL);
  std::_Exit(6);
}

// A start of the application here: every recovered edit it offers is left for later by a click
// on "Later". The texts of the questions, in turn.
QStringList offersOfTheNextStart(int expected) {
  pravella::test::DialogWatchdog watchdog;
  QStringList offers;
  watchdog.answerDialog("QMessageBox", [&offers](QDialog* dialog) {
    auto* box = static_cast<QMessageBox*>(dialog);
    if (box->windowTitle() != "Recovered Edit") return false;
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() != "Later") continue;
      offers << box->text();
      QTest::mouseClick(button, Qt::LeftButton);
      return true;
    }
    return false;
  });
  EXPECT_EQ(vkStartUp(), 1);
  auto application = std::make_unique<pravella::Application>();
  application->showAndFinishLaunching();
  EXPECT_TRUE(pravella::test::becomesTrue([&offers, expected] { return offers.size() == expected; }, 20000))
      << offers.size();
  application.reset();
  return offers;
}

class KilledWithUnsavedEdits : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    app_test::passHomeToChild();
  }
  void TearDown() override { app_test::forgetChildHome(); }
};

TEST_F(KilledWithUnsavedEdits, ANewMemoAndTheMemoSheetAreOfferedAtTheNextStart) {
  QDir().mkpath(today());
  writeMemo(sheetFile(), "sheet");
  const auto day = pravella::test::FolderSnapshot::of(today());
  EXPECT_EXIT(typeAndKill([](pravella::Application& app) {
                mainTextView* memo = app.window().documentView();
                if (!app.calendar().nowDisplayedDocument().isEmpty()) return Texts{};
                memo->selectAll();
                typeInto(memo, "Groceries\nmilk");
                // The memo sheet opens on its key.
                QTest::keySequence(memo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
                QTextEdit* sheet = app.calendar().memoSheet()->toggleMemoField();
                if (!QTest::qWaitFor([sheet] { return sheet->isVisible(); })) return Texts{};
                QTest::keyClick(sheet, Qt::Key_End, Qt::ControlModifier);
                typeInto(sheet, " note");
                return Texts{{today() + "/Groceries.rtfd", "Groceries\nmilk"}, {sheetFile(), "sheet note"}};
              }),
              testing::KilledBySignal(SIGKILL), "");
  // The documents are as they were: the new memo was never saved.
  EXPECT_TRUE(day.unchanged());
  EXPECT_EQ(pravella::plainTextOfRichTextFile(sheetFile()), "sheet");

  const QStringList offers = offersOfTheNextStart(2);
  ASSERT_EQ(offers.size(), 2);
  EXPECT_TRUE(offers.join('\n').contains(today() + "/Groceries.rtfd")) << s(offers.join('\n'));
  EXPECT_TRUE(offers.join('\n').contains(sheetFile())) << s(offers.join('\n'));
  // Left for later, they stay, with what was typed.
  EXPECT_EQ(keptEdits(),
            (Texts{{today() + "/Groceries.rtfd", "Groceries\nmilk"}, {sheetFile(), "sheet note"}}));
}

TEST_F(KilledWithUnsavedEdits, AnEditedDocumentIsOfferedAndTheDocumentStaysAsItWas) {
  writeMemo(today() + "/Shopping.rtfd", "list");
  const auto day = pravella::test::FolderSnapshot::of(today());
  EXPECT_EXIT(typeAndKill([](pravella::Application& app) {
                mainTextView* memo = app.window().documentView();
                if (app.calendar().nowDisplayedDocument() != today() + "/Shopping.rtfd") return Texts{};
                QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
                typeInto(memo, "eggs ");
                return Texts{{today() + "/Shopping.rtfd", "eggs list"}};
              }),
              testing::KilledBySignal(SIGKILL), "");
  EXPECT_TRUE(day.unchanged());

  const QStringList offers = offersOfTheNextStart(1);
  ASSERT_EQ(offers.size(), 1);
  EXPECT_TRUE(offers[0].contains(today() + "/Shopping.rtfd")) << s(offers[0]);
  EXPECT_EQ(keptEdits(), (Texts{{today() + "/Shopping.rtfd", "eggs list"}}));
  EXPECT_TRUE(day.unchanged());
}

}  // namespace
