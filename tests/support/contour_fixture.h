#pragma once
// The contour tests' picture and starting outline, shared by the tests of the contour fit and of
// the built-in that draws it.

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <vector>

namespace pravella::test {

// A black disc of radius 30 at (60, 60) on white.
inline cv::Mat discImage() {
  cv::Mat image(120, 120, CV_8UC3, cv::Scalar(255, 255, 255));
  cv::circle(image, cv::Point(60, 60), 30, cv::Scalar(0, 0, 0), cv::FILLED, cv::LINE_8);
  return image;
}

// The square of side 2 x half around (60, 60), `perSide` points a side, clockwise.
inline std::vector<cv::Point> startSquare(int half, int perSide) {
  std::vector<cv::Point> pts;
  const int l = 60 - half, r = 60 + half;
  for (int k = 0; k < perSide; ++k) pts.emplace_back(l + (r - l) * k / perSide, l);
  for (int k = 0; k < perSide; ++k) pts.emplace_back(r, l + (r - l) * k / perSide);
  for (int k = 0; k < perSide; ++k) pts.emplace_back(r - (r - l) * k / perSide, r);
  for (int k = 0; k < perSide; ++k) pts.emplace_back(l, r - (r - l) * k / perSide);
  return pts;
}

}  // namespace pravella::test
