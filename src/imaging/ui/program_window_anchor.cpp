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

}  // namespace pravella::imaging
