#pragma once
// CalChangeWindow: the three layouts of the main window. The base layout shows everything;
// View_01 hides the month grid and the document list so that the memo has the room; the
// calendar-and-list-only layout is a window just high enough for the grid and a few rows of the
// list (237 at least), in which no side view opens (SheetCanOpen is false). The window's maximise request
// toggles the layout instead.

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <QSize>

#include <functional>

namespace pravella {
class MainWindow;
}

class CalChangeWindow : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMinViewHeight = 237;
  static constexpr int kListRows = 4;  // the rows the list shows in the small layout

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<void(const char*)> playSound;  // decides whether sounds are on
  };

  CalChangeWindow(pravella::MainWindow* window, Host host, QObject* parent = nullptr);
  ~CalChangeWindow() override;

  // Remembers the window's frame and size limits as loaded, and registers the observers.
  void awakeFromNib();

  void setCalendarViewBase();
  void setCalendarView_01();
  void setCalendarViewCalendarAndListOnly();
  void toggleCalendarView();
  void toggleCalendarView2();
  void changeToOriginalView();
  void changeToMinView();
  void changeMainWindow();

  int calendarViewStatus() const { return calendarViewStatus_; }
  QRect cMainWindow() const { return cMainWindow_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showViews(bool calendar, bool list, bool header, bool memo);
  void restoreFullWindow();
  // The height of the calendar-and-list-only layout; the list keeps kListRows rows meanwhile.
  int calendarAndListHeight();

  pravella::MainWindow* window_;
  Host host_;
  QRect cMainWindow_;
  QSize maxWindowSize_;
  int calendarViewStatus_ = 0;
  int listMinimumHeight_ = -1;  // the list's own minimum while the small layout raises it
  bool applying_ = false;  // our own frame changes are not the user's
  QElapsedTimer lastZoom_;
};
