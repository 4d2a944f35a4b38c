// Side views (drawers) on an X display of their own as large as a desk's screen, 1600x1200
// (the folder's name: tests/CMakeLists.txt starts it, whatever display the test command
// gives): opening one from its menu widens the main window by the view's width as far as the
// screen allows, moving it left at the right edge, and leaves the memo its width (at least a
// readable one where the screen has no room); closing it gives the width back. The separator
// between memo and view changes the view's width, which the window frame files keep for the
// next start. The calendar column's fields never share pixels, whatever the window's width.

#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>

#include "app/app_fixture.h"
#include "diary/startup_files.h"
#include "diary/ui/side_view_room.h"
#include "imaging/ui/sub_window.h"
#include "imaging/ui/sub_window_list.h"
#include "net/mail/mail_settings.h"
#include "platform/property_list.h"
#include "support/wait_for.h"

namespace {

using namespace app_test;

// A deadline for what the window system does on a busy machine, never a measure.
constexpr int kSettleMs = 10000;

// A side view and how the user opens it: a menu entry by its titles, or what `open` does.
struct SideView {
  const char* dock;
  QStringList menu;
};

const SideView kMenuViews[] = {
    {"toggleMemo", {"&View", "Memo &Sheet"}},
    {"monthDiaryView", {"&View", "Month &Diary"}},
    {"searchToggleView", {"&Tools", "&Find and Replace..."}},
    {"docIndexDrawer", {"&Tools", "&Outline"}},
    {"prefDrawer", {"&Tools", "&Modules"}},
    {"bookMarkDrawer", {"&Tools", "&Bookmarks"}},
    {"launcherDrawer", {"&Tools", "&Launcher"}},
    {"eDicDrawer", {"&Tools", "&Dictionary"}},
    {"DicDrawer", {"&Tools", "Te&xt Dictionary"}},
    {"manualDrawer", {"&Tools", "&Manual"}},
    {"internetSheet", {"&Tools", "&Internet"}},
    {"mailSheet", {"&Tools", "M&ail"}},
    {"pictDrawer", {"&Tools", "&Pictures"}},
    {"movieDrawer", {"&Tools", "Mo&vies"}},
    {"ftpDrawer", {"&Tools", "&FTP"}},
    {"webNSDrawer", {"&Tools", "&Web Browser"}},
    {"finderDrawer", {"&Tools", "&Finder"}},
    {"toolDrawer", {"&Tools", "Tool &Drawer"}},
    {"sheetTableDrawer", {"&Edit", "Open &Table at Caret"}},
};

QString today() {
  const QDate d = QDate::currentDate();
  return pravella::paths::dayFolder(d.year(), d.month(), d.day());
}

class Drawers : public App {
 protected:
  void SetUp() override {
    // Today's folder holds a memo, shown at the start, then a picture and a medical image,
    // which open in side views.
    QDir().mkpath(today());
    QTextDocument note;
    note.setPlainText("a note");
    ASSERT_TRUE(pravella::writeRtfdFile(today() + "/a note.rtfd", note).ok);
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(today() + "/photo.png"));
    QFile scan(today() + "/scan.h4");  // an H4 image: 466,944 bytes and nothing else
    ASSERT_TRUE(scan.open(QIODevice::WriteOnly));
    scan.write(QByteArray(466944, '\0'));
    scan.close();
    // The mail sheet opens once an account is set.
    pravella::mail::MailSettings mail;
    mail.host = "127.0.0.1";
    mail.sender = "me@example.org";
    ASSERT_TRUE(pravella::mail::writeMailSettings(mail).ok);
    App::SetUp();
  }

  QRect available() { return window().screen()->availableGeometry(); }
  int separator() {
    return window().style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, &window());
  }
  QDockWidget* dock(const QString& name) {
    // The calendar's picture view and the picture tool share a name: the one shown.
    QDockWidget* found = nullptr;
    for (QDockWidget* d : window().findChildren<QDockWidget*>(name))
      if (!found || !d->isHidden()) found = d;
    return found;
  }
  QDockWidget* openView() {
    for (QDockWidget* d : window().findChildren<QDockWidget*>())
      if (!d->isHidden()) return d;
    return nullptr;
  }

  void place(const QRect& geometry) {
    window().setGeometry(geometry);
    ASSERT_TRUE(waitFor([&] { return window().geometry() == geometry; }, 3000))
        << s(QString("%1,%2 %3").arg(window().x()).arg(window().y()).arg(window().width()));
    ASSERT_TRUE(pravella::test::becomesTrue([&] { return laidOut(); }, kSettleMs));
  }

  void openFromMenu(const SideView& view) {
    if (QString(view.dock) == "sheetTableDrawer") {
      // The table named around the caret, in a saved memo.
      memo()->setPlainText("see <budget> here");
      window().editingDiaryFileName()->setText("plan");
      ASSERT_TRUE(calendar().save());
      select(6, 6);
    } else {
      select(0, 0);  // no selection: nothing is looked up
    }
    QAction* entry = menuEntry(view.menu);
    ASSERT_NE(entry, nullptr) << s(view.menu.join(" > "));
    clickMenuItem(entry);
  }

  // A click on the day list's row of `name`.
  void clickDocument(const QString& name) {
    QTableWidget* list = window().diaryFileField();
    const int row = static_cast<int>(calendar().diaryFiles().indexOf(name));
    ASSERT_GE(row, 0) << s(name);
    list->scrollToItem(list->item(row, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row, 1)).center());
    QApplication::processEvents();
  }

  // The view's close button in its title bar, clicked.
  void closeByItsButton(QDockWidget* view) {
    auto* close = view->findChild<QAbstractButton*>("qt_dockwidget_closebutton");
    ASSERT_NE(close, nullptr) << s(view->objectName());
    ASSERT_TRUE(shown(close)) << s(view->objectName());
    QTest::mouseClick(close, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(waitFor([&] { return view->isHidden(); }, 3000)) << s(view->objectName());
    ASSERT_TRUE(pravella::test::becomesTrue([&] { return laidOut(); }, kSettleMs));
  }

  // Waits until `view` shows and the window's layout has it beside the memo.
  void waitShown(QDockWidget* view) {
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(waitFor(
        [&] {
          return shown(view) && view->width() > 0 &&
                 view->geometry().left() > window().centralWidget()->geometry().right() && laidOut();
        },
        kSettleMs))
        << s(view->objectName());
  }

  // A drag of the separator left of `view` by `dx` pixels, with the mouse as the user drags it.
  void dragSeparator(QDockWidget* view, int dx) {
    const int centralRight = window().centralWidget()->geometry().right();
    const int viewLeft = view->geometry().left();
    ASSERT_LT(centralRight, viewLeft);
    const QPoint from((centralRight + viewLeft + 1) / 2, view->geometry().center().y());
    QTest::mousePress(&window(), Qt::LeftButton, Qt::NoModifier, from);
    // The window moves its separator on a zero-time timer after each move of the mouse.
    for (int step = 1; step <= 4; ++step) {
      QTest::mouseMove(&window(), from + QPoint(dx * step / 4, 0));
      ASSERT_TRUE(pravella::test::queuedWorkDone(kSettleMs));
    }
    QTest::mouseRelease(&window(), Qt::LeftButton, Qt::NoModifier, from + QPoint(dx, 0));
    ASSERT_TRUE(pravella::test::queuedWorkDone(kSettleMs));
    ASSERT_TRUE(pravella::test::becomesTrue([&] { return laidOut(); }, kSettleMs));
  }

  int memoMinimum() {
    return std::max(pravella::kMemoMinimumPixels,
                    pravella::kMemoMinimumCharacters *
                        QFontMetrics(memo()->document()->defaultFont()).averageCharWidth());
  }
};

TEST_F(Drawers, EveryViewWidensTheWindowAsFarAsTheScreenAllowsAndGivesTheWidthBack) {
  const QRect start(available().left(), available().top(), 1100, 800);
  std::vector<std::pair<QString, std::function<void()>>> openings;
  for (const SideView& view : kMenuViews)
    openings.emplace_back(view.dock, [this, view] { openFromMenu(view); });
  openings.emplace_back("pictDrawer", [this] { clickDocument("photo.png"); });
  openings.emplace_back("medImageDraw", [this] { clickDocument("scan.h4"); });
  openings.emplace_back("ISDrawer", [this] { run("cal_openImageSegmentSheetWithPath(\"~\");"); });

  for (const auto& [name, open] : openings) {
    SCOPED_TRACE(s(name));
    place(start);
    const int memoBefore = memo()->width();
    open();
    QDockWidget* view = openView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->objectName(), name);
    waitShown(view);
    const int wanted = start.width() + view->width() + separator();
    EXPECT_EQ(window().width(), std::min(wanted, available().width()));
    EXPECT_EQ(window().x(), start.x());
    EXPECT_GE(memo()->width(), std::min(memoBefore, memoMinimum()));
    if (wanted <= available().width()) {
      EXPECT_EQ(memo()->width(), memoBefore);
    }
    EXPECT_GE(view->width(), view->minimumSizeHint().width());

    closeByItsButton(view);
    EXPECT_EQ(window().geometry(), start);
    EXPECT_TRUE(waitFor([&] { return memo()->width() == memoBefore; }, 2000))
        << memo()->width() << " " << memoBefore;
  }
}

TEST_F(Drawers, WithRoomToTheRightTheMemoKeepsItsWidthExactly) {
  const QRect start(available().left() + 20, available().top() + 10, 900, 700);
  place(start);
  const int memoBefore = memo()->width();
  typeShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));  // the memo sheet
  QDockWidget* sheet = dock("toggleMemo");
  waitShown(sheet);
  EXPECT_EQ(sheet->width(), pravella::kSideViewDefaultWidth);
  EXPECT_EQ(window().geometry(), QRect(start.topLeft(), QSize(900 + sheet->width() + separator(), 700)));
  EXPECT_EQ(memo()->width(), memoBefore);

  // The same shortcut closes it: the width comes back.
  typeShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
  ASSERT_TRUE(waitFor([&] { return sheet->isHidden(); }));
  EXPECT_EQ(window().geometry(), start);
}

TEST_F(Drawers, NearTheRightEdgeTheWindowMovesLeftAndBackAgain) {
  const QRect start(available().right() - 1000 - 30, available().top() + 10, 1000, 700);
  place(start);
  const int memoBefore = memo()->width();
  clickMenuItem(menuEntry({"&View", "Memo &Sheet"}));
  QDockWidget* sheet = dock("toggleMemo");
  waitShown(sheet);
  const QRect g = window().frameGeometry();
  EXPECT_EQ(g.right(), available().right());
  EXPECT_EQ(g.width(), 1000 + sheet->width() + separator());
  EXPECT_TRUE(available().contains(g));
  EXPECT_EQ(memo()->width(), memoBefore);

  closeByItsButton(sheet);
  EXPECT_EQ(window().geometry(), start);
}

TEST_F(Drawers, WithNoRoomTheMemoKeepsAReadableWidthAndTheViewTakesTheRest) {
  // The memo sheet asks for more than the screen has beside a memo of readable width.
  const QRect start = QRect(available().topLeft(), QSize(available().width(), 800));
  place(start);
  clickMenuItem(menuEntry({"&View", "Memo &Sheet"}));
  QDockWidget* sheet = dock("toggleMemo");
  waitShown(sheet);
  closeByItsButton(sheet);
  const int wide = available().width();
  window().sideViews()->setWidth("toggleMemo", wide);  // as a wider screen left it
  clickMenuItem(menuEntry({"&View", "Memo &Sheet"}));
  waitShown(sheet);
  EXPECT_EQ(window().geometry(), start);
  EXPECT_EQ(memo()->width(), memoMinimum());
  EXPECT_LT(sheet->width(), wide);
  EXPECT_GE(sheet->width(), sheet->minimumSizeHint().width());
  const int calendarWidth = window().findChild<QWidget*>("calendarColumn")->width();
  EXPECT_GE(calendarWidth, window().findChild<QWidget*>("calendarColumn")->sizeHint().width());
  // The separator gives the memo more, but cannot take it below its readable width.
  dragSeparator(sheet, 100);
  EXPECT_EQ(memo()->width(), memoMinimum() + 100);
  dragSeparator(sheet, -300);
  EXPECT_EQ(memo()->width(), memoMinimum());
  closeByItsButton(sheet);
  EXPECT_EQ(window().geometry(), start);
  // The width the user gave it by the separator is kept.
  EXPECT_EQ(window().sideViews()->width("toggleMemo"), sheet->width());

  // A memo font so large that a readable memo leaves less than the view's minimum: the view
  // gets its minimum and the memo the rest.
  QFont big = memo()->document()->defaultFont();
  big.setPixelSize(40);
  memo()->document()->setDefaultFont(big);
  clickMenuItem(menuEntry({"&View", "Memo &Sheet"}));
  waitShown(sheet);
  EXPECT_EQ(window().geometry(), start);
  EXPECT_EQ(sheet->width(), sheet->minimumSizeHint().width());
  EXPECT_LT(memo()->width(), memoMinimum());
  EXPECT_GE(memo()->width(), pravella::kMemoMinimumPixels);
  closeByItsButton(sheet);
}

TEST_F(Drawers, TheSeparatorSetsTheWidthThatTheFramesKeepForTheNextStart) {
  // The memo sheet's width goes into the window frame file, the finder's beside it.
  const QRect start(available().left() + 10, available().top() + 10, 1000, 700);
  const std::pair<const char*, QStringList> views[] = {{"toggleMemo", {"&View", "Memo &Sheet"}},
                                                       {"finderDrawer", {"&Tools", "&Finder"}}};
  std::map<QString, int> dragged;
  for (const auto& [name, menu] : views) {
    SCOPED_TRACE(name);
    place(start);
    const int memoBefore = memo()->width();
    clickMenuItem(menuEntry(menu));
    QDockWidget* view = dock(name);
    waitShown(view);
    const int opened = view->width();
    const QRect widened = window().geometry();
    dragSeparator(view, 100);  // narrower by 100, to the memo
    EXPECT_EQ(view->width(), opened - 100);
    EXPECT_EQ(memo()->width(), memoBefore + 100);
    EXPECT_EQ(window().geometry(), widened);
    dragged[name] = view->width();

    closeByItsButton(view);
    EXPECT_EQ(window().geometry(), start);
    EXPECT_TRUE(waitFor([&] { return memo()->width() == memoBefore; }, 2000));
    clickMenuItem(menuEntry(menu));
    waitShown(view);
    EXPECT_EQ(view->width(), dragged[name]);
    EXPECT_EQ(window().width(), 1000 + dragged[name] + separator());
    EXPECT_EQ(memo()->width(), memoBefore);
    closeByItsButton(view);
  }

  // Quit with the finder open: the frame kept is the window's without it.
  clickMenuItem(menuEntry({"&Tools", "&Finder"}));
  waitShown(dock("finderDrawer"));
  clickMenuItem(action("quitAction"));
  ASSERT_EQ(terminations, 1);
  const std::optional<pravella::WindowFrame> frame =
      pravella::readWindowFrameFile(pravella::windowFrameFilePath());
  ASSERT_TRUE(frame);
  EXPECT_EQ(QRect(qRound(frame->x), qRound(frame->y), qRound(frame->width), qRound(frame->height)), start);
  EXPECT_EQ(frame->sideWidths[0], dragged["toggleMemo"]);
  EXPECT_EQ(pravella::readSideViewWidths(pravella::sideViewWidthsFilePath())["finderDrawer"],
            dragged["finderDrawer"]);

  // The next start opens each view as wide as it was left.
  app.reset();
  App::SetUp();
  ASSERT_TRUE(waitFor([&] { return window().geometry() == start; }, 3000));
  for (const auto& [name, menu] : views) {
    SCOPED_TRACE(name);
    clickMenuItem(menuEntry(menu));
    QDockWidget* view = dock(name);
    waitShown(view);
    EXPECT_EQ(view->width(), dragged[name]);
    EXPECT_EQ(window().width(), 1000 + dragged[name] + separator());
    closeByItsButton(view);
  }
}

// The leaf widgets shown in the calendar column, in its coordinates.
std::vector<std::pair<QWidget*, QRect>> shownFields(QWidget* column) {
  std::vector<std::pair<QWidget*, QRect>> fields;
  for (QWidget* w : column->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(column) || w->isWindow()) continue;
    bool leaf = true;
    for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (child->isVisibleTo(column)) leaf = false;
    // A table's inner parts belong to it; the grid's cells and the panel's fields are leaves.
    for (QWidget* p = w->parentWidget(); p && p != column; p = p->parentWidget())
      if (qobject_cast<QAbstractScrollArea*>(p)) leaf = false;
    if (leaf) fields.emplace_back(w, QRect(w->mapTo(column, QPoint(0, 0)), w->size()));
  }
  return fields;
}

TEST_F(Drawers, APictureWindowAProgramOpensStaysOnTheScreenWhileAViewIsOpen) {
  // Widened by the view, the window moves left to the screen's edge: the room left is left
  // of it.
  const QRect start(available().left() + 400, available().top() + 10, 800, 700);
  place(start);
  clickMenuItem(menuEntry({"&View", "Month &Diary"}));
  waitShown(dock("monthDiaryView"));
  ASSERT_GT(window().width(), start.width());
  ASSERT_LT(available().right() - window().frameGeometry().right(), 50);
  ASSERT_GT(window().frameGeometry().left() - available().left(), 100);

  run("RGB = popRGBColor(\"mono\"); p# = densityPlot(|0, 1| |0, 1|, |1, 0|); openPictWindow(p#, \"A\");");
  pravella::imaging::SubWindow* picture = pravella::imaging::findWindowFromSubWindowList("A");
  ASSERT_NE(picture, nullptr);
  QWidget* shownWindow = picture->window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(shownWindow));
  const QRect frame = shownWindow->frameGeometry();
  EXPECT_TRUE(available().contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width();
  EXPECT_LT(frame.right(), window().frameGeometry().left());  // left of the main window
  pravella::imaging::closeAllPictWindow();
}

TEST_F(Drawers, TheCalendarColumnsFieldsNeverOverlapAtAnyWindowWidth) {
  QWidget* column = window().findChild<QWidget*>("calendarColumn");
  ASSERT_NE(column, nullptr);
  auto check = [&](const QString& when) {
    SCOPED_TRACE(s(when));
    // Work the resize posted (the columns' own layouts) is done, and the window laid out.
    ASSERT_TRUE(pravella::test::queuedWorkDone(kSettleMs));
    ASSERT_TRUE(pravella::test::becomesTrue([&] { return laidOut(); }, kSettleMs));
    const auto fields = shownFields(column);
    ASSERT_GT(fields.size(), 42u);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const auto& [w, r] = fields[i];
      EXPECT_TRUE(QRect(QPoint(0, 0), column->size()).contains(r)) << s(w->objectName());
      for (std::size_t j = i + 1; j < fields.size(); ++j)
        EXPECT_FALSE(r.intersects(fields[j].second))
            << s(w->objectName()) << " " << s(fields[j].first->objectName()) << " "
            << s(QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
      // Every text has the room it needs.
      if (auto* label = qobject_cast<QLabel*>(w);
          label && !label->text().isEmpty() && label->pixmap().isNull()) {
        EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(label->text()))
            << s(label->objectName()) << " " << s(label->text());
      }
    }
  };
  for (int width = 200; width <= available().width(); width += 100) {
    window().resize(width, 800);
    check(QString("window %1 wide").arg(window().width()));
  }
  // A side view taking all the room there is.
  place(QRect(available().topLeft(), QSize(available().width(), 800)));
  window().sideViews()->setWidth("monthDiaryView", available().width());
  clickMenuItem(menuEntry({"&View", "Month &Diary"}));
  waitShown(dock("monthDiaryView"));
  check("beside the month diary");
}

}  // namespace
