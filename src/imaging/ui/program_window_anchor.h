#pragma once
// The main window that the windows programs open are placed against: new ones 5 points to its
// right with their tops level with its top; moves count y down from its top.

#include <QPoint>
#include <QRect>

class QWidget;

namespace pravella::imaging {

void setProgramWindowAnchor(QWidget* mainWindow);
QWidget* programWindowAnchor();
// The anchor's frame; an empty rectangle at the origin when there is none.
QRect anchorFrame();
// Where a new window's top-left corner goes.
QPoint besideAnchor();

}  // namespace pravella::imaging
