#include "diary/ui/side_view_scroll.h"

#include <QDockWidget>
#include <QScrollBar>

namespace pravella {

SideViewScroll::SideViewScroll() {
  setObjectName(QStringLiteral("sideViewScroll"));
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  // A click on a button of the view that takes no focus leaves it where it was, not here.
  setFocusPolicy(Qt::NoFocus);
}

SideViewScroll* SideViewScroll::of(QDockWidget* view) {
  return dynamic_cast<SideViewScroll*>(view->widget());
}

SideViewScroll* SideViewScroll::around(QDockWidget* view) {
  if (SideViewScroll* scroll = of(view)) return scroll;
  QWidget* content = view->widget();
  auto* scroll = new SideViewScroll;
  // Taken out of the view first: a view hides the content it lets go of.
  if (content) scroll->setWidget(content);
  view->setWidget(scroll);
  if (content) content->show();
  return scroll;
}

void SideViewScroll::setRoom(const QSize& room) {
  if (room == room_) return;
  room_ = room;
  updateGeometry();
}

QSize SideViewScroll::minimumSizeHint() const {
  // Room for the scroll bars at least, the content's minimum at most.
  const QSize bars = QScrollArea::minimumSizeHint();
  if (!widget()) return bars;
  const int frame = 2 * frameWidth();
  QSize need = widget()->minimumSizeHint().expandedTo(widget()->minimumSize()) + QSize(frame, frame);
  // A content that scrolls one way needs that way's bar beside it the other way.
  const bool down = need.height() > room_.height();
  if (need.width() > room_.width()) need.rheight() += horizontalScrollBar()->sizeHint().height();
  if (down) need.rwidth() += verticalScrollBar()->sizeHint().width();
  return need.boundedTo(room_).expandedTo(bars);
}

}  // namespace pravella
