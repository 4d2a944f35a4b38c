// The save panel of a new memo, driven as the user drives it: Ctrl+N, typing, Ctrl+S, the
// real panel and the real question when the name is taken.

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include <functional>

#include "day_documents_fixture.h"
#include "support/folder_snapshot.h"

namespace day_documents_test {
namespace {

// Acts on the next save panel that shows, as the user would: `name` typed over the proposed
// one (or the proposal kept when empty), then Return.
void onNextSavePanel(const QString& name, QStringList* proposed) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, name, proposed] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* panel = qobject_cast<QFileDialog*>(w);
      if (!panel || !panel->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      auto* field = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (!field) {
        ADD_FAILURE() << "the save panel has no name field";
        panel->reject();
        return;
      }
      *proposed << field->text();
      if (!name.isEmpty()) {
        field->selectAll();
        QTest::keyClicks(field, name);
      }
      QTest::keyClick(field, Qt::Key_Return);
      return;
    }
  });
  timer->start();
}

class NewDocumentSave : public DayDocuments {
 protected:
  // A day that holds "Shopping.rtfd"; then New, "Shopping" Return "a second memo", Ctrl+S.
  void typeASecondShoppingMemo() {
    writeRtfd(day() + "/Shopping.rtfd", "the first list");
    realPanels = true;
    watchdog.expect(QStringLiteral("QFileDialog"));
    start();
    QTest::keyClick(memo(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(calendar->nowDisplayedDocument().isEmpty());
    type("Shopping");
    QTest::keyClick(memo(), Qt::Key_Return);
    type("a second memo");
  }
  void save() { QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier); }
  QStringList proposed;
};

TEST_F(NewDocumentSave, ATakenNameIsAskedAboutAndCancelGivesThePanelBack) {
  typeASecondShoppingMemo();
  onNextSavePanel({}, &proposed);  // Return: the proposed "Shopping"
  watchdog.answer(QStringLiteral("Cancel"));
  QTimer::singleShot(0, [this] { onNextSavePanel(QStringLiteral("Shopping 2"), &proposed); });
  save();
  EXPECT_EQ(proposed, QStringList({"Shopping", "Shopping"}));
  EXPECT_EQ(watchdog.answered(), QStringList{QString::fromUtf8("\u201cShopping.rtfd\u201d already exists.")});
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "the first list");
  EXPECT_EQ(textOf(day() + "/Shopping 2.rtfd"), "Shopping\na second memo");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/Shopping 2.rtfd");
}

// The replaced document's tables go with it: left, the new memo would take them up.
TEST_F(NewDocumentSave, AReplacedDocumentGoesToTheTrashWithItsTables) {
  QDir().mkpath(day() + "/Shopping.tbld");
  QFile cells(day() + "/Shopping.tbld/prices");
  ASSERT_TRUE(cells.open(QIODevice::WriteOnly));
  cells.write("the first list's cells");
  cells.close();
  typeASecondShoppingMemo();
  const auto before = pravella::test::FolderSnapshot::of(day());
  onNextSavePanel({}, &proposed);
  watchdog.answer(QStringLiteral("Replace"));
  save();
  EXPECT_EQ(watchdog.pending(), 0u);
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "Shopping\na second memo");
  EXPECT_EQ(textOf(paths::trash() + "/files/Shopping.rtfd"), "the first list");
  EXPECT_TRUE(QFileInfo::exists(paths::trash() + "/files/Shopping.tbld/prices"));
  EXPECT_TRUE(before.changedOnly({"Shopping.rtfd", "Shopping.tbld"}));
  EXPECT_FALSE(QFileInfo::exists(day() + "/Shopping.tbld"));
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/Shopping.rtfd");
}

// Escape, the window's close button and a question closed from outside all keep the document
// that is there; the panel comes back, and cancelling it saves nothing.
TEST_F(NewDocumentSave, EscapeOrClosingTheReplaceQuestionKeepsTheOldDocument) {
  const struct {
    const char* how;
    std::function<void(QMessageBox*)> dismiss;
  } cases[] = {
      {"Escape", [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }},
      {"close button", [](QMessageBox* box) { box->close(); }},
      {"closed from outside", [](QMessageBox* box) { box->reject(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    typeASecondShoppingMemo();
    QStringList questions;
    watchdog.answerDialog(QStringLiteral("QMessageBox"), [&](QDialog* dialog) {
      auto* box = static_cast<QMessageBox*>(dialog);
      questions << box->windowTitle();
      c.dismiss(box);
      return true;
    });
    onNextSavePanel({}, &proposed);
    // The panel that comes back is cancelled.
    QTimer::singleShot(0, [] {
      auto* timer = new QTimer;
      timer->setInterval(20);
      QObject::connect(timer, &QTimer::timeout, [timer] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (auto* panel = qobject_cast<QFileDialog*>(w); panel && panel->isVisible()) {
            timer->stop();
            timer->deleteLater();
            panel->reject();
          }
      });
      timer->start();
    });
    save();
    EXPECT_EQ(questions, QStringList{QString::fromUtf8("\u201cShopping.rtfd\u201d already exists.")});
    EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "the first list");
    EXPECT_FALSE(QFileInfo::exists(paths::trash() + "/files/Shopping.rtfd"));
    EXPECT_TRUE(calendar->nowDisplayedDocument().isEmpty());
    EXPECT_TRUE(window->isWindowModified());
    TearDown();
  }
}

TEST_F(NewDocumentSave, AFreeNameIsSavedWithoutAQuestion) {
  typeASecondShoppingMemo();
  onNextSavePanel(QStringLiteral("Groceries"), &proposed);
  save();
  EXPECT_TRUE(watchdog.answered().isEmpty());
  EXPECT_EQ(textOf(day() + "/Groceries.rtfd"), "Shopping\na second memo");
  EXPECT_EQ(textOf(day() + "/Shopping.rtfd"), "the first list");
}

}  // namespace
}  // namespace day_documents_test
