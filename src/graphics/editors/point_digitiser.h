#pragma once
// The point digitiser: points placed on a picture (or on a density image of a matrix) that the
// user selects, drags, rotates, flips, inserts and deletes, joins into an open or closed line,
// smooths with a spline or triangulates. Points are image pixels with the origin at the bottom
// left and y up; the view's positions (same orientation) become image pixels through the two
// factors. One digitiser per process: the program's thread fills it, the panel edits it on the
// GUI thread while the program waits.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace pravella {

// Points, distinct corners and triangles the digitiser takes from a program; a click adds a
// point only while the points and the copy of the first that closing adds stay within it.
inline constexpr int kDigitiserCapacity = 10000;

struct PointDigitiser {
  // The panel's switches and settings, mirrored from its controls.
  bool triangleSwitch = false;
  bool lineSwitch = false;
  bool closeLineSwitch = false;
  bool whiteLine = false;
  int splineSteps = 0;  // the smoothing slider
  float mSize = 5;      // mark radius in image pixels

  std::vector<QPointF> pointsData;
  std::vector<int> selectedPoint;             // in the order the selection was made
  std::vector<std::array<int, 3>> triangles;  // point indices
  std::vector<QPointF> bSplineResult;         // the last smoothed line drawn
  std::vector<double> bSplineParams;          // its evaluation parameters
  bool triangleStatus = false, drawLineStatus = false, bSplineStatus = false;
  int32_t width_n = 10, height_m = 10;
  double xFactor = 0, yFactor = 0;
  double dragBPx = 0, dragBPy = 0;
  QPointF selectRect0, selectRect1;  // the rubber band's corners in view units
  bool selectAreaStatus = false;
  double xcnt = 0, ycnt = 0;
  QString windowTitle = QStringLiteral("getPictPoints");

  // What the panel shows: the picture on the clipboard, or this density image.
  bool densityImage = false;
  QImage image;

  std::function<void(const QString&)> sound;  // "Basso"; the panel installs the player
  // The panel's status line: why a double click placed no point, or empty once one is placed.
  std::function<void(const QString&)> status;

  // Mouse input at view positions (y up).
  void mouseDown(QPointF view, bool doubleClick, bool command, bool option);
  void mouseDragged(QPointF view, bool command, bool option);
  void mouseUp();

  int checkNearPoints(QPointF view) const;          // point index or -1
  int checkNearSelectedPoints(QPointF view) const;  // position in the selection or -1
  // The insertion index of a click (image pixels) on the line; false when it is on none.
  bool checkInsertPoint(QPointF p, int* index) const;

  void deletePoints();
  void selectAllPoints();
  void clearPoints();
  void flipH();
  void flipV();
  void setTriangleSwitch(bool on);
  void makeTriangles();
  // The triangles of the current points (value 0 each); none when the triangulation fails.
  void triangulate();

  // The smoothed line of the current points with the current switches; false (result kept)
  // when it cannot be made. Keeps it as bSplineResult.
  bool smooth();

  // The panel was accepted: the close switch closes the line, the switches are remembered.
  void accept();
  // Forgets the rubber band, selection, smoothed line and triangles before a run.
  void resetForRun();

  bool selected(int index) const;
  QPointF toImage(QPointF view) const { return QPointF(view.x() * xFactor, view.y() * yFactor); }

 private:
  void moveSelected(double dx, double dy, bool clamp);
  void forgetSmoothingOfTooFew();
  QPointF centre() const;  // of the selected points, or of all without a selection
};

PointDigitiser& pointDigitiser();

// The distance a click c lies off the segment a-b: |a - c| + |b - c| - |a - b|, in 32-bit floats.
float calcPointBetweenWithTwoPoints(QPointF a, QPointF b, QPointF c);

}  // namespace pravella
