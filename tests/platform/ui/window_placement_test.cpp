// Windows placed beside the main window: 5 points to its right with the tops level where that
// fits the screen's available area, else left of it, below or above it, else where it hides
// least of the main window.

#include "platform/ui/window_placement.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace {

using pravella::besideMainWindow;

TEST(WindowPlacement, BesideTheMainWindowAndWhollyOnTheScreen) {
  const QRect screen(0, 0, 1600, 1200);
  const QRect underPanel(0, 0, 1600, 1170);  // a panel along the bottom
  const QSize small(400, 300);
  const struct Case {
    const char* name;
    QRect main, available;
    QSize frame;
    QPoint at;
  } cases[] = {
      {"room on the right", {50, 50, 1100, 800}, screen, small, {1155, 50}},
      {"right edge exactly at the screen's", {95, 50, 1100, 800}, screen, small, {1200, 50}},
      {"right part off: no room left either, so the nearest place",
       {100, 50, 1100, 800},
       screen,
       small,
       {1200, 50}},
      {"main window at the right edge: left of it", {490, 40, 1100, 900}, screen, small, {85, 40}},
      {"left of it to the point", {405, 40, 1100, 900}, screen, small, {0, 40}},
      {"main window widened to the whole screen by a drawer: below it, hiding least",
       {0, 0, 1600, 1000},
       screen,
       small,
       {0, 900}},
      {"main window wider than the screen", {-100, 0, 1800, 1000}, screen, small, {0, 900}},
      {"no room right or left: below it", {300, 40, 1100, 700}, screen, small, {300, 745}},
      {"no room right, left or below: above it", {300, 600, 1100, 550}, screen, small, {300, 295}},
      {"main window above the screen's top", {50, -40, 1100, 800}, screen, small, {1155, 0}},
      {"bottom would leave the area above the panel",
       {50, 900, 1100, 300},
       underPanel,
       {400, 500},
       {1155, 670}},
      {"window larger than the screen keeps its top-left corner on it",
       {50, 50, 1100, 800},
       screen,
       {2000, 1500},
       {0, 0}},
      {"main window partly off the left edge", {-600, 100, 1100, 700}, screen, small, {505, 100}},
      {"main window off the right edge: as far right as fits",
       {1700, 100, 1100, 700},
       screen,
       small,
       {1200, 100}},
      {"second screen to the right of the first: below hides least",
       {1700, 100, 1100, 700},
       {1600, 24, 1280, 1000},
       small,
       {1700, 724}},
      {"second screen, room on its left", {2200, 100, 600, 700}, {1600, 24, 1280, 1000}, small, {1795, 100}},
      {"no screen known: the place beside it", {100, 50, 1100, 800}, QRect(), small, {1205, 50}},
  };
  for (const Case& c : cases) {
    const QPoint at = besideMainWindow(c.main, c.frame, c.available);
    EXPECT_EQ(at, c.at) << c.name;
    if (c.available.isValid() && c.frame.width() <= c.available.width() &&
        c.frame.height() <= c.available.height()) {
      EXPECT_TRUE(c.available.contains(QRect(at, c.frame))) << c.name;
    }
  }
}

// A main window that leaves no side free: the window goes where it covers none of its controls,
// into the part it marks as the least used (its memo's text), at that part's far corner.
TEST(WindowPlacement, WithNoSideFreeOnlyTheLeastUsedPartIsCovered) {
  const QRect screen(0, 0, 1600, 1200);
  const QRect memo(330, 60, 900, 1100);
  const struct Case {
    const char* name;
    QRect main, leastUsed;
    QSize frame;
    QPoint at;
  } cases[] = {
      {"main window as large as the screen: the memo's far corner", screen, memo, {640, 360}, {590, 800}},
      {"room on the right: beside it still",
       {50, 50, 1000, 800},
       {300, 80, 700, 700},
       {400, 300},
       {1055, 50}},
      {"below it would cover the calendar: below the memo instead, or in it",
       {0, 0, 1600, 1000},
       {400, 50, 900, 900},
       {400, 300},
       {900, 650}},
      {"a window wider than the memo: the least of the controls",
       screen,
       {330, 60, 500, 1100},
       {640, 360},
       {190, 800}},
  };
  for (const Case& c : cases) {
    const QPoint at = besideMainWindow(c.main, c.frame, screen, c.leastUsed);
    EXPECT_EQ(at, c.at) << c.name;
    EXPECT_TRUE(screen.contains(QRect(at, c.frame))) << c.name;
  }
}

// Real windows on the test platform's screen: before it is first shown a window's frame is
// reckoned with the main window's decorations, so it lands where the table says. The main
// window leaves no room on its right, room on its left for a narrow window only, and room
// below it.
TEST(WindowPlacement, ARealWindowLandsOnTheScreen) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_TRUE(screen);
  const QRect available = screen->availableGeometry();
  QWidget main;
  main.resize(available.width() - 100, available.height() / 2);
  main.move(available.topLeft() + QPoint(60, 10));
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  const struct {
    QSize size;
    bool leftOfMain;
  } cases[] = {{{40, 30}, true}, {{200, 150}, false}};
  for (const auto& c : cases) {
    QWidget window(nullptr, Qt::Window);
    window.resize(c.size);
    pravella::placeBesideMainWindow(&window, &main);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect frame = window.frameGeometry(), mainFrame = main.frameGeometry();
    EXPECT_TRUE(available.contains(frame)) << c.size.width();
    EXPECT_FALSE(frame.intersects(mainFrame)) << c.size.width();
    if (c.leftOfMain) {
      EXPECT_EQ(frame.top(), mainFrame.top());
      EXPECT_EQ(frame.right() + 1 + pravella::kBesideGap, mainFrame.left());
    } else {
      EXPECT_EQ(frame.left(), mainFrame.left());
      EXPECT_EQ(frame.top(), mainFrame.bottom() + 1 + pravella::kBesideGap);
    }
  }
  // A window nobody sized is placed at the size it shows with.
  QWidget unsized(nullptr, Qt::Window);
  auto* layout = new QVBoxLayout(&unsized);
  auto* content = new QWidget;
  content->setMinimumSize(300, 200);
  layout->addWidget(content);
  pravella::placeBesideMainWindow(&unsized, &main);
  unsized.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&unsized));
  EXPECT_TRUE(available.contains(unsized.frameGeometry()));
}

}  // namespace
