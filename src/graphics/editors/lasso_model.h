#pragma once
// The lasso of the graph editor and the density-plot editor: points stored as they are drawn,
// closed by coming back within 5 view units of the start after having left it. Its region is
// the drawing system's region of the points truncated to whole coordinates, closed back to
// the first point, so that selections agree with the "region" built-in.

#include <QPointF>
#include <QRegion>
#include <QString>

#include <functional>
#include <vector>

namespace pravella {

// The lasso buffer holds this many points; ordinary points stop one short of it, so that the
// closing point always finds room.
inline constexpr int kLassoCapacity = 10000;

class LassoModel {
 public:
  enum class Step { Ignored, Added, Closed };

  // Stored points are view positions multiplied by these (matrix pixels per view unit for the
  // density-plot editor; 1 for the graph editor).
  void setFactors(double xFactor, double yFactor);
  double xFactor() const { return xFactor_; }
  double yFactor() const { return yFactor_; }

  // A mouse-down or drag at the view position (y up). Logs what it stores; "Tink" on closing.
  Step addPoint(double viewX, double viewY);

  void clear();
  // The view was resized by these ratios: the lasso follows the plot.
  void scale(double xRatio, double yRatio);

  bool closed() const { return stopStatus_; }
  bool empty() const { return points_.empty(); }
  int count() const { return static_cast<int>(points_.size()); }
  const std::vector<QPointF>& points() const { return points_; }

  QRegion region() const;
  // Whether the whole point (x, y) (truncated) is in the region.
  bool contains(double x, double y) const;

  // The feedback sound player ("Tink"); tests record it. Nothing plays while unset.
  std::function<void(const QString&)> sound;

 private:
  std::vector<QPointF> points_;
  double startX_ = 0, startY_ = 0;  // in view units
  bool exitStatus_ = false;
  bool stopStatus_ = false;
  double xFactor_ = 1, yFactor_ = 1;
};

}  // namespace pravella
