#include "imaging/ui/program_window_anchor.h"

#include <QPointer>
#include <QWidget>

namespace pravella::imaging {

namespace {
QPointer<QWidget> gAnchor;
}

void setProgramWindowAnchor(QWidget* mainWindow) { gAnchor = mainWindow; }

QWidget* programWindowAnchor() { return gAnchor.data(); }

QRect anchorFrame() { return gAnchor ? gAnchor->frameGeometry() : QRect(); }

QPoint besideAnchor() {
  const QRect frame = anchorFrame();
  return {frame.x() + frame.width() + 5, frame.y()};
}

}  // namespace pravella::imaging
