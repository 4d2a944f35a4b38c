#include "graphics/gl/round_rect.h"

#include <algorithm>

namespace pravella::gl {

namespace {

// A quarter circle from `from` to `to` about the corner between them, as one cubic.
void cornerArc(QPainterPath& path, QPointF from, QPointF corner, QPointF to) {
  constexpr double k = 0.5522847498;  // the control-point distance of a quarter circle
  path.lineTo(from);
  path.cubicTo(from + (corner - from) * k, to + (corner - to) * k, to);
}

}  // namespace

void appendRoundedRect(QPainterPath& path, const QRectF& rect, float radius) {
  const double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
  if (!(w > 0) || !(h > 0)) return;
  if (!(radius > 0)) {
    path.addRect(rect);
    return;
  }
  const double r = std::min<double>(radius, 0.5 * std::min(w, h));
  path.moveTo(x + w / 2, y + h);
  cornerArc(path, {x + r, y + h}, {x, y + h}, {x, y + h - r});
  cornerArc(path, {x, y + r}, {x, y}, {x + r, y});
  cornerArc(path, {x + w - r, y}, {x + w, y}, {x + w, y + r});
  cornerArc(path, {x + w, y + h - r}, {x + w, y + h}, {x + w - r, y + h});
  path.closeSubpath();
}

QPainterPath roundedRectPath(const QRectF& rect, float radius) {
  QPainterPath path;
  appendRoundedRect(path, rect, radius);
  return path;
}

}  // namespace pravella::gl
