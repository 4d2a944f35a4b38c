#pragma once
// The drawing system's region of a polygon outline: the pixels whose square lies inside the
// outline (odd-even rule, the right and bottom edges left out), within the system's 16-bit
// coordinate space. The polygon-region built-ins and the triangle warps decide "inside" by it.

#include <QPolygon>
#include <QRegion>

namespace pravella {

// A coordinate of the drawing system: truncated toward zero and clamped to -32,767 .. 32,767
// (not a number gives 0).
int regionCoordinate(double v);

// The region of the outline through `points` in order, closed back to the first.
QRegion outlineRegion(const QPolygon& points);

// Whether the whole point (x, y) lies in the region; a point outside the 16-bit space never
// does.
bool regionContains(const QRegion& region, double x, double y);

}  // namespace pravella
