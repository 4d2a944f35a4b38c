#pragma once
// The rounded rectangle of the text labels' box and border.

#include <QPainterPath>
#include <QRectF>

namespace pravella::gl {

// Appends a closed rounded rectangle: nothing for an empty rectangle, the plain rectangle for
// a radius not above 0, else corners of the smaller of `radius` and half the shorter side, so
// a large radius gives a capsule rather than a distorted shape.
void appendRoundedRect(QPainterPath& path, const QRectF& rect, float radius);
QPainterPath roundedRectPath(const QRectF& rect, float radius);

}  // namespace pravella::gl
