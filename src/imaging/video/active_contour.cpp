#include "imaging/video/active_contour.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/media_module.h"
#include "imaging/video/cv_picture.h"
#include "lang/report.h"

int DoRinkaku_cv(const void* bytes, std::size_t length, const double* points, int n,
                 pravella::Picture& picture, const double* weights) {
  using namespace pravella;
  QImage colour;
  if (!pictData2IplImage(bytes, length, colour)) {
    error_disp("Invalid arguments.");
    return 0;
  }
  QString why;
  const media::MediaFunctions* module = media::mediaFunctions(&why);
  if (!module) {
    error_disp(("rinkaku_cv: " + why).toStdString());
    return 0;
  }
  const media::SnakeWeights w{static_cast<float>(weights[0]), static_cast<float>(weights[1]),
                              static_cast<float>(weights[2])};
  std::vector<QPoint> contour(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const auto coordinate = [](double v) {
      // Truncated towards zero, clamped so that no conversion overflows.
      return std::isfinite(v) ? static_cast<int>(std::clamp(std::trunc(v), -1e9, 1e9)) : 0;
    };
    contour[i] = QPoint(coordinate(points[2 * i]), coordinate(points[2 * i + 1]));
  }
  return IplImage2pict(module->fitSnake(colour, contour, w), picture);
}
