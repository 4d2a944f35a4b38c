#pragma once
// The content of a side view that the screen has no room for at its minimum width (or height):
// it scrolls inside the room there is instead of widening the window past the screen or being
// laid over itself. The view asks for its content's minimum, never more than the room given.

#include <QScrollArea>
#include <QSize>

class QDockWidget;

namespace pravella {

class SideViewScroll : public QScrollArea {
 public:
  // Moves the view's content into a scroll area the view then holds; the scroll area already
  // there when it was moved before.
  static SideViewScroll* around(QDockWidget* view);
  // The view's scroll area, or none where its content was never moved.
  static SideViewScroll* of(QDockWidget* view);

  // The most the scroll area asks for as its minimum.
  void setRoom(const QSize& room);
  QSize minimumSizeHint() const override;

 private:
  SideViewScroll();
  QSize room_{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
};

}  // namespace pravella
