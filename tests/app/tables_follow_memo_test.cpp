// A table left open in the table drawer belongs to its memo: renamed by the name field or by its
// row, the memo is shown anew and the drawer closes, saving the table under the new name only;
// deleted from the day list, the memo closes the drawer, its unsaved edit kept in the recovery
// folder. Later saves write nothing for the old names, so the next memo of such a name takes up
// no tables.

#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableWidget>

#include "app_fixture.h"
#include "support/folder_snapshot.h"
#include "tools/text/sheet_table.h"

namespace {

using namespace app_test;

class TablesFollowTheirMemo : public App {
 protected:
  QDockWidget* drawer() { return window().findChild<QDockWidget*>("sheetTableDrawer"); }
  QTableWidget* sheet() { return drawer()->findChild<QTableWidget*>("sheetTableView"); }
  QString day() { return QFileInfo(calendar().nowDisplayedDocument()).path(); }
  QLineEdit* nameField() { return window().editingDiaryFileName(); }

  void typeName(const QString& name) {
    nameField()->setFocus();
    QTest::keyClick(nameField(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(nameField(), name);
    QTest::keyClick(nameField(), Qt::Key_Return);
    QApplication::processEvents();
  }
  // The table the memo names ("see <prices>"), opened by its shortcut with the caret in the name.
  void openTable() {
    memo()->setFocus();
    QTest::keyClick(memo(), Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 6; ++i) QTest::keyClick(memo(), Qt::Key_Right);
    QTest::keyClick(memo(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    QApplication::processEvents();
  }
  // A cell of the open table edited as the user does: a click on it, F2, the text, Return.
  void typeCell(int row, int column, const QString& text) {
    const QRect cell = sheet()->visualItemRect(sheet()->item(row, column));
    QTest::mouseClick(sheet()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::keyClick(sheet(), Qt::Key_F2);
    // The editor that took the focus (one closed before may not be gone yet).
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
  }
  void saveByKey() {
    memo()->setFocus();
    QTest::keyClick(memo(), Qt::Key_S, Qt::ControlModifier);
    QApplication::processEvents();
  }
  // The cell (row, first data column) of the table stored for the memo `name`.
  QString storedCell(const QString& name, int row) {
    pravella::sheet::SheetTable table;
    if (!table.load(day() + "/" + name + ".tbld", "prices")) return "<no table>";
    return table.cell(row, table.columns().at(1).id);
  }
  int rowOf(const QString& name) { return static_cast<int>(calendar().diaryFiles().indexOf(name)); }
};

TEST_F(TablesFollowTheirMemo, RenamedAndDeletedByTheirEvents) {
  // A new memo named by its field, with its table open and edited.
  QTest::keyClicks(memo(), "see <prices>");
  typeName("Tables");
  ASSERT_TRUE(calendar().nowDisplayedDocument().endsWith("/Tables.rtfd"));
  openTable();
  ASSERT_TRUE(shown(drawer())) << s(window().statusBar()->currentMessage());
  typeCell(0, 1, "12");

  // Renamed by the name field: the memo shown anew closes the drawer, which saves the edit
  // under the new name; the old name is not made again, then or at the next save.
  auto before = pravella::test::FolderSnapshot::of(day());
  typeName("Tables2");
  EXPECT_TRUE(calendar().nowDisplayedDocument().endsWith("/Tables2.rtfd"));
  EXPECT_FALSE(shown(drawer()));
  EXPECT_EQ(storedCell("Tables2", 0), "12");
  saveByKey();
  EXPECT_TRUE(before.changedOnly({"Tables.rtfd", "Tables.tbld", "Tables2.rtfd", "Tables2.tbld"}));
  EXPECT_FALSE(QFileInfo::exists(day() + "/Tables.tbld"));

  // The same table opened again from the renamed memo, edited, and the memo renamed once more
  // by its row in the day list.
  openTable();
  ASSERT_TRUE(shown(drawer()));
  EXPECT_EQ(sheet()->item(0, 1)->text(), "12");
  typeCell(1, 1, "34");
  before = pravella::test::FolderSnapshot::of(day());
  QTableWidget* list = window().diaryFileField();
  list->setFocus();
  list->setCurrentCell(rowOf("Tables2.rtfd"), 1);
  QTest::keyClick(list, Qt::Key_F2);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(editor, "Tables3");
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  ASSERT_TRUE(calendar().nowDisplayedDocument().endsWith("/Tables3.rtfd"));
  saveByKey();
  EXPECT_TRUE(before.changedOnly({"Tables2.rtfd", "Tables2.tbld", "Tables3.rtfd", "Tables3.tbld"}));
  EXPECT_FALSE(QFileInfo::exists(day() + "/Tables2.tbld"));
  EXPECT_EQ(storedCell("Tables3", 0), "12");
  EXPECT_EQ(storedCell("Tables3", 1), "34");

  // Open, with an edit not saved, when the memo is deleted from the day list: the drawer
  // closes with its memo; the edit is kept in the recovery folder, and the status line says so.
  openTable();
  ASSERT_TRUE(shown(drawer()));
  typeCell(2, 1, "unsaved");
  const QString folder = day();
  calendar().setAlertPanel([this](const QString& title, const QString&, const QStringList&) {
    alerts << title;
    return 2;  // "Delete"
  });
  before = pravella::test::FolderSnapshot::of(folder);
  list->selectRow(rowOf("Tables3.rtfd"));
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Delete);
  QApplication::processEvents();
  EXPECT_EQ(alerts, QStringList{"Delete : Tables3.rtfd"});
  EXPECT_FALSE(shown(drawer()));
  EXPECT_TRUE(before.changedOnly({"Tables3.rtfd", "Tables3.tbld"}));
  const QString trashed = pravella::paths::trash() + "/files/Tables3.tbld";
  ASSERT_TRUE(QFileInfo(trashed).isDir());
  const auto trash = pravella::test::FolderSnapshot::of(trashed);
  const QString recovered = pravella::paths::recovered();
  const QStringList kept = QDir(recovered).entryList({"Tables3 (recovered *).tbld"}, QDir::Dirs);
  ASSERT_EQ(kept.size(), 1) << s(QDir(recovered).entryList().join(", "));
  pravella::sheet::SheetTable unsaved;
  ASSERT_TRUE(unsaved.load(recovered + "/" + kept[0], "prices"));
  EXPECT_EQ(unsaved.cell(2, unsaved.columns().at(1).id), "unsaved");
  const QString said = window().statusBar()->currentMessage();
  EXPECT_TRUE(said.contains("unsaved changes") && said.contains(kept[0])) << s(said);

  // Another memo saved afterwards writes nothing for the memo that went: the next memo of its
  // name finds no tables.
  ASSERT_TRUE(calendar().nowDisplayedDocument().isEmpty());
  memo()->setFocus();
  QTest::keyClicks(memo(), "other");
  before = pravella::test::FolderSnapshot::of(folder);
  saveByKey();
  EXPECT_TRUE(before.changedOnly({"other.rtfd"}));
  EXPECT_TRUE(QFileInfo(folder + "/other.rtfd").isDir());
  EXPECT_TRUE(trash.unchanged());
  EXPECT_FALSE(QFileInfo::exists(folder + "/Tables3.tbld"));
}

}  // namespace
