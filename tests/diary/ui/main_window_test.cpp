#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"

namespace {

TEST(MainWindow, ShowsCalendarDocumentListAndMemo) {
  pravella::MainWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  EXPECT_NE(window.findChild<QLabel*>("YearManthField"), nullptr);
  EXPECT_EQ(window.dayCells()->buttons().size(), pravella::MainWindow::kDayCells);
  EXPECT_NE(window.findChild<QTableWidget*>("diaryFileField"), nullptr);
  EXPECT_NE(window.findChild<QLineEdit*>("editingDiaryFileName"), nullptr);
  for (const char* name : {"lastYearButton", "decMonthButton", "todayButton", "incMonthButton", "nextYearButton"})
    EXPECT_NE(window.findChild<QAbstractButton*>(name), nullptr) << name;
  auto* memo = window.findChild<mainTextView*>("DocumentView");
  ASSERT_NE(memo, nullptr);
  EXPECT_TRUE(memo->isVisible());
  // The calendar sits left of the memo.
  EXPECT_LT(window.diaryFileField()->mapTo(&window, QPoint(0, 0)).x(), memo->mapTo(&window, QPoint(0, 0)).x());

  // Typing reaches the memo.
  memo->setFocus();
  QTest::keyClicks(memo, "1+2");
  EXPECT_EQ(memo->toPlainText(), "1+2");
}

TEST(MainWindow, QuitFromTheMenuClosesTheWindow) {
  pravella::MainWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.quitAction()->trigger();
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
