#pragma once
// Where the picture views and picture windows put a picture, in Qt's coordinates (y grows
// downwards). Pure functions, so the views stay thin.

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>

namespace pravella {

// The picture drawn as large as fits `area`, aspect kept, centred on the free axis (the rest is
// black bands).
QRectF letterboxRect(const QSizeF& picture, const QSizeF& area);

// The part of the picture an actual-size view of `view` shows at magnification `magnification`:
// centred, then shifted by the pan offset `pan` (view points, same direction as the mouse drag
// that made it: dragging right and down moves the source left and up).
QRectF panSourceRect(const QSizeF& picture, const QSizeF& view, double magnification, const QPointF& pan);

// The pan offset after the mouse moved from `last` to `now` during a drag.
QPointF pannedBy(const QPointF& pan, const QPointF& last, const QPointF& now);

// A picture window shows its picture at most this wide, plus this much height for its bars.
inline constexpr int kPictureWindowMaxWidth = 500;
inline constexpr int kPictureWindowExtraHeight = 20 + 22;

// The picture window's height for `width`, keeping the picture's aspect.
int pictureWindowHeight(const QSizeF& picture, int width);

// A new picture window's size: as wide as the picture but at most kPictureWindowMaxWidth, as
// high as that width keeps the picture's aspect.
QSize pictureWindowSize(const QSizeF& picture);

// The picture scaled by `percent` percent, each side rounded down.
QSize scaledPictureSize(const QSize& picture, int percent);

}  // namespace pravella
