#include "graphics/editors/point_digitiser_runs.h"

#include <QByteArray>
#include <QPolygon>
#include <QString>

#include <map>
#include <utility>

#include "graphics/editors/density_image.h"
#include "graphics/editors/hand_editor_panels.h"
#include "graphics/editors/point_digitiser.h"
#include "graphics/outline_region.h"
#include "graphics/picture.h"
#include "graphics/picture_clipboard.h"

namespace pravella {

namespace {

QPointF intoPanel(double x, double y, int H) { return QPointF(x - 1, H - y + 1); }
QPointF outOfPanel(QPointF p, int H) { return QPointF(p.x() + 1, H - p.y() + 1); }

// The given points into the digitiser; a last point repeating the first is dropped, as the
// close switch closes the line again.
void takePoints(PointDigitiser& d, const std::vector<QPointF>& points, int H) {
  d.pointsData.clear();
  for (const QPointF& p : points) d.pointsData.push_back(intoPanel(p.x(), p.y(), H));
  if (d.pointsData.size() > 1 && d.pointsData.back() == d.pointsData.front()) d.pointsData.pop_back();
}

void keepOriginalPoints(const PointDigitiser& d) {
  std::vector<QPointF>& kept = originalPoints();
  kept.clear();
  for (const QPointF& p : d.pointsData) kept.push_back(outOfPanel(p, d.height_m));
}

// The line the panel was accepted with: the smoothed one when smoothing and the line were on.
const std::vector<QPointF>& acceptedLine(const PointDigitiser& d) {
  if (d.bSplineStatus && d.drawLineStatus && !d.bSplineResult.empty()) return d.bSplineResult;
  return d.pointsData;
}

}  // namespace

std::vector<QPointF>& originalPoints() {
  static std::vector<QPointF> points;
  return points;
}

int initGetPointsMemory() {
  PointDigitiser& d = pointDigitiser();
  d.pointsData.reserve(kDigitiserCapacity + 1);
  d.selectedPoint.reserve(kDigitiserCapacity);
  d.triangles.reserve(kDigitiserCapacity);
  originalPoints().reserve(kDigitiserCapacity + 1);
  return 1;
}

void DoSetTitleOnGetPictPoints(const std::string& title) {
  pointDigitiser().windowTitle = QString::fromStdString(title);
}

void convertTrianglesDataAndPoints(const double* triangles, int count, std::vector<QPointF>* corners,
                                   std::vector<std::array<int, 3>>* indices) {
  std::map<std::pair<double, double>, int> seen;
  corners->clear();
  indices->clear();
  for (int t = 0; t < count; ++t) {
    std::array<int, 3> tri{};
    for (int c = 0; c < 3; ++c) {
      const double x = triangles[9 * t + 3 * c], y = triangles[9 * t + 3 * c + 1];
      auto [it, added] = seen.emplace(std::make_pair(x, y), static_cast<int>(corners->size()));
      if (added) corners->push_back(QPointF(x, y));
      tri[static_cast<std::size_t>(c)] = it->second;
    }
    indices->push_back(tri);
  }
}

bool digitiserInputFits(const double* list, int rows, int cols) {
  if (rows > kDigitiserCapacity) return false;
  if (cols != 9) return true;
  std::vector<QPointF> corners;
  std::vector<std::array<int, 3>> indices;
  convertTrianglesDataAndPoints(list, rows, &corners, &indices);
  return static_cast<int>(corners.size()) <= kDigitiserCapacity;
}

int DoGetPictPoints(const double* list, int rows, int cols, std::vector<double>* out, int* outRows, int* outCols) {
  const QByteArray bytes = pictureFromClipboard();
  if (bytes.isEmpty()) return 0;
  const Picture picture(bytes);
  const int H = picture.height();
  PointDigitiser& d = pointDigitiser();
  d.resetForRun();
  d.width_n = picture.width();
  d.height_m = H;
  originalPoints().clear();
  std::vector<QPointF> given;
  if (cols == 2) {
    for (int r = 0; r < rows; ++r) given.push_back(QPointF(list[2 * r], list[2 * r + 1]));
    takePoints(d, given, H);
  } else if (rows > 0) {
    std::vector<std::array<int, 3>> indices;
    convertTrianglesDataAndPoints(list, rows, &given, &indices);
    d.pointsData.clear();
    for (const QPointF& p : given) d.pointsData.push_back(intoPanel(p.x(), p.y(), H));
    d.triangles = std::move(indices);
    // Given triangles are shown and come back as triangles.
    d.setTriangleSwitch(true);
  } else {
    d.pointsData.clear();
  }
  d.densityImage = false;
  d.image = QImage();
  const int code = runHandEditorPanel(kShowGetPictPointsPanel);
  keepOriginalPoints(d);
  if (code != kPanelAccepted) return 0;

  out->clear();
  const std::vector<QPointF>& kept = originalPoints();
  if (d.bSplineStatus && d.drawLineStatus && !d.bSplineResult.empty()) {
    for (const QPointF& p : d.bSplineResult) {
      const QPointF q = outOfPanel(p, d.height_m);
      out->push_back(q.x());
      out->push_back(q.y());
    }
    *outCols = 2;
  } else if (!d.triangleStatus) {
    for (const QPointF& q : kept) {
      out->push_back(q.x());
      out->push_back(q.y());
    }
    *outCols = 2;
  } else {
    for (const auto& tri : d.triangles) {
      if (tri[0] >= static_cast<int>(kept.size()) || tri[1] >= static_cast<int>(kept.size()) ||
          tri[2] >= static_cast<int>(kept.size()))
        continue;
      for (int c : tri) {
        const QPointF& q = kept[static_cast<std::size_t>(c)];
        out->push_back(q.x());
        out->push_back(q.y());
        out->push_back(0);
      }
    }
    *outCols = 9;
  }
  *outRows = static_cast<int>(out->size()) / *outCols;
  return 1;
}

int DoDensityPlotEdit2(int m, int n, const double* data, double max, double min, const double* outline,
                       int count, double* mask) {
  PointDigitiser& d = pointDigitiser();
  d.resetForRun();
  d.xFactor = d.yFactor = 1.0;
  d.height_m = m;
  d.width_n = n;
  std::vector<QPointF> given;
  for (int r = 0; r < count; ++r) given.push_back(QPointF(outline[2 * r], outline[2 * r + 1]));
  takePoints(d, given, m);
  if (!densityRange(data, m, n, &max, &min)) return 0;
  d.densityImage = true;
  d.image = densityPlotImage(data, m, n, max, min);
  if (d.image.isNull()) return 0;
  const int code = runHandEditorPanel(kShowGetPictPointsPanel);
  keepOriginalPoints(d);
  if (code != kPanelAccepted) return 0;
  QPolygon polygon;
  for (const QPointF& p : acceptedLine(d)) {
    const QPointF q = outOfPanel(p, m);
    polygon << QPoint(regionCoordinate(q.x()), regionCoordinate(q.y()));
  }
  const QRegion region = outlineRegion(polygon);
  for (int r = 0; r < m; ++r)
    for (int c = 0; c < n; ++c)
      mask[static_cast<std::size_t>(r) * n + c] = regionContains(region, c + 1, r + 1) ? 1.0 : 0.0;
  return 1;
}

int getDensityPlotEditPointsData(std::vector<double>* out, int* count) {
  const std::vector<QPointF>& kept = originalPoints();
  out->clear();
  for (const QPointF& q : kept) {
    out->push_back(q.x());
    out->push_back(q.y());
  }
  *count = static_cast<int>(kept.size());
  return kept.empty() ? 0 : 1;
}

}  // namespace pravella
