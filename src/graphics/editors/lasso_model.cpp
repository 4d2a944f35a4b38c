#include "graphics/editors/lasso_model.h"

#include <QPolygon>

#include "graphics/outline_region.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace pravella {

namespace {
// Squared view units within which a returning pointer closes the lasso.
constexpr double kCloseRadius2 = 25;
}  // namespace

void LassoModel::setFactors(double xFactor, double yFactor) {
  xFactor_ = xFactor;
  yFactor_ = yFactor;
}

LassoModel::Step LassoModel::addPoint(double viewX, double viewY) {
  if (stopStatus_ || count() >= kLassoCapacity) return Step::Ignored;
  const QPointF stored(viewX * xFactor_, viewY * yFactor_);
  if (points_.empty()) {
    startX_ = viewX;
    startY_ = viewY;
    points_.push_back(stored);
    showErrMessageToConsole(cformat("%5d\t%g\t%g\n", 1, stored.x(), stored.y()));
    return Step::Added;
  }
  const double dx = viewX - startX_, dy = viewY - startY_;
  const double d2 = dx * dx + dy * dy;
  if (d2 > kCloseRadius2) exitStatus_ = true;
  if (d2 <= kCloseRadius2 && exitStatus_) {
    points_.push_back(QPointF(startX_ * xFactor_, startY_ * yFactor_));
    stopStatus_ = true;
    if (sound) sound(QStringLiteral("Tink"));
    showErrMessageToConsole(
        cformat("#####\t%g\t%g\t%g\t%g\t%g\n", startX_, startY_, stored.x(), stored.y(), d2));
    return Step::Closed;
  }
  if (stored == points_.back()) return Step::Ignored;
  if (count() >= kLassoCapacity - 1) return Step::Ignored;
  points_.push_back(stored);
  showErrMessageToConsole(cformat("%5d\t%g\t%g\t%g\n", count(), stored.x(), stored.y(), d2));
  return Step::Added;
}

void LassoModel::clear() {
  points_.clear();
  exitStatus_ = false;
  stopStatus_ = false;
}

void LassoModel::scale(double xRatio, double yRatio) {
  for (QPointF& p : points_) p = QPointF(p.x() * xRatio, p.y() * yRatio);
  startX_ *= xRatio;
  startY_ *= yRatio;
}

QRegion LassoModel::region() const {
  QPolygon polygon;
  for (const QPointF& p : points_) polygon << QPoint(regionCoordinate(p.x()), regionCoordinate(p.y()));
  return outlineRegion(polygon);
}

bool LassoModel::contains(double x, double y) const { return regionContains(region(), x, y); }

}  // namespace pravella
