// The three layouts of the main window, driven as the zoom button, the notifications and the
// programs' commands drive them.

#include <gtest/gtest.h>

#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include <string>
#include <vector>

#include "diary/diary_globals.h"
#include "diary/ui/cal_matrix.h"
#include "diary/ui/main_window.h"
#include "editors/ui/main_text_view.h"
#include "lang/builtins/startup.h"
#include "lang/executor.h"
#include "platform/notification_center.h"
#include "tools/text/ui/cal_change_window.h"

namespace {

class WindowLayouts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vkStartUp(), 1);
    window.setGeometry(100, 100, 800, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CalChangeWindow::Host host;
    host.closeAllToggleView = [this] { ++closedSideViews; };
    host.playSound = [this](const char* name) { sounds.emplace_back(name); };
    layouts = std::make_unique<CalChangeWindow>(&window, host);
    layouts->awakeFromNib();
  }
  void TearDown() override { SheetCanOpen = 1; }

  // Which of the grid, the list, the header and the memo show.
  std::string shown() {
    std::string s;
    s += window.calMatrix()->isVisible() ? 'G' : '-';
    s += window.diaryFileField()->isVisible() ? 'L' : '-';
    s += window.moonImageView()->isVisible() ? 'H' : '-';
    s += window.documentView()->isVisible() ? 'M' : '-';
    return s;
  }

  pravella::MainWindow window;
  std::unique_ptr<CalChangeWindow> layouts;
  std::vector<std::string> sounds;
  int closedSideViews = 0;
};

TEST_F(WindowLayouts, ToggleCyclesThroughTheThreeLayouts) {
  EXPECT_EQ(shown(), "GLHM");
  const struct {
    int status;
    const char* views;
    int sheets;
  } steps[] = {{1, "--HM", 1}, {2, "GL--", 0}, {0, "GLHM", 1}};
  for (const auto& step : steps) {
    pravella::NotificationCenter::defaultCenter().post(QStringLiteral("toggleCalendarView"));
    EXPECT_EQ(layouts->calendarViewStatus(), step.status);
    EXPECT_EQ(shown(), step.views);
    EXPECT_EQ(SheetCanOpen.load(), step.sheets);
  }
  EXPECT_EQ(closedSideViews, 1);
  EXPECT_EQ(sounds, std::vector<std::string>(3, "Pop"));
}

TEST_F(WindowLayouts, TheListOnlyWindowKeepsItsTopAndComesBack) {
  layouts->setCalendarViewCalendarAndListOnly();
  // The top edge and the width stay; the height is what the grid and the list need, 237 at
  // least, and cannot be changed.
  const QRect small = window.geometry();
  EXPECT_EQ(small.topLeft(), QPoint(100, 100));
  EXPECT_EQ(small.width(), 800);
  EXPECT_GE(small.height(), 237);
  EXPECT_GE(small.height(), window.minimumSizeHint().height());
  EXPECT_EQ(window.minimumSize(), small.size());
  EXPECT_EQ(window.maximumSize(), small.size());
  // Moving the small window is not remembered.
  window.move(300, 300);
  layouts->changeMainWindow();
  layouts->setCalendarViewBase();
  EXPECT_EQ(window.geometry(), QRect(100, 100, 800, 600));
  // A move at full size is.
  window.setGeometry(120, 130, 700, 500);
  layouts->changeMainWindow();
  layouts->setCalendarView_01();
  EXPECT_EQ(window.geometry(), QRect(120, 130, 700, 500));
}

TEST_F(WindowLayouts, OriginalViewAndZoom) {
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("changeToOriginalView"));
  EXPECT_TRUE(sounds.empty());
  pravella::NotificationCenter::defaultCenter().post(QStringLiteral("cal_setCalendarViewBase"));
  EXPECT_EQ(sounds.size(), 1u);

  // The zoom button: View_01, then back to base; never a maximised window.
  for (int expected : {1, 0}) {
    window.showMaximized();
    QTest::qWait(600);
    EXPECT_EQ(layouts->calendarViewStatus(), expected);
    EXPECT_FALSE(window.isMaximized());
  }
  layouts->setCalendarViewCalendarAndListOnly();
  layouts->toggleCalendarView2();
  EXPECT_EQ(layouts->calendarViewStatus(), 0);
}

TEST_F(WindowLayouts, ProgramsSwitchLayouts) {
  const pravella::VkRunResult r = pravella::runVkProgram("cal_setCalMinView(1); cal_setCalendarView(1);");
  EXPECT_TRUE(r.ok) << r.text;
  EXPECT_EQ(layouts->calendarViewStatus(), 1);
  EXPECT_EQ(SheetCanOpen.load(), 1);
}

}  // namespace
