#pragma once
// Where a window that opens beside the main window goes. Its place is 5 points right of the
// main window with the tops level; where that place, or the window's right part, would leave
// the screen's available area (a wide main window, one near the right edge, a drawer open), it
// goes 5 points left of the main window when there is room there, else to the nearest place
// wholly on the screen. Every window placed beside the main window comes through here.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace pravella {

// The gap between the main window and a window beside it.
inline constexpr int kBesideGap = 5;

// The top-left corner of a window frame of `frameSize` beside the frame `mainFrame`, within
// `available` (the screen's available area). A window larger than the area keeps its top-left
// corner on it.
QPoint besideMainWindow(const QRect& mainFrame, const QSize& frameSize, const QRect& available);

// Moves the top-level `window` beside `mainWindow` on the main window's screen. Before the
// window is first shown its frame is taken as the main window's: the same decorations around
// its own size. No main window: the window stays where it is.
void placeBesideMainWindow(QWidget* window, const QWidget* mainWindow);

// For a window placed beside the main window that has since grown: placed beside it again
// when its frame no longer lies wholly on the screen, left where it is otherwise.
void keepBesideMainWindowOnScreen(QWidget* window, const QWidget* mainWindow);

}  // namespace pravella
