#include "graphics/editors/point_digitiser.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "graphics/triangulation.h"
#include "lang/stdlib/spline.h"
#include "lang/values.h"

namespace pravella {

PointDigitiser& pointDigitiser() {
  static PointDigitiser digitiser;
  return digitiser;
}

float calcPointBetweenWithTwoPoints(QPointF a, QPointF b, QPointF c) {
  auto length = [](float dx, float dy) { return std::sqrt(dx * dx + dy * dy); };
  const float ax = static_cast<float>(a.x()), ay = static_cast<float>(a.y());
  const float bx = static_cast<float>(b.x()), by = static_cast<float>(b.y());
  const float cx = static_cast<float>(c.x()), cy = static_cast<float>(c.y());
  return length(ax - cx, ay - cy) + length(bx - cx, by - cy) - length(ax - bx, ay - by);
}

bool PointDigitiser::selected(int index) const {
  return std::find(selectedPoint.begin(), selectedPoint.end(), index) != selectedPoint.end();
}

int PointDigitiser::checkNearPoints(QPointF view) const {
  const QPointF p = toImage(view);
  for (int i = static_cast<int>(pointsData.size()) - 1; i >= 0; --i) {
    const QPointF d = pointsData[static_cast<std::size_t>(i)] - p;
    if (std::sqrt(d.x() * d.x() + d.y() * d.y()) <= mSize) return i;
  }
  return -1;
}

int PointDigitiser::checkNearSelectedPoints(QPointF view) const {
  const QPointF p = toImage(view);
  for (int k = static_cast<int>(selectedPoint.size()) - 1; k >= 0; --k) {
    const QPointF d = pointsData[static_cast<std::size_t>(selectedPoint[static_cast<std::size_t>(k)])] - p;
    if (std::sqrt(d.x() * d.x() + d.y() * d.y()) <= mSize) return k;
  }
  return -1;
}

bool PointDigitiser::checkInsertPoint(QPointF p, int* index) const {
  // A click lies on a segment when going through it lengthens the way by less than a pixel.
  constexpr float kOnSegment = 1.0f;
  // Fewer than three points are drawn as they are, not smoothed.
  if (splineSteps <= 0 || pointsData.size() <= 2) {
    for (int i = static_cast<int>(pointsData.size()) - 1; i >= 1; --i) {
      if (calcPointBetweenWithTwoPoints(pointsData[static_cast<std::size_t>(i - 1)],
                                        pointsData[static_cast<std::size_t>(i)], p) < kOnSegment) {
        *index = i;
        return true;
      }
    }
    return false;
  }
  for (int r = static_cast<int>(bSplineResult.size()) - 1; r >= 1; --r) {
    const auto ur = static_cast<std::size_t>(r);
    if (calcPointBetweenWithTwoPoints(bSplineResult[ur - 1], bSplineResult[ur], p) >= kOnSegment) continue;
    // The part of the line a segment belongs to is that of its earlier end: the later end of
    // a part's last segment already carries the next control point's parameter.
    const int part = static_cast<int>(std::floor(bSplineParams[ur - 1]));
    *index = closeLineSwitch ? part - 1 : part + 1;
    return true;
  }
  return false;
}

void PointDigitiser::moveSelected(double dx, double dy, bool clamp) {
  for (int i : selectedPoint) {
    QPointF& q = pointsData[static_cast<std::size_t>(i)];
    double x = q.x() + dx, y = q.y() + dy;
    if (clamp) {
      x = std::clamp(x, 0.0, static_cast<double>(width_n));
      y = std::clamp(y, 0.0, static_cast<double>(height_m));
    }
    q = QPointF(x, y);
  }
}

QPointF PointDigitiser::centre() const {
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  bool first = true;
  auto take = [&](const QPointF& q) {
    if (first) {
      x0 = x1 = q.x();
      y0 = y1 = q.y();
      first = false;
    }
    x0 = std::min(x0, q.x());
    x1 = std::max(x1, q.x());
    y0 = std::min(y0, q.y());
    y1 = std::max(y1, q.y());
  };
  if (selectedPoint.empty())
    for (const QPointF& q : pointsData) take(q);
  else
    for (int i : selectedPoint) take(pointsData[static_cast<std::size_t>(i)]);
  return QPointF((x0 + x1) / 2, (y0 + y1) / 2);
}

void PointDigitiser::mouseDown(QPointF view, bool doubleClick, bool command, bool option) {
  const QPointF p = toImage(view);
  if (doubleClick) {
    if (p.x() < 0 || p.x() >= width_n || p.y() < 0 || p.y() >= height_m) {
      selectedPoint.clear();
      return;
    }
    // Room for the new point and for the copy of the first that closing the line adds.
    if (static_cast<int>(pointsData.size()) + 2 > kDigitiserCapacity) {
      if (sound) sound(QStringLiteral("Basso"));
      if (status)
        status(QStringLiteral("Too many points: the digitiser holds at most %1 (%2 placed, and the first "
                              "again to close the line).")
                   .arg(kDigitiserCapacity)
                   .arg(kDigitiserCapacity - 1));
      return;
    }
    if (status) status(QString());
    int at = static_cast<int>(pointsData.size());
    int found = 0;
    if (checkInsertPoint(p, &found)) at = std::clamp(found, 0, static_cast<int>(pointsData.size()));
    pointsData.insert(pointsData.begin() + at, p);
    selectedPoint.assign(1, at);
    dragBPx = p.x();
    dragBPy = p.y();
    if (triangleSwitch && pointsData.size() >= 3) triangulate();
    return;
  }
  const int i = checkNearPoints(view);
  if (i < 0) {
    selectedPoint.clear();
    if (!option) {
      selectAreaStatus = true;
      selectRect0 = selectRect1 = view;
    }
  } else {
    const int s = checkNearSelectedPoints(view);
    const bool isSelected = s >= 0;
    if (!option && !command) {
      if (!isSelected) selectedPoint.assign(1, i);
    } else if (command && !option) {
      if (isSelected)
        selectedPoint.erase(selectedPoint.begin() + s);
      else
        selectedPoint.push_back(i);
    } else if (option && command && !isSelected) {
      selectedPoint.assign(1, i);
    }
  }
  dragBPx = p.x();
  dragBPy = p.y();
  if (option && !pointsData.empty()) {
    const QPointF c = centre();
    xcnt = c.x();
    ycnt = c.y();
  }
}

void PointDigitiser::mouseDragged(QPointF view, bool command, bool option) {
  const QPointF P = toImage(view);
  const double dx = P.x() - dragBPx, dy = P.y() - dragBPy;
  if (triangleSwitch && option && command && !selectAreaStatus && !selectedPoint.empty()) {
    moveSelected(dx, dy, true);
    dragBPx = P.x();
    dragBPy = P.y();
    triangulate();
    return;
  }
  if (option) {
    if (!selectedPoint.empty()) {
      const std::complex<double> C(xcnt, ycnt), B(dragBPx, dragBPy), Pc(P.x(), P.y());
      if (B != C) {
        const std::complex<double> ratio = (Pc - C) / (B - C);
        for (int i : selectedPoint) {
          QPointF& q = pointsData[static_cast<std::size_t>(i)];
          const std::complex<double> moved = C + (std::complex<double>(q.x(), q.y()) - C) * ratio;
          q = QPointF(moved.real(), moved.imag());
        }
      }
    } else {
      for (QPointF& q : pointsData) q += QPointF(dx, dy);
    }
    dragBPx = P.x();
    dragBPy = P.y();
    return;
  }
  if (selectAreaStatus) {
    selectRect0 = QPointF(dragBPx / xFactor, dragBPy / yFactor);
    selectRect1 = view;
    const double bx = std::trunc(dragBPx), by = std::trunc(dragBPy);
    const double px = std::trunc(P.x()), py = std::trunc(P.y());
    const double x0 = std::min(bx, px), x1 = std::max(bx, px), y0 = std::min(by, py), y1 = std::max(by, py);
    selectedPoint.clear();
    for (int k = 0; k < static_cast<int>(pointsData.size()); ++k) {
      const double x = std::trunc(pointsData[static_cast<std::size_t>(k)].x());
      const double y = std::trunc(pointsData[static_cast<std::size_t>(k)].y());
      if (x >= x0 && x < x1 && y >= y0 && y < y1) selectedPoint.push_back(k);
    }
    return;
  }
  if (!selectedPoint.empty()) {
    moveSelected(dx, dy, true);
    dragBPx = P.x();
    dragBPy = P.y();
  }
}

void PointDigitiser::mouseUp() {
  selectRect0 = selectRect1 = QPointF();
  selectAreaStatus = false;
}

void PointDigitiser::deletePoints() {
  if (selectedPoint.empty()) {
    if (sound) sound(QStringLiteral("Basso"));
    return;
  }
  std::vector<QPointF> kept;
  kept.reserve(pointsData.size());
  for (int k = 0; k < static_cast<int>(pointsData.size()); ++k)
    if (!selected(k)) kept.push_back(pointsData[static_cast<std::size_t>(k)]);
  pointsData = std::move(kept);
  selectedPoint.clear();
  forgetSmoothingOfTooFew();
  // Triangles of the old numbering would join the wrong points.
  if (triangleSwitch && pointsData.size() >= 3)
    triangulate();
  else
    triangles.clear();
}

void PointDigitiser::selectAllPoints() {
  selectedPoint.resize(pointsData.size());
  for (std::size_t k = 0; k < selectedPoint.size(); ++k) selectedPoint[k] = static_cast<int>(k);
}

void PointDigitiser::clearPoints() {
  pointsData.clear();
  selectedPoint.clear();
  triangles.clear();
  forgetSmoothingOfTooFew();
}

void PointDigitiser::forgetSmoothingOfTooFew() {
  // Fewer than three points are not smoothed: the line through them is the points themselves,
  // and the last smoothed line passes through points that are gone.
  if (pointsData.size() > 2) return;
  bSplineResult.clear();
  bSplineParams.clear();
}

void PointDigitiser::flipH() {
  if (pointsData.empty()) return;
  const double c = centre().x();
  for (QPointF& q : pointsData) q.setX(2 * c - q.x());
}

void PointDigitiser::flipV() {
  if (pointsData.empty()) return;
  const double c = centre().y();
  for (QPointF& q : pointsData) q.setY(2 * c - q.y());
}

void PointDigitiser::setTriangleSwitch(bool on) {
  triangleSwitch = on;
  if (on) lineSwitch = closeLineSwitch = false;
  triangleStatus = on;
}

void PointDigitiser::makeTriangles() {
  if (pointsData.size() < 3) return;
  if (!triangleSwitch) setTriangleSwitch(true);
  triangulate();
}

void PointDigitiser::triangulate() {
  triangles.clear();
  const int n = static_cast<int>(pointsData.size());
  if (n < 3) return;
  std::vector<double> list(static_cast<std::size_t>(3 * n));
  for (int k = 0; k < n; ++k) {
    list[static_cast<std::size_t>(3 * k)] = pointsData[static_cast<std::size_t>(k)].x();
    list[static_cast<std::size_t>(3 * k + 1)] = pointsData[static_cast<std::size_t>(k)].y();
  }
  std::vector<double> out(static_cast<std::size_t>(3) * kSankakuCapacity);
  int count = 0;
  if (!getSankakuFromPoints2(list.data(), n, out.data(), &count)) return;
  // The triangulation numbers its merged points (equal to three decimals become one); each
  // stands for the first of our points that merged into it.
  auto round3 = [](double v) { return std::nearbyint(v * 1000) / 1000; };
  std::vector<int> first(static_cast<std::size_t>(pointNum), -1);
  for (int m = 0; m < pointNum; ++m) {
    for (int k = 0; k < n; ++k) {
      const QPointF& q = pointsData[static_cast<std::size_t>(k)];
      if (std::fabs(round3(q.x()) - pData[static_cast<std::size_t>(m)].x) < 1e-10 &&
          std::fabs(round3(q.y()) - pData[static_cast<std::size_t>(m)].y) < 1e-10) {
        first[static_cast<std::size_t>(m)] = k;
        break;
      }
    }
  }
  for (int t = 0; t < count; ++t) {
    std::array<int, 3> tri{};
    bool ok = true;
    for (int c = 0; c < 3; ++c) {
      const int m = static_cast<int>(out[static_cast<std::size_t>(3 * t + c)]);
      tri[static_cast<std::size_t>(c)] = m >= 0 && m < pointNum ? first[static_cast<std::size_t>(m)] : -1;
      ok = ok && tri[static_cast<std::size_t>(c)] >= 0;
    }
    if (ok) triangles.push_back(tri);
  }
}

bool PointDigitiser::smooth() {
  const int n = static_cast<int>(pointsData.size());
  const int k = splineSteps;
  if (k <= 0 || n <= 2) return false;
  auto P = [&](int i) { return pointsData[static_cast<std::size_t>(i % n)]; };
  std::vector<QPointF> control;
  std::vector<double> params;
  int N = n;
  double offset = 0;
  if (closeLineSwitch) {
    // The closed line is splined with two points before its start and three after its end,
    // so that it turns smoothly through the first point.
    N = n + 1;
    control.push_back(P(n - 2));
    control.push_back(P(n - 1));
    for (int i = 0; i <= n + 2; ++i) control.push_back(P(i));
    offset = 2;
  } else {
    for (int i = 0; i < n; ++i) control.push_back(P(i));
  }
  const long long count = static_cast<long long>(N - 1) * (k + 1) + 1;
  if (count > TNumber) return false;
  for (int s = 0; s <= N - 2; ++s)
    for (int j = 0; j <= k; ++j) params.push_back(s + offset + static_cast<double>(j) / (k + 1));
  params.push_back(N - 1 + offset);
  const int nk = static_cast<int>(control.size());
  std::vector<double> knots(static_cast<std::size_t>(nk)), values(static_cast<std::size_t>(2 * nk));
  for (int i = 0; i < nk; ++i) {
    knots[static_cast<std::size_t>(i)] = i;
    values[static_cast<std::size_t>(2 * i)] = control[static_cast<std::size_t>(i)].x();
    values[static_cast<std::size_t>(2 * i + 1)] = control[static_cast<std::size_t>(i)].y();
  }
  std::vector<double> out(params.size() * 2);
  if (!DoSpline(knots.data(), values.data(), params.data(), nk, 2, static_cast<int>(params.size()),
                out.data()))
    return false;
  bSplineResult.resize(params.size());
  for (std::size_t r = 0; r < params.size(); ++r) bSplineResult[r] = QPointF(out[2 * r], out[2 * r + 1]);
  bSplineParams = std::move(params);
  return true;
}

void PointDigitiser::accept() {
  if (closeLineSwitch && !pointsData.empty()) pointsData.push_back(pointsData.front());
  bSplineStatus = splineSteps > 0;
  drawLineStatus = lineSwitch;
}

void PointDigitiser::resetForRun() {
  selectRect0 = selectRect1 = QPointF();
  selectAreaStatus = false;
  selectedPoint.clear();
  bSplineResult.clear();
  bSplineParams.clear();
  triangles.clear();
}

}  // namespace pravella
