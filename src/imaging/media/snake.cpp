#include "imaging/media/snake.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/media/cv_images.h"

namespace pravella::media {

namespace {

// Scales the values to 0..1 over the window; all 0 when they are all equal, so that a term
// that cannot tell the positions apart does not steer the choice.
void normalise(std::vector<float>& values) {
  const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  const float low = *lo, span = *hi - *lo;
  for (float& v : values) v = span > 0 ? (v - low) / span : 0.0f;
}

float distance(cv::Point a, cv::Point b) { return static_cast<float>(std::hypot(a.x - b.x, a.y - b.y)); }

}  // namespace

int greedySnake(const cv::Mat& grey, std::vector<cv::Point>& points, const SnakeWeights& weights,
                int window, int iterations) {
  const int n = static_cast<int>(points.size());
  if (n < 3 || grey.empty()) return 0;
  cv::Mat dx, dy, magnitude;
  cv::Sobel(grey, dx, CV_32F, 1, 0, 3);
  cv::Sobel(grey, dy, CV_32F, 0, 1, 3);
  cv::magnitude(dx, dy, magnitude);
  const int half = window / 2;
  std::vector<float> cont, curv, img;
  std::vector<cv::Point> candidates;
  int pass = 0;
  while (pass < iterations) {
    ++pass;
    float spacing = 0;
    for (int i = 0; i < n; ++i) spacing += distance(points[i], points[(i + 1) % n]);
    spacing /= static_cast<float>(n);
    int moved = 0;
    for (int i = 0; i < n; ++i) {
      const cv::Point prev = points[(i + n - 1) % n], next = points[(i + 1) % n];
      cont.clear();
      curv.clear();
      img.clear();
      candidates.clear();
      for (int y = points[i].y - half; y <= points[i].y + half; ++y) {
        if (y < 0 || y >= grey.rows) continue;
        for (int x = points[i].x - half; x <= points[i].x + half; ++x) {
          if (x < 0 || x >= grey.cols) continue;
          const cv::Point p(x, y);
          candidates.push_back(p);
          cont.push_back(std::fabs(spacing - distance(p, prev)));
          const float cx = static_cast<float>(prev.x - 2 * x + next.x);
          const float cy = static_cast<float>(prev.y - 2 * y + next.y);
          curv.push_back(cx * cx + cy * cy);
          img.push_back(-magnitude.at<float>(y, x));
        }
      }
      // A point outside the image keeps its place.
      if (candidates.empty()) continue;
      normalise(cont);
      normalise(curv);
      normalise(img);
      std::size_t best = 0;
      float least = std::numeric_limits<float>::infinity();
      for (std::size_t k = 0; k < candidates.size(); ++k) {
        const float e = weights.alpha * cont[k] + weights.beta * curv[k] + weights.gamma * img[k];
        if (e < least) {
          least = e;
          best = k;
        }
      }
      if (candidates[best] != points[i]) {
        points[i] = candidates[best];
        ++moved;
      }
    }
    if (moved == 0) break;
  }
  return pass;
}

QImage fitSnake(const QImage& image, std::vector<QPoint>& contour, const SnakeWeights& weights) {
  const cv::Mat colour = matFromImage(image);
  if (colour.empty()) return {};
  cv::Mat grey;
  cv::cvtColor(colour, grey, cv::COLOR_BGR2GRAY);
  std::vector<cv::Point> points;
  points.reserve(contour.size());
  for (const QPoint& p : contour) points.emplace_back(p.x(), p.y());
  greedySnake(grey, points, weights);
  cv::Mat result;
  cv::cvtColor(grey, result, cv::COLOR_GRAY2BGR);
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    cv::line(result, points[i], points[(i + 1) % n], cv::Scalar(0, 0, 255), 2, cv::LINE_8);
    contour[i] = QPoint(points[i].x, points[i].y);
  }
  return imageFromMat(result);
}

}  // namespace pravella::media
