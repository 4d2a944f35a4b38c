#include "tools/text/ui/cal_change_window.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWindowStateChangeEvent>

#include "diary/diary_globals.h"
#include "diary/ui/cal_matrix.h"
#include "diary/ui/main_window.h"
#include "diary/ui/sun_moon_panel.h"
#include "editors/ui/main_text_view.h"
#include "platform/notification_center.h"

CalChangeWindow::CalChangeWindow(pravella::MainWindow* window, Host host, QObject* parent)
    : QObject(parent), window_(window), host_(std::move(host)) {}

CalChangeWindow::~CalChangeWindow() {
  pravella::NotificationCenter::defaultCenter().removeObservers(this);
  if (window_) window_->removeEventFilter(this);
}

void CalChangeWindow::awakeFromNib() {
  cMainWindow_ = window_->geometry();
  maxWindowSize_ = window_->maximumSize();
  calendarViewStatus_ = 0;
  SheetCanOpen = 1;
  window_->installEventFilter(this);
  auto& center = pravella::NotificationCenter::defaultCenter();
  auto on = [&](const char* name, void (CalChangeWindow::*action)()) {
    center.addObserver(QString::fromLatin1(name), this,
                       [this, action](pravella::Notification&) { (this->*action)(); });
  };
  on("cal_setCalendarViewBase", &CalChangeWindow::setCalendarViewBase);
  on("cal_setCalendarView_01", &CalChangeWindow::setCalendarView_01);
  on("cal_setCalMinView", &CalChangeWindow::setCalendarViewCalendarAndListOnly);
  on("cal_toggleCalendarView", &CalChangeWindow::toggleCalendarView);
  on("toggleCalendarView", &CalChangeWindow::toggleCalendarView);
  on("toggleCalendarView2", &CalChangeWindow::toggleCalendarView2);
  on("changeToOriginalView", &CalChangeWindow::changeToOriginalView);
  on("changeToMinView", &CalChangeWindow::changeToMinView);
  on("changeMainWindow", &CalChangeWindow::changeMainWindow);
}

void CalChangeWindow::showViews(bool calendar, bool list, bool header, bool memo) {
  for (QWidget* w :
       {static_cast<QWidget*>(window_->calMatrix()), static_cast<QWidget*>(window_->lastYearButton()),
        static_cast<QWidget*>(window_->decMonthButton()), static_cast<QWidget*>(window_->todayButton()),
        static_cast<QWidget*>(window_->incMonthButton()), static_cast<QWidget*>(window_->nextYearButton())})
    w->setVisible(calendar);
  window_->diaryFileField()->setVisible(list);
  // The month's title names what the grid shows; it stays with the grid.
  window_->yearMonthField()->setVisible(header || calendar);
  window_->moonImageView()->setVisible(header);
  window_->sunMoonPanel()->setVisible(header);
  window_->editingDiaryFileName()->setVisible(header);
  window_->symbLinkHeaderField()->setVisible(header);
  // The row as a whole: its spare buttons stay hidden until a program gives them a title.
  window_->buttonMenu()->setVisible(header);
  window_->documentView()->setVisible(memo);
}

int CalChangeWindow::calendarAndListHeight() {
  // The list shows its header and a few rows; the rest is what the shown views need.
  QTableWidget* list = window_->diaryFileField();
  if (listMinimumHeight_ < 0) listMinimumHeight_ = list->minimumHeight();
  const int rows = list->horizontalHeader()->sizeHint().height() +
                   kListRows * list->verticalHeader()->defaultSectionSize() + 2 * list->frameWidth();
  list->setMinimumHeight(rows);
  // The views just hidden ask for their layouts again later, and the main window's layout keeps
  // the central views' last minimum: lay them out now and tell it, so that the height is that
  // of the views that show, whenever they were made.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  window_->centralWidget()->updateGeometry();
  window_->layout()->invalidate();
  return std::max(kMinViewHeight, window_->minimumSizeHint().height());
}

void CalChangeWindow::restoreFullWindow() {
  applying_ = true;
  if (listMinimumHeight_ >= 0) window_->diaryFileField()->setMinimumHeight(listMinimumHeight_);
  listMinimumHeight_ = -1;
  // The minimum is the layout's again, worked out from the views that show and the side view
  // open: one fixed here would let the window be narrower than they need, their fields overlapping.
  window_->setMinimumSize(0, 0);
  window_->setMaximumSize(maxWindowSize_);
  window_->layout()->invalidate();
  window_->layout()->activate();
  window_->setGeometry(cMainWindow_);
  applying_ = false;
}

void CalChangeWindow::setCalendarViewBase() {
  if (host_.playSound) host_.playSound("Pop");
  showViews(true, true, true, true);
  restoreFullWindow();
  calendarViewStatus_ = 0;
  SheetCanOpen = 1;
}

void CalChangeWindow::setCalendarView_01() {
  if (host_.playSound) host_.playSound("Pop");
  showViews(false, false, true, true);
  restoreFullWindow();
  calendarViewStatus_ = 1;
  SheetCanOpen = 1;
}

void CalChangeWindow::setCalendarViewCalendarAndListOnly() {
  if (host_.playSound) host_.playSound("Pop");
  if (host_.closeAllToggleView) host_.closeAllToggleView();
  SheetCanOpen = 0;
  showViews(true, true, false, false);
  // The top edge stays; the window cannot be resized in this layout.
  applying_ = true;
  const QSize size(cMainWindow_.width(), calendarAndListHeight());
  window_->setMinimumSize(size);
  window_->setMaximumSize(size);
  window_->setGeometry(QRect(cMainWindow_.topLeft(), size));
  applying_ = false;
  calendarViewStatus_ = 2;
}

void CalChangeWindow::toggleCalendarView() {
  const int next = calendarViewStatus_ + 1;
  if (next == 1) return setCalendarView_01();
  if (next == 2) return setCalendarViewCalendarAndListOnly();
  setCalendarViewBase();
}

void CalChangeWindow::toggleCalendarView2() {
  if (calendarViewStatus_ == 0) return setCalendarView_01();
  setCalendarViewBase();
}

void CalChangeWindow::changeToOriginalView() {
  if (calendarViewStatus_ != 0) setCalendarViewBase();
}

void CalChangeWindow::changeToMinView() {
  if (calendarViewStatus_ != 2) setCalendarViewCalendarAndListOnly();
}

void CalChangeWindow::changeMainWindow() {
  // The small window of the list-only layout is not remembered: a full layout comes back where
  // the window last was at full size.
  if (!applying_ && SheetCanOpen.load() != 0) cMainWindow_ = window_->geometry();
}

bool CalChangeWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::WindowStateChange && window_->isMaximized()) {
    // The zoom button toggles the layout instead of filling the screen. Window systems may
    // echo the maximised state once more after it is undone: one request, one toggle.
    if (lastZoom_.isValid() && lastZoom_.elapsed() < 500) {
      window_->setWindowState(window_->windowState() & ~Qt::WindowMaximized);
      return QObject::eventFilter(watched, event);
    }
    lastZoom_.start();
    QMetaObject::invokeMethod(
        this,
        [this] {
          window_->setWindowState(window_->windowState() & ~Qt::WindowMaximized);
          pravella::NotificationCenter::defaultCenter().post(QStringLiteral("toggleCalendarView2"));
        },
        Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
}
