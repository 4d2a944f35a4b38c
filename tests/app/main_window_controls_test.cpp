// The main window's controls that once led nowhere, each driven through its real event: the
// "Tool" memo button and its commands, the tool drawer's menu item, the table sheet from a
// double click and from the menu, the memo sheet's menu item, the remembered string's items
// and key, the calendar's five fixed cells, one shortcut for one action, the layouts' buttons
// and height, and the focus after a push button.

#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolButton>

#include "app/desk_tools.h"
#include "app_fixture.h"
#include "diary/ui/cal_matrix.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "diary/ui/side_view_drawers.h"
#include "editors/ui/cal_tool.h"
#include "platform/notification_center.h"
#include "tools/finder/ui/cal_finder.h"
#include "tools/finder/ui/finder_text_view.h"
#include "tools/text/ui/cal_doc_search.h"

namespace {

using namespace app_test;

class Controls : public App {
 protected:
  QDockWidget* dock(const char* name) { return window().findChild<QDockWidget*>(QString::fromLatin1(name)); }
  QAbstractButton* memoButton(int tag) { return window().memoMenuButtons()->button(tag); }
  void click(QAbstractButton* b) {
    ASSERT_TRUE(shown(b));
    QTest::mouseClick(b, Qt::LeftButton);
    QApplication::processEvents();
  }
  // A day document shown in the memo: the tables of a memo live beside its file.
  void showSavedMemo(const QString& text) {
    memo()->setFocus();
    memo()->setPlainText(text);
    window().editingDiaryFileName()->setText("plan");
    ASSERT_TRUE(calendar().save());
    ASSERT_FALSE(calendar().nowDisplayedDocument().isEmpty());
  }
  // Runs the memo's line at `caret` with Escape; the result must be a success.
  void run(const QString& text, int caret) {
    setMemo(text, caret, caret);
    QTest::keyClick(memo(), Qt::Key_Escape);
    EXPECT_TRUE(waitFor([this] { return memo()->toPlainText().contains(".OK.\n"); }))
        << s(memo()->toPlainText());
    ASSERT_TRUE(waitIdle());
  }
  // A double click at the character `at` of the memo.
  void doubleClickAt(int at) {
    QTextCursor c(memo()->document());
    c.setPosition(at);
    const QPoint point = memo()->cursorRect(c).center() + QPoint(2, 0);
    QTest::mouseDClick(memo()->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    QApplication::processEvents();
  }
};

TEST_F(Controls, TheToolButtonTogglesTheSearchSheetWithTheSelectionAsFindText) {
  CalDocSearch* search = app->deskTools().docSearch();
  QDockWidget* sheet = dock("searchToggleView");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(memoButton(9)->text(), "Tool");
  setMemo("find the cat here", 9, 12);
  search->numOfReplacedField()->setText("7");

  click(memoButton(9));
  EXPECT_TRUE(shown(sheet));
  EXPECT_EQ(calendar().toggleStatus(), CalDocSearch::kToggleStatus);
  EXPECT_EQ(search->findStringField()->text(), "cat");
  EXPECT_EQ(search->numOfReplacedField()->text(), "0");

  click(memoButton(9));
  EXPECT_FALSE(shown(sheet));
  // Another side view closes it, as they close each other.
  click(memoButton(9));
  clickMenuItem(action("toggleMemoSheetAction"));
  EXPECT_FALSE(shown(sheet));
}

TEST_F(Controls, ProgramsOpenTheSearchSheet) {
  QDockWidget* sheet = dock("searchToggleView");
  run("word\ncal_openToolSheet(0);", 5);
  EXPECT_TRUE(shown(sheet));
  run("cal_openToolSheet(0);", 0);
  EXPECT_TRUE(shown(sheet));
  run("cal_toggleToolSheet(0);", 0);
  EXPECT_FALSE(shown(sheet));
}

TEST_F(Controls, FindAndReplaceFromTheMenuOpensTheSheet) {
  setMemo("one two", 4, 7);
  typeShortcut(QKeySequence::Find);
  EXPECT_TRUE(shown(dock("searchToggleView")));
  EXPECT_EQ(app->deskTools().docSearch()->findStringField()->text(), "two");
}

TEST_F(Controls, TheToolDrawerHasAMenuItem) {
  QDockWidget* drawer = app->tool().toolDrawer();
  clickMenuItem(action("toggleAmModeSheetAction"));
  EXPECT_TRUE(shown(drawer));
  EXPECT_EQ(calendar().toggleStatus(), CalTool::kToggleStatus);
  // It holds the backup, the load bars and bc.
  EXPECT_TRUE(shown(drawer->findChild<QPushButton*>("bcButton")));
  clickMenuItem(action("toggleAmModeSheetAction"));
  EXPECT_FALSE(shown(drawer));
}

TEST_F(Controls, ADoubleClickInsideANameBetweenAngleBracketsOpensItsTable) {
  showSavedMemo("see <budget> here\n1+2;");
  QDockWidget* tables = dock("sheetTableDrawer");
  ASSERT_NE(tables, nullptr);
  doubleClickAt(7);  // inside "budget"
  EXPECT_TRUE(shown(tables));
  EXPECT_EQ(calendar().toggleStatus(), 15);
  QLabel* name = tables->findChild<QLabel*>("tableName");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), "budget");
  EXPECT_TRUE(QFileInfo(QFileInfo(calendar().nowDisplayedDocument()).path() + "/plan.tbld").isDir());

  // A double click elsewhere only selects the word; Escape still runs the selection.
  calendar().closeAllToggleView();
  doubleClickAt(15);
  EXPECT_FALSE(shown(tables));
  EXPECT_EQ(memo()->textCursor().selectedText(), "here");
  select(18, 22);
  QTest::keyClick(memo(), Qt::Key_Escape);
  EXPECT_TRUE(waitFor([this] { return memo()->toPlainText().contains("3.0000\n.OK.\n"); }))
      << s(memo()->toPlainText());
  EXPECT_FALSE(shown(tables));
}

TEST_F(Controls, TheMenuOpensTheTableNamedAtTheCaret) {
  showSavedMemo("totals <2024 costs>? no: <costs>");
  QDockWidget* tables = dock("sheetTableDrawer");
  QAction* open = action("checkSheetTableAction");
  ASSERT_NE(open, nullptr);
  // A name with a blank is no table name: nothing opens, and the user hears and reads why.
  select(9, 9);
  clearSounds();
  typeShortcut(open->shortcut());
  EXPECT_FALSE(shown(tables));
  EXPECT_TRUE(sounds().contains("Basso"));
  EXPECT_FALSE(window().statusBar()->currentMessage().isEmpty());
  // At the end of the text too.
  select(28, 28);
  typeShortcut(open->shortcut());
  EXPECT_TRUE(shown(tables));
}

TEST_F(Controls, TheViewMenuTogglesTheMemoSheet) {
  QAction* item = action("toggleMemoSheetAction");
  ASSERT_NE(item, nullptr);
  QDockWidget* sheet = calendar().memoSheet();
  clickMenuItem(item);
  EXPECT_TRUE(shown(sheet));
  EXPECT_TRUE(item->isChecked());
  EXPECT_EQ(calendar().toggleStatus(), 1);
  clickMenuItem(item);
  EXPECT_FALSE(shown(sheet));
  EXPECT_FALSE(item->isChecked());
  // Opened by a program, it shows checked.
  run("cal_openMemoSheet(0);", 0);
  EXPECT_TRUE(item->isChecked());
}

TEST_F(Controls, TheRememberedStringIsTypedByItsKeyAndSearchedByItsMenuItem) {
  calendar().DoSetRememberString(QString::fromUtf8("★plan"));
  setMemo("ab", 1, 1);
  QAction* insert = action("DoInsertRememberStringAction");
  ASSERT_NE(insert, nullptr);
  typeShortcut(insert->shortcut());
  EXPECT_EQ(memo()->toPlainText(), QString::fromUtf8("a★planb"));
  // The memo sheet takes it too.
  clickMenuItem(action("toggleMemoSheetAction"));
  QTextEdit* sheet = calendar().memoSheet()->toggleMemoField();
  sheet->setFocus();
  sheet->setPlainText("");
  typeShortcut(insert->shortcut());
  EXPECT_EQ(sheet->toPlainText(), QString::fromUtf8("★plan"));

  clickMenuItem(action("DoRememberAction"));
  auto* drawer = dock("monthDiaryView");
  ASSERT_NE(drawer, nullptr);
  EXPECT_TRUE(shown(drawer));
  EXPECT_EQ(Pravella_X->drawer()->searchTextField()->currentText(), QString::fromUtf8("★plan"));
}

TEST_F(Controls, TheFiveFixedCellsOpenTheirTools) {
  RecordingPrograms terminal({"x-terminal-emulator"});
  const QDate day = calendar().selectedDay();
  setMemo("# plan\ntext\n", 0, 0);  // the outline has lines to show
  const struct {
    int tag;
    const char* title;
    const char* dock;
  } cells[] = {{37, "HLP", "manualDrawer"},
               {38, "LNC", "launcherDrawer"},
               {40, "BMK", "bookMarkDrawer"},
               {41, "IDX", "docIndexDrawer"}};
  for (const auto& cell : cells) {
    SCOPED_TRACE(cell.title);
    QAbstractButton* b = window().dayCell(cell.tag);
    EXPECT_EQ(b->text(), cell.title);
    click(b);
    EXPECT_TRUE(shown(dock(cell.dock)));
    // Clicked again, it closes what it opened; the selected day never changes.
    click(b);
    EXPECT_FALSE(shown(dock(cell.dock)));
    EXPECT_EQ(calendar().selectedDay(), day);
  }

  QAbstractButton* trm = window().dayCell(39);
  EXPECT_EQ(trm->text(), "TRM");
  click(trm);
  const QString folder = pravella::paths::dayFolder(day.year(), day.month(), day.day());
  // Started in the day's folder with no arguments.
  EXPECT_EQ(RecordingPrograms::recorded("x-terminal-emulator"), QDir(folder).canonicalPath() + "\n0\n");
  EXPECT_EQ(calendar().selectedDay(), day);
}

TEST_F(Controls, AMissingTerminalIsSaidInTheStatusLine) {
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent");
  clearSounds();
  click(window().dayCell(39));
  qputenv("PATH", path);
  EXPECT_TRUE(window().statusBar()->currentMessage().contains("x-terminal-emulator"));
  EXPECT_TRUE(sounds().contains("Basso"));
}

TEST_F(Controls, EveryShortcutBelongsToOneAction) {
  QHash<QString, QStringList> owners;
  for (QAction* a : window().findChildren<QAction*>())
    for (const QKeySequence& keys : a->shortcuts())
      if (!keys.isEmpty()) owners[keys.toString()] << a->text();
  for (auto it = owners.cbegin(); it != owners.cend(); ++it)
    EXPECT_EQ(it.value().size(), 1) << s(it.key()) << ": " << s(it.value().join(", "));

  // The month diary's key opens it, and the dictionary's the dictionary.
  typeShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
  EXPECT_TRUE(shown(dock("monthDiaryView")));
  typeShortcut(action("openDictionaryAction")->shortcut());
  EXPECT_TRUE(shown(dock("eDicDrawer")));
  EXPECT_FALSE(shown(dock("monthDiaryView")));
}

TEST_F(Controls, LayoutsShowOnlyTheTitledMemoButtons) {
  QAction* change = nullptr;
  for (QAction* a : window().findChildren<QAction*>())
    if (a->shortcut() == QKeySequence("Ctrl+Shift+L")) change = a;
  ASSERT_NE(change, nullptr);
  const auto titledOnly = [this] {
    for (QAbstractButton* b : window().memoMenuButtons()->buttons())
      if (shown(b) && b->text().isEmpty()) return false;
    return true;
  };
  const QRect full = window().geometry();
  for (int step = 0; step < 3; ++step) {
    SCOPED_TRACE(step);
    typeShortcut(change->shortcut());
    EXPECT_TRUE(titledOnly());
  }
  EXPECT_TRUE(shown(memoButton(9)));
  EXPECT_FALSE(shown(memoButton(10)));
  EXPECT_EQ(window().geometry().size(), full.size());
  // A program's title shows its button in every layout.
  pravella::NotificationCenter::defaultCenter().post("cal_setDocMenuButton", "12\tPlot\tplot.rtf");
  typeShortcut(change->shortcut());
  EXPECT_TRUE(shown(memoButton(11)));
  EXPECT_TRUE(titledOnly());
}

TEST_F(Controls, TheCalendarAndListLayoutIsHighEnoughForTheGridAndTheList) {
  QTableWidget* list = window().diaryFileField();
  pravella::NotificationCenter::defaultCenter().post("cal_setCalMinView");
  QApplication::processEvents();
  QTest::qWait(50);
  EXPECT_FALSE(shown(memo()));
  // No view is squeezed below what it needs: the digits of every day cell show whole...
  CalMatrix* grid = window().calMatrix();
  EXPECT_GE(grid->height(), grid->minimumSizeHint().height());
  const QAbstractButton* last = window().dayCell(41);
  EXPECT_LE(last->mapTo(&window(), QPoint(0, last->height())).y(), list->mapTo(&window(), QPoint(0, 0)).y());
  // ...and the list shows rows, not half of one.
  EXPECT_GE(list->viewport()->height(), 3 * list->verticalHeader()->defaultSectionSize());
  EXPECT_GE(window().height(), 237);
  // The window cannot be resized there.
  EXPECT_EQ(window().minimumHeight(), window().maximumHeight());

  pravella::NotificationCenter::defaultCenter().post("cal_setCalendarViewBase");
  QApplication::processEvents();
  EXPECT_TRUE(shown(memo()));
  EXPECT_LT(window().minimumHeight(), window().maximumHeight());
}

TEST_F(Controls, AClickedButtonLeavesTheFocusInTheMemo) {
  // bc in the tool drawer works on the memo's selection; Return afterwards is the memo's.
  clickMenuItem(action("toggleAmModeSheetAction"));
  auto* bc = app->tool().toolDrawer()->findChild<QPushButton*>("bcButton");
  ASSERT_NE(bc, nullptr);
  setMemo("6*7", 0, 3);
  memo()->setFocus();
  click(bc);
  EXPECT_EQ(QApplication::focusWidget(), memo());
  ASSERT_TRUE(waitFor([this] { return memo()->toPlainText().contains("42"); })) << s(memo()->toPlainText());
  QTest::qWait(300);
  // Return is typed into the memo (over its selection), and bc does not run again.
  const QTextCursor at = memo()->textCursor();
  QString typed = memo()->toPlainText();
  typed.replace(at.selectionStart(), at.selectionEnd() - at.selectionStart(), "\n");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QTest::qWait(500);
  EXPECT_EQ(memo()->toPlainText(), typed);

  // The finder's Date stamps its text once; space afterwards is a blank in the text.
  CalFinder* finder = app->deskTools().finder();
  clickMenuItem([&] {
    for (QAction* a : window().findChildren<QAction*>())
      if (a->text() == "&Finder") return a;
    return static_cast<QAction*>(nullptr);
  }());
  QTextEdit* text = finder->finderTextView();
  ASSERT_TRUE(shown(text));
  text->setReadOnly(false);
  text->setPlainText("");
  text->setFocus();
  QPushButton* date = nullptr;
  for (QPushButton* b : dock("finderDrawer")->findChildren<QPushButton*>())
    if (b->text() == "Date") date = b;
  ASSERT_NE(date, nullptr);
  click(date);
  EXPECT_EQ(QApplication::focusWidget(), text);
  const QString stamped = text->toPlainText();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_EQ(text->toPlainText(), stamped + " ");
}

}  // namespace
