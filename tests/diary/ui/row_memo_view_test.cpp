// The month list's row memo view as a memo view: links, runs and the indent keys.

#include "day_documents_fixture.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QTextBlock>

#include "diary/diary_globals.h"
#include "diary/ui/month_diary_drawer.h"
#include "diary/ui/pravella.h"
#include "editors/ui/memo_text_view.h"
#include "lang/builtins/startup.h"
#include "lang/run_state.h"
#include "platform/notification_center.h"

namespace {

using namespace day_documents_test;

class RowMemoView : public DayDocuments {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    openDocumentOnMemoStatus = 0;
  }
  void TearDown() override {
    list.reset();
    DayDocuments::TearDown();
    openDocumentOnMemoStatus = 1;
  }
  // The row view shows `shown` (a memo-database result of one row).
  void open(const QString& shown) {
    start();
    memo()->awakeFromNib();
    list = std::make_unique<Pravella>(calendar.get(), window.get());
    list->setSoundPlayer([this](const char* name) { sounds.append(name); });
    list->setAlertPanel([](const QString&, const QString&, const QStringList&) { return 0; });
    list->awakeFromNib();
    pravella::NotificationCenter::defaultCenter().post("resultFromTextViewSearch", QString(),
                                                       QStringList{"x", shown});
    ASSERT_TRUE(list->drawer()->subViewSW()->isChecked());
    auto* table = list->drawer()->monthDiaryField();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualItemRect(table->item(0, 1)).center());
    ASSERT_EQ(list->nowDisplayedDocPath(), shown);
    rowView()->setFocus();
  }
  QTextEdit* rowView() { return list->drawer()->subTextView(); }
  void caretAt(int position) {
    QTextCursor c(rowView()->document());
    c.setPosition(position);
    rowView()->setTextCursor(c);
  }
  std::unique_ptr<Pravella> list;
};

TEST_F(RowMemoView, ALinkNamedInTheShownDocumentsDayOpensThereWithoutASound) {
  writeRtfd(day(5) + "/Plan.rtfd", "plan of the fifth");
  writeRtfd(day(5) + "/Mine.rtfd", "see [Plan] here");
  open(day(5) + "/Mine.rtfd");
  ASSERT_NE(qobject_cast<subMemoTextView*>(rowView()), nullptr);
  sounds.clear();
  caretAt(6);
  EXPECT_TRUE(static_cast<MemoTwinView*>(rowView())->checkDocumentLink());
  EXPECT_EQ(calendar->selectedDay(), QDate(2008, 2, 5));
  EXPECT_EQ(calendar->nowDisplayedDocument(), day(5) + "/Plan.rtfd");
  EXPECT_EQ(memo()->toPlainText(), "plan of the fifth");
  EXPECT_FALSE(sounds.contains("Tink"));
  EXPECT_EQ(calendar->history().paths().last(), day(5) + "/Plan.rtfd");  // read after the opening
  EXPECT_EQ(rowView()->textCursor().position(), 10);
}

TEST_F(RowMemoView, EnterRunsTheCodeIntoTheRowView) {
  writeRtfd(day(5) + "/Mine.rtfd", "2 * 21;");
  open(day(5) + "/Mine.rtfd");
  caretAt(3);
  QTest::keyClick(rowView(), Qt::Key_Enter, Qt::KeypadModifier);
  QElapsedTimer clock;
  clock.start();
  while (memo()->isRunning() && clock.elapsed() < 20000) QTest::qWait(5);
  QCoreApplication::processEvents();
  EXPECT_EQ(rowView()->toPlainText(), "2 * 21;\n   42.0000\n.OK.\n");
  EXPECT_TRUE(list->drawer()->durtyButton()->isChecked());
}

}  // namespace

namespace {

using namespace day_documents_test;

TEST_F(RowMemoView, CtrlAltArrowsIndentAndMarkTheRowViewChanged) {
  writeRtfd(day(5) + "/Mine.rtfd", "line");
  open(day(5) + "/Mine.rtfd");
  ASSERT_FALSE(list->drawer()->durtyButton()->isChecked());
  const qreal before = rowView()->document()->firstBlock().blockFormat().leftMargin();
  QTest::keyClick(rowView(), Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_GT(rowView()->document()->firstBlock().blockFormat().leftMargin(), before);
  EXPECT_TRUE(list->drawer()->durtyButton()->isChecked());
  EXPECT_FALSE(window->isWindowModified());  // the main memo's mark stays
}

TEST_F(RowMemoView, WhileARunGoesEnterIsAPlainKey) {
  writeRtfd(day(5) + "/Mine.rtfd", "1;");
  open(day(5) + "/Mine.rtfd");
  memo()->setPlainText("i = 0; while (1) i = i + 1;");
  memo()->setFocus();
  QTest::keyClick(memo(), Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_TRUE(memo()->isRunning());
  rowView()->setFocus();
  caretAt(2);
  QTest::keyClick(rowView(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(rowView()->toPlainText(), "1;\n");
  vkButtonDownSinceMs.store(1);  // the break, as the held mouse button gives it
  QElapsedTimer clock;
  clock.start();
  while (memo()->isRunning() && clock.elapsed() < 20000) QTest::qWait(5);
  vkButtonDownSinceMs.store(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(rowView()->toPlainText(), "1;\n");
}

}  // namespace
