// The internet sheet's console on a main window that leaves it no free side (as wide and as
// high as the screen, as a window manager makes it for the sheet): it covers neither the menu
// bar nor any of the window's controls (the calendar column, the memo's buttons, the sheet,
// the status line), only the memo's text.

#include <QDockWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "app/app_fixture.h"
#include "net/web/ui/console_window.h"
#include "support/wait_for.h"

namespace {

using namespace app_test;
using pravella::test::becomesTrue;

// A deadline for what the window system does on a busy machine, never a measure.
constexpr int kSettleMs = 10000;

QString text(const QRect& r) {
  return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QRect onScreen(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

class ConsolePlace : public App {};

TEST_F(ConsolePlace, OnAWindowThatLeavesNoSideFreeItCoversOnlyTheMemosText) {
  const QRect available = window().screen()->availableGeometry();
  window().setGeometry(available);
  ASSERT_TRUE(becomesTrue([&] { return window().geometry() == available && laidOut(); }, kSettleMs))
      << s(text(window().geometry()));
  clickMenuItem(menuEntry({"&Tools", "&Internet"}));
  auto* sheet = window().findChild<QDockWidget*>("internetSheet");
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(becomesTrue([&] { return shown(sheet) && laidOut(); }, kSettleMs));
  ASSERT_TRUE(pravella::test::queuedWorkDone(kSettleMs));

  QPushButton* button = nullptr;
  for (QPushButton* b : sheet->findChildren<QPushButton*>())
    if (b->text() == "Console") button = b;
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  QWidget* console = pravella::web::consoleWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(console));
  const QRect frame = console->frameGeometry();
  EXPECT_TRUE(available.contains(frame)) << s(text(frame));
  const struct {
    const char* name;
    const QWidget* part;
  } controls[] = {
      {"menu bar", window().menuBar()},
      {"calendar column", window().findChild<QWidget*>("calendarColumn")},
      {"memo buttons", window().buttonMenu()},
      {"internet sheet", sheet},
      {"status line", window().statusBar()},
  };
  for (const auto& control : controls) {
    ASSERT_NE(control.part, nullptr) << control.name;
    if (!shown(control.part)) continue;
    EXPECT_FALSE(frame.intersects(onScreen(control.part)))
        << control.name << ": " << s(text(onScreen(control.part))) << " under " << s(text(frame));
  }
  EXPECT_TRUE(onScreen(memo()).contains(frame)) << s(text(onScreen(memo()))) << " " << s(text(frame));
  console->hide();
}

}  // namespace
