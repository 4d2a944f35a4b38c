#pragma once
// Room for the side views (drawers) of the main window. A view that opens widens the window by
// its width within the screen's available area, moving the window left where its right edge
// would leave the screen, so that the memo keeps its width; closing it gives the width back.
// Only where the screen has no room does a view take width from the memo, and then the memo
// keeps a readable width and the view gets what is left, down to its own minimum; a view whose
// minimum the screen cannot hold beside the window's columns scrolls its content. Each view's
// width is remembered by its object name; dragging the separator between memo and view sets
// it. Every dock of the main window comes through here, however it is shown or hidden.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <map>
#include <vector>

class QDockWidget;
class QMainWindow;
class QWidget;

namespace pravella {

// The width a view gets before it was ever given one, as the window frame file's default.
inline constexpr int kSideViewDefaultWidth = 500;
// The narrowest memo a view may leave where the screen has no room: this many pixels, or
// this many characters of the memo's font where those are wider.
inline constexpr int kMemoMinimumPixels = 480;
inline constexpr int kMemoMinimumCharacters = 60;

// One opening, in pixels. Frames include the window's decorations.
struct SideViewSpace {
  QRect available;      // the screen's available area
  QRect frame;          // the window's frame with no side view open
  int memoWidth = 0;    // the memo's width with no side view open
  int memoMinimum = 0;  // the narrowest memo the view may leave
  int viewWidth = 0;    // the width the view asks for
  int viewMinimum = 0;  // the narrowest the view can be
  int separator = 0;    // between the memo's column and the view
};

struct SideViewPlace {
  QRect frame;        // the window's frame with the view open
  int viewWidth = 0;  // the view's width
  int memoWidth = 0;  // the memo's width beside it
};

// Where the window goes and how wide view and memo are when a view opens.
SideViewPlace placeSideView(const SideViewSpace& space);

class SideViewRoom : public QObject {
  Q_OBJECT
 public:
  // `memo` is the widget that keeps its width; the window's docks are found as they come.
  SideViewRoom(QMainWindow* window, QWidget* memo);

  // A dock to lay out beside the memo (docks of the window are also found when polished).
  void add(QDockWidget* view);

  // The remembered width of the view with this object name (the default when none is).
  int width(const QString& name) const;
  void setWidth(const QString& name, int width);
  const std::map<QString, int>& widths() const { return widths_; }

  // The window's geometry as it is with no side view open: what is kept at the end.
  QRect geometryWithoutSideViews() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Lays the window out for the views open now, when they are not those it was laid out for.
  void settle();
  void settleOnce();
  std::vector<QDockWidget*> openViews() const;
  bool laidOutForOpenViews() const;
  // The geometry `g` of the window as laid out now, less what the open views added.
  QRect withoutViews(QRect g) const;
  // Whether `at` (window coordinates) lies on the separator between the memo and the views.
  bool onSeparator(const QPoint& at) const;
  int memoMinimum() const;
  // Views whose minimum leaves the window's columns less than theirs within `inner` (the room
  // inside the window's decorations the screen gives) scroll their content in what is left.
  void fitToScreen(const std::vector<QDockWidget*>& open, const QSize& inner, int separator);

  QMainWindow* window_;
  QPointer<QWidget> memo_;
  std::vector<QPointer<QDockWidget>> views_;
  std::vector<QPointer<QDockWidget>> laidOut_;  // the views the window is laid out for
  std::map<QString, int> widths_;               // remembered widths by object name
  QRect rest_;                                  // the window's geometry with no view open
  int besideMemo_ = -1;                         // the window's width but the memo's, at rest
  int grown_ = 0;                               // what the window was widened by
  int shifted_ = 0;                             // how far it was moved left
  int memoMinimumBefore_ = 0;
  bool settling_ = false;
  bool pending_ = false;
  bool draggingSeparator_ = false;
};

}  // namespace pravella
