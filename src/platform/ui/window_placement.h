#pragma once
// Where a window that opens beside the main window goes. Its place is 5 points right of the
// main window with the tops level; where that place would leave the screen's available area
// (a wide main window, one near the right edge, a drawer open), it goes 5 points left of the
// main window, else below it, else above it, wherever it then covers nothing of the main
// window; where every side would cover some, to the place that covers least of its controls
// (everything but the part the main window marks as the least used, its memo's text), then least
// of the main window, moved wholly onto the screen. Every window placed beside the main window
// comes through here.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace pravella {

// The gap between the main window and a window beside it.
inline constexpr int kBesideGap = 5;

// The top-left corner of a window frame of `frameSize` beside the frame `mainFrame`, within
// `available` (the screen's available area). A window larger than the area keeps its top-left
// corner on it. `leastUsed`, in screen coordinates, is the part of the main window it may cover
// when no side is free (none: all of the main window counts alike).
QPoint besideMainWindow(const QRect& mainFrame, const QSize& frameSize, const QRect& available,
                        const QRect& leastUsed = QRect());

// Marks `part` (a widget of `mainWindow`) as the part of it that a window placed beside it may
// cover when no side is free: the rest holds the menu bar and the controls.
void markLeastUsedPart(QWidget* mainWindow, QWidget* part);

// Whether a window placed beside the main window keeps its size (a program's window) or may
// be made smaller to hide none of the main window's controls (a tool's, such as a console).
enum class BesideSize { Kept, MayShrink };

// Moves the top-level `window` beside `mainWindow` on the main window's screen. Before the
// window is first shown its frame is taken as the main window's: the same decorations around
// its own size. No main window: the window stays where it is.
void placeBesideMainWindow(QWidget* window, const QWidget* mainWindow, BesideSize size = BesideSize::Kept);

// For a window placed beside the main window that has since grown: placed beside it again
// when its frame no longer lies wholly on the screen, left where it is otherwise.
void keepBesideMainWindowOnScreen(QWidget* window, const QWidget* mainWindow);

// What the next size or place of the top-level `window` builds on: the inside geometry last
// asked of it while the window system has not reported it yet, else its own geometry. (A
// window manager may first report the geometry from before a request, which Qt takes for the
// window's: a place asked then would bring the old size back.)
QRect requestedGeometry(const QWidget* window);

// Asks for the inside `geometry` of the top-level `window`. Every size and place given to a
// shown window comes through here.
void requestGeometry(QWidget* window, const QRect& geometry);

// True when a resize the window system reports for `window` to `size` answers a size or place
// asked through requestGeometry (older news while one is not reported yet, or its own size),
// not the user's hand.
bool answersRequest(const QWidget* window, const QSize& size);

// The one rule for every window size and place kept or given: `frame` moved as little as
// needed, and shrunk where it is larger, to lie wholly within `available`. An invalid area
// leaves the frame as it is.
QRect fitWithin(const QRect& frame, const QRect& available);

// The available area of the screen that holds most of `frame` (the primary screen's when none
// does).
QRect availableScreenArea(const QRect& frame);

// `geometry`, the inside of the top-level `window`, fitted so that with the window's frame
// around it, it lies within the available area of the screen that holds it.
QRect geometryOnScreen(const QWidget* window, const QRect& geometry);

// Fits the top-level `window`, frame and all, within the available area of its screen.
void keepOnScreen(QWidget* window);

// Gives the top-level `window` the inside `size`, or as much of it as the screen shows: the
// window is never made larger than the screen, even for a moment.
void resizeOnScreen(QWidget* window, const QSize& size);

// For a window that shows a picture above a bar `barHeight` high: the inside size that shows
// the picture at `width` x `height` (any positive size, however large or small), scaled down
// by one factor for both sides where the window, frame and all, would not fit the available
// area of its screen, so that the picture keeps its proportions (to the pixel rounded). At
// least a pixel each way.
QSize pictureSizeOnScreen(const QWidget* window, double width, double height, int barHeight);
// The window given that size (pictureSizeOnScreen) and moved, where needed, onto the screen.
void resizePictureOnScreen(QWidget* window, double width, double height, int barHeight);

// A size or a place that a program gives, in its own numbers: however large (infinite
// included), the window ends wholly on the screen, larger sizes shrunk to it and far places
// brought back to its nearest edge. Sizes below 1 pixel are taken as 1 and a place that is
// not a number as 0; the built-ins refuse both before they get here.
void resizeOnScreen(QWidget* window, double width, double height);
// The frame's top-left corner to (x, y), or as near as keeps the window wholly on the screen.
void moveOnScreen(QWidget* window, double x, double y);

}  // namespace pravella
