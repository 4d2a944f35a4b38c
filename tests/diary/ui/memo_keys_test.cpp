// The main memo's modifier keys and the Command look-ups of a double click.

#include "day_documents_fixture.h"

#include <QApplication>
#include <QTextBlock>

#include "diary/diary_globals.h"
#include "platform/find_text.h"

namespace {

using namespace day_documents_test;

class MemoKeys : public DayDocuments {
 protected:
  void SetUp() override { openDocumentOnMemoStatus = 0; }
  void TearDown() override {
    DayDocuments::TearDown();
    openDocumentOnMemoStatus = 1;
  }
  void showMemo(const QString& text) {
    writeRtfd(day() + "/A.rtfd", text);
    writeRtfd(day() + "/B.rtfd", "bee");
    start();
    calendar->selectDiaryFileFromNameAction("A.rtfd");
    memo()->setFocus();
  }
  void doubleClickAt(int position, Qt::KeyboardModifiers keys) {
    QTextCursor c(memo()->document());
    c.setPosition(position);
    memo()->setTextCursor(c);
    // Apart from the last click, so that no click counts as a third one.
    QTest::qWait(QApplication::doubleClickInterval() + 20);
    const QPoint at = memo()->cursorRect(c).center() + QPoint(2, 0);
    QTest::mouseDClick(memo()->viewport(), Qt::LeftButton, keys, at);
  }
};

TEST_F(MemoKeys, ControlArrowsStepTheDayAndTheDocument) {
  showMemo("memo");
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    QDate day;
    QString shown;
  } cases[] = {
      {Qt::Key_Down, Qt::MetaModifier, QDate(2008, 2, 28), "B.rtfd"},
      {Qt::Key_Up, Qt::MetaModifier, QDate(2008, 2, 28), "A.rtfd"},
      {Qt::Key_Right, Qt::MetaModifier, QDate(2008, 2, 29), ""},
      {Qt::Key_Left, Qt::MetaModifier | Qt::ShiftModifier, QDate(2008, 2, 28), "A.rtfd"},
      {Qt::Key_Left, Qt::ControlModifier, QDate(2008, 2, 28), "A.rtfd"},  // Command alone: the caret
  };
  for (const Case& c : cases) {
    QTest::keyClick(memo(), c.key, c.mods);
    EXPECT_EQ(calendar->selectedDay(), c.day) << c.key;
    EXPECT_EQ(QFileInfo(calendar->nowDisplayedDocument()).fileName(), c.shown) << c.key;
  }
}

TEST_F(MemoKeys, CommandOptionArrowsStepTheIndentAndMarkTheMemoChanged) {
  showMemo("line");
  ASSERT_FALSE(window->isWindowModified());
  const qreal before = memo()->document()->firstBlock().blockFormat().leftMargin();
  QTest::keyClick(memo(), Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier);
  const qreal indented = memo()->document()->firstBlock().blockFormat().leftMargin();
  EXPECT_GT(indented, before);
  EXPECT_TRUE(window->isWindowModified());
  EXPECT_TRUE(sounds.contains("Pop"));
  QTest::keyClick(memo(), Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(memo()->document()->firstBlock().blockFormat().leftMargin(), before);
  EXPECT_EQ(memo()->toPlainText(), "line");
}

TEST_F(MemoKeys, CommandDoubleClickLooksTheWordUpOutsideBrackets) {
  showMemo("sin cos [B] http://example.com/x");
  struct Asked {
    bool insert;
    QString text;
  };
  std::vector<Asked> asked;
  memo()->setLookUpHandler([&](const QString& text, bool shift, const QPoint&) {
    asked.push_back({shift, text});
  });
  opened.clear();
  doubleClickAt(1, Qt::ControlModifier);
  doubleClickAt(5, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_FALSE(asked[0].insert);
  EXPECT_EQ(asked[0].text, "sin");
  EXPECT_TRUE(asked[1].insert);
  EXPECT_EQ(asked[1].text, "cos");
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/A.rtfd");
  // Inside brackets the link is followed instead; without Command too.
  doubleClickAt(9, Qt::ControlModifier);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(calendar->nowDisplayedDocument(), day() + "/B.rtfd");
}

TEST_F(MemoKeys, WithoutLookUpsACommandDoubleClickFollowsTheLink) {
  showMemo("see http://example.com/page here");
  opened.clear();
  doubleClickAt(13, Qt::ControlModifier);
  EXPECT_EQ(opened, QStringList{"xdg-open http://example.com/page in 28"});
}

TEST_F(MemoKeys, TheFindCommandKeepsTheSelectionAsTheFindText) {
  showMemo("find me");
  QTextCursor c(memo()->document());
  c.setPosition(5);
  c.setPosition(7, QTextCursor::KeepAnchor);
  memo()->setTextCursor(c);
  window->findChild<QAction*>("performFindPanelAction")->trigger();
  EXPECT_EQ(pravella::programFindText(), "me");
  c.clearSelection();
  memo()->setTextCursor(c);
  memo()->performFindPanelAction();  // an empty selection keeps it
  EXPECT_EQ(pravella::programFindText(), "me");
}

}  // namespace
