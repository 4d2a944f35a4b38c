// The bookmark drawer with a recording calendar: marking the shown document, reopening a
// bookmark at its selection by click and arrow keys, previews, drags and the memo.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTableWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include <memory>
#include <string>
#include <vector>

#include "diary/document_links.h"
#include "platform/notification_center.h"
#include "platform/paths.h"
#include "platform/property_list.h"
#include "platform/rich_text_file.h"
#include "tools/bookmarks/ui/cal_book_mark.h"
#include "tools/bookmarks/ui/category_selector.h"

namespace {

class Bookmarks : public testing::Test {
 protected:
  void SetUp() override {
    for (auto [day, name, text] : {std::tuple{5, "a.rtfd", "alpha beta gamma"}, std::tuple{6, "b.rtfd", "second"}}) {
      QTextDocument doc;
      doc.setPlainText(text);
      pravella::writeRtfdFile(pravella::paths::dayFolder(2008, 3, day) + "/" + name, doc);
    }
    shown = pravella::paths::dayFolder(2008, 3, 5) + "/a.rtfd";
    host.documentView = &memo;
    host.nowDisplayedDocument = [this] { return shown; };
    host.selectedDay = [this] { return day; };
    host.save = [this] { return ++saves, saveOk; };
    host.setSelectedDay = [this](const QDate& d) { day = d; };
    host.selectDiaryFileFromNameAction = [this](const QString& name) {
      shown = pravella::paths::dayFolder(day.year(), day.month(), day.day()) + "/" + name;
      QTextDocument doc;
      pravella::readRichTextFile(shown, doc);
      memo.setPlainText(doc.toPlainText());
    };
    host.setToggleStatus = [this](int s) { return std::exchange(toggle, s); };
    host.toggleStatus = [this] { return toggle; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    marks = std::make_unique<CalBookMark>(host);
    marks->awakeFromNib();
    marks->openBookMarkAction();
  }

  QTextEdit memo;
  pravella::DeskToolHost host;
  QString shown;
  QDate day{2008, 3, 5};
  int saves = 0;
  bool saveOk = true;
  int toggle = 0;
  std::vector<std::string> sounds;
  std::unique_ptr<CalBookMark> marks;
};

TEST_F(Bookmarks, AMarkReopensItsDocumentAtTheSelectionByClickAndKeys) {
  EXPECT_EQ(toggle, CalBookMark::kToggleNumber);
  memo.setPlainText("alpha beta gamma");
  QTextCursor c(memo.document());
  c.setPosition(6);
  c.setPosition(10, QTextCursor::KeepAnchor);
  memo.setTextCursor(c);
  marks->addBookMarkAction();
  marks->addBookMarkFromDiaryFileAction(pravella::paths::dayFolder(2008, 3, 6) + "/b.rtfd");
  ASSERT_EQ(marks->viewItems().size(), 2);

  // Row 1 is the older mark, of a.rtfd; move away first.
  marks->bookMarkField()->selectRow(0);
  EXPECT_EQ(shown, pravella::paths::dayFolder(2008, 3, 6) + "/b.rtfd");
  QTest::keyClick(marks->bookMarkField(), Qt::Key_Down);
  EXPECT_EQ(shown, pravella::paths::dayFolder(2008, 3, 5) + "/a.rtfd");
  EXPECT_EQ(memo.textCursor().selectedText(), "beta");
  QTest::keyClick(marks->bookMarkField(), Qt::Key_Down);  // wraps to row 0
  EXPECT_EQ(marks->selectedRow(), 0);
  QTest::keyClick(marks->bookMarkField(), Qt::Key_Up);  // wraps to the last row
  EXPECT_EQ(marks->selectedRow(), 1);

  // A refused save keeps the shown document.
  saveOk = false;
  marks->bookMarkField()->selectRow(0);
  EXPECT_EQ(shown, pravella::paths::dayFolder(2008, 3, 5) + "/a.rtfd");

  // Shift+Backspace deletes; the marks survive a restart.
  saveOk = true;
  QTest::keyClick(marks->bookMarkField(), Qt::Key_Backspace, Qt::ShiftModifier);
  EXPECT_EQ(marks->viewItems().size(), 1);
  marks.reset();
  marks = std::make_unique<CalBookMark>(host);
  marks->awakeFromNib();
  marks->openBookMarkAction();
  EXPECT_EQ(marks->viewItems().size(), 1);
}

TEST_F(Bookmarks, AClickOnTheRowSelectedWhenTheDrawerOpensGoesToItsMark) {
  memo.setPlainText("alpha beta gamma");
  QTextCursor c(memo.document());
  c.setPosition(6);
  c.setPosition(10, QTextCursor::KeepAnchor);
  memo.setTextCursor(c);
  marks->addBookMarkAction();
  marks->addBookMarkFromDiaryFileAction(pravella::paths::dayFolder(2008, 3, 6) + "/b.rtfd");
  marks->closeBookMarkAction();
  // The user goes on in the shown memo, then opens the drawer: the memo's row stands selected.
  memo.setTextCursor(QTextCursor(memo.document()));
  marks->openBookMarkAction();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(marks->bookMarkDrawer()));
  QTableWidget* table = marks->bookMarkField();
  const int row = marks->selectedRow();
  ASSERT_GE(row, 0);
  ASSERT_EQ(marks->viewItems().at(row).path, shown);
  EXPECT_TRUE(memo.textCursor().selectedText().isEmpty());
  auto click = [table](int r) {
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualItemRect(table->item(r, 3)).center());
  };
  const int savesBefore = saves;
  click(row);
  EXPECT_EQ(memo.textCursor().selectedText(), "beta");
  EXPECT_EQ(saves, savesBefore + 1);
  // A click on another row opens that one, once.
  click(1 - row);
  EXPECT_EQ(shown, pravella::paths::dayFolder(2008, 3, 6) + "/b.rtfd");
  EXPECT_EQ(saves, savesBefore + 2);
}

TEST_F(Bookmarks, PreviewsDragsDropsAndTheCategoryMemo) {
  marks->addBookMarkFromDiaryFileAction(pravella::paths::dayFolder(2008, 3, 6) + "/b.rtfd");
  // Dropped from the day's list.
  QMimeData data;
  data.setData(pravella::kBookmarkDragType, (pravella::paths::dayFolder(2008, 3, 5) + "/a.rtfd").toUtf8());
  QWidget* viewport = marks->bookMarkField()->viewport();
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &drop);
  ASSERT_EQ(marks->viewItems().size(), 2);

  auto* table = marks->bookMarkField();
  std::unique_ptr<QMimeData> dragged(table->model()->mimeData({table->model()->index(1, 3)}));
  EXPECT_EQ(dragged->text(), " [2008/03/06/b] ");
  dragged.reset(table->model()->mimeData({table->model()->index(0, 3)}));
  EXPECT_EQ(dragged->text(), " [a] ");

  // Preview: the memo view shows the document, the calendar stays.
  marks->subViewSW()->setChecked(true);
  table->selectRow(1);
  EXPECT_EQ(marks->bookMarkMemoField()->toPlainText(), "second");
  EXPECT_EQ(shown, pravella::paths::dayFolder(2008, 3, 5) + "/a.rtfd");
  marks->subViewSW()->setChecked(false);

  // The category memo is saved when the drawer closes.
  marks->categoryFieldButton()->select(3);
  marks->categoryAction();
  marks->bookMarkMemoField()->setPlainText("notes of three");
  marks->closeBookMarkAction();
  QTextDocument back;
  ASSERT_TRUE(pravella::readRichTextFile(pravella::bookmarks::memoFile(3), back));
  EXPECT_EQ(back.toPlainText(), "notes of three");

  // Titles: 20 written.
  marks->editCategoryAction();
  marks->titleEditCell(8)->setText("To Do");
  marks->editBookMarkCloseAction();
  EXPECT_EQ(pravella::plist::readStringArray(pravella::bookmarks::titlesFile())->size(), 20);
}

}  // namespace
