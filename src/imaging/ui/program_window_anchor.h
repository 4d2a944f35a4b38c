#pragma once
// The main window that the windows programs open are placed against: new ones beside it
// (platform/ui/window_placement.h); moves count y down from its top.

#include <QRect>

class QWidget;

namespace pravella::imaging {

void setProgramWindowAnchor(QWidget* mainWindow);
QWidget* programWindowAnchor();
// The anchor's frame; an empty rectangle at the origin when there is none.
QRect anchorFrame();

}  // namespace pravella::imaging
