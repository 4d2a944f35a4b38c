// The sun and moon panel and the memo's button row beside each side view, at a window 1,100
// pixels wide, at the narrowest the window allows and at a wide one: no two of their fields or
// buttons share pixels, each is at least as large as it asks to be (its own size hints, so no
// font is assumed), and none is cut off by its column or covered by the memo or the view.
// Views are opened as the user opens them (menu entries, shortcuts) and the window is resized
// as a top-level window is.

#include <QButtonGroup>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "app_fixture.h"
#include "diary/ui/side_view_scroll.h"
#include "diary/ui/sun_moon_panel.h"

namespace {

using namespace app_test;

constexpr int kSettleMs = 10000;

std::string at(const QRect& r) {
  return s(QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
}

class SideViewFields : public App {
 protected:
  QDockWidget* openView() {
    for (QDockWidget* d : window().findChildren<QDockWidget*>())
      if (shown(d) && !d->isFloating()) return d;
    return nullptr;
  }

  // The window resized by its frame, then laid out.
  void resizeTo(int width) {
    window().resize(width, window().height());
    ASSERT_TRUE(pravella::test::queuedWorkDone(kSettleMs));
    ASSERT_TRUE(pravella::test::becomesTrue([&] { return laidOut(); }, kSettleMs));
  }

  // The shown children of `box` (in its coordinates) share no pixel, lie inside it, and are each
  // as large as they ask; texts have the room they need.
  void expectReadable(QWidget* box) {
    SCOPED_TRACE(s(box->objectName()));
    ASSERT_TRUE(shown(box));
    std::vector<QWidget*> parts;
    for (QWidget* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (w->isVisibleTo(box)) parts.push_back(w);
    ASSERT_FALSE(parts.empty());
    const QRect inside(QPoint(0, 0), box->size());
    for (std::size_t i = 0; i < parts.size(); ++i) {
      QWidget* w = parts[i];
      const std::string name = s(w->objectName()) + " " + s(w->property("text").toString());
      EXPECT_TRUE(inside.contains(w->geometry()))
          << name << " at " << at(w->geometry()) << " in " << at(inside);
      const QSize asks = w->minimumSizeHint().expandedTo(w->minimumSize());
      EXPECT_GE(w->width(), asks.width()) << name;
      EXPECT_GE(w->height(), asks.height()) << name;
      if (auto* button = qobject_cast<QToolButton*>(w)) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << name;
      }
      if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
        EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(label->text()))
            << name;
      }
      for (std::size_t j = i + 1; j < parts.size(); ++j)
        EXPECT_FALSE(w->geometry().intersects(parts[j]->geometry()))
            << name << " at " << at(w->geometry()) << " and " << s(parts[j]->objectName()) << " "
            << s(parts[j]->property("text").toString()) << " at " << at(parts[j]->geometry());
    }
  }

  // In window coordinates.
  QRect inWindow(QWidget* w) { return QRect(w->mapTo(&window(), QPoint(0, 0)), w->size()); }

  void expectLaidOutReadably(const QString& when) {
    SCOPED_TRACE(s(when));
    QWidget* panel = window().sunMoonPanel();
    QWidget* row = window().buttonMenu();
    expectReadable(panel);
    expectReadable(row);
    // Neither is cut off by its column, covered by the memo or by the view beside it.
    QWidget* calendarColumn = window().findChild<QWidget*>("calendarColumn");
    QWidget* memoColumn = window().findChild<QWidget*>("memoColumn");
    EXPECT_TRUE(inWindow(calendarColumn).contains(inWindow(panel))) << at(inWindow(panel));
    EXPECT_TRUE(inWindow(memoColumn).contains(inWindow(row))) << at(inWindow(row));
    EXPECT_FALSE(inWindow(row).intersects(inWindow(memo())))
        << at(inWindow(row)) << " " << at(inWindow(memo()));
    EXPECT_GE(calendarColumn->width(), calendarColumn->minimumSizeHint().width());
    EXPECT_GE(memoColumn->width(), memoColumn->minimumSizeHint().width());
    if (QDockWidget* view = openView()) {
      EXPECT_GT(view->geometry().left(), window().centralWidget()->geometry().right())
          << s(view->objectName());
      // The view's own fields are whole too: where it is narrower than they need, they scroll.
      pravella::SideViewScroll* scroll = pravella::SideViewScroll::of(view);
      QWidget* content = scroll ? scroll->widget() : view->widget();
      EXPECT_GE(content->width(), content->minimumSizeHint().width()) << s(view->objectName());
      EXPECT_GE(content->height(), content->minimumSizeHint().height()) << s(view->objectName());
    }
  }
};

// A side view and how the user opens it: a menu entry by its titles, else a shortcut.
struct Opening {
  const char* view;  // the dock that shows, or none
  QStringList menu;
  QKeySequence keys;
};

TEST_F(SideViewFields, ThePanelAndTheMemoButtonsStayReadableBesideEverySideViewAtAnyWidth) {
  const Opening openings[] = {
      {nullptr, {}, {}},
      {"internetSheet", {"&Tools", "&Internet"}, {}},
      {"toggleMemo", {}, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M)},
      {"monthDiaryView", {"&View", "Month &Diary"}, {}},
      {"finderDrawer", {"&Tools", "&Finder"}, {}},
      {"eDicDrawer", {"&Tools", "&Dictionary"}, {}},
  };
  ASSERT_TRUE(shown(window().memoMenuButtons()->button(0)));
  for (const Opening& opening : openings) {
    const QString name = opening.view ? opening.view : "no view";
    SCOPED_TRACE(s(name));
    resizeTo(1100);
    if (!opening.menu.isEmpty()) clickMenuItem(menuEntry(opening.menu));
    if (!opening.keys.isEmpty()) typeShortcut(opening.keys);
    if (opening.view) {
      ASSERT_TRUE(waitFor([&] {
        QDockWidget* view = openView();
        return view && view->objectName() == opening.view && laidOut();
      })) << s(name);
    }
    for (const int width : {1100, 1, 1400, 1100}) {
      resizeTo(width);
      expectLaidOutReadably(QString("asked %1, window %2 wide").arg(width).arg(window().width()));
    }
    if (QDockWidget* view = openView()) {
      QTest::mouseClick(view->findChild<QAbstractButton*>("qt_dockwidget_closebutton"), Qt::LeftButton);
      ASSERT_TRUE(waitFor([&] { return !openView() && laidOut(); }));
    }
  }
}

TEST_F(SideViewFields, AfterTheLayoutsGoRoundTheWindowStillHoldsWhatASideViewNeeds) {
  // Every layout in turn, each readable where it shows the panel and the row and lets the
  // window be resized, and back to the full one; then the internet sheet at the narrowest window.
  QAction* change = nullptr;
  for (QAction* a : window().findChildren<QAction*>())
    if (a->shortcut() == QKeySequence("Ctrl+Shift+L")) change = a;
  ASSERT_NE(change, nullptr);
  int layoutsChecked = 0;
  for (int step = 1; step <= 3; ++step) {
    typeShortcut(change->shortcut());
    if (!shown(window().sunMoonPanel()) || window().minimumWidth() == window().maximumWidth()) continue;
    ++layoutsChecked;
    for (const int width : {1100, 1}) {
      resizeTo(width);
      expectLaidOutReadably(QString("layout %1, window %2 wide").arg(step).arg(window().width()));
    }
  }
  EXPECT_EQ(layoutsChecked, 2);  // the one with the memo and no calendar, and the full one
  ASSERT_TRUE(shown(memo()));
  clickMenuItem(menuEntry({"&Tools", "&Internet"}));
  ASSERT_TRUE(waitFor([&] { return openView() && laidOut(); }));
  for (const int width : {1100, 1}) {
    resizeTo(width);
    expectLaidOutReadably(QString("asked %1, window %2 wide").arg(width).arg(window().width()));
  }
}

TEST_F(SideViewFields, WhereTheScreenHasNoRoomForAViewsMinimumItScrollsAndTheWindowStaysOnTheScreen) {
  // The window as wide and high as the screen's available area: a view whose minimum the screen
  // cannot hold beside the calendar and the memo scrolls inside what is left.
  const QRect available = window().screen()->availableGeometry();
  const QMargins decorations(window().geometry().left() - window().frameGeometry().left(),
                             window().geometry().top() - window().frameGeometry().top(),
                             window().frameGeometry().right() - window().geometry().right(),
                             window().frameGeometry().bottom() - window().geometry().bottom());
  const QRect inside = available.marginsRemoved(decorations);
  window().setGeometry(inside);
  ASSERT_TRUE(waitFor([&] { return window().geometry() == inside && laidOut(); }));
  clickMenuItem(menuEntry({"&Tools", "&Internet"}));
  ASSERT_TRUE(waitFor([&] { return openView() && laidOut(); }));
  ASSERT_TRUE(pravella::test::queuedWorkDone(kSettleMs));
  QDockWidget* view = openView();
  EXPECT_TRUE(available.contains(window().frameGeometry()))
      << at(window().frameGeometry()) << " on " << at(available);
  expectLaidOutReadably("beside the internet sheet");
  // Its address field is still typed into where it scrolled.
  auto* address = view->findChild<QLineEdit*>();
  ASSERT_NE(address, nullptr);
  address->setFocus();
  QTest::keyClicks(address, "example");
  EXPECT_EQ(address->text(), "example");
  // Closed, the window is as it was; opened again, it fits again.
  QTest::mouseClick(view->findChild<QAbstractButton*>("qt_dockwidget_closebutton"), Qt::LeftButton);
  ASSERT_TRUE(waitFor([&] { return !openView() && laidOut(); }));
  EXPECT_EQ(window().geometry(), inside);
  clickMenuItem(menuEntry({"&Tools", "&Internet"}));
  ASSERT_TRUE(waitFor([&] { return openView() && laidOut(); }));
  EXPECT_TRUE(available.contains(window().frameGeometry()));
  expectLaidOutReadably("beside the internet sheet again");
}

}  // namespace
