#pragma once
// Active contours (snakes) on pictures: a greedy snake over a grey image, and the built-in's
// routine that fits one to a picture and draws it over the picture's grey version.

#include <opencv2/core.hpp>

#include <cstddef>
#include <vector>

#include "graphics/picture.h"

namespace pravella::video {

struct SnakeWeights {
  float alpha = 0;  // continuity: even spacing of the points
  float beta = 0;   // curvature
  float gamma = 0;  // image energy: the negative gradient magnitude
};

// Moves the points of the closed contour `points` on the 8-bit grey image, one point at a
// time, to the position of least energy in the window x window square around it; stops after
// `iterations` passes or a pass in which no point moved. Returns the passes made.
int greedySnake(const cv::Mat& grey, std::vector<cv::Point>& points, const SnakeWeights& weights,
                int window = 15, int iterations = 100);

}  // namespace pravella::video

// Fits a snake to the picture from the n points (x, y pairs, truncated towards zero) with the
// weights alpha, beta, gamma, and records the picture's grey version with the fitted contour in
// red (2 pixels, closed). Returns 1, or 0 with "Invalid arguments." when the picture's bytes
// are refused.
int DoRinkaku_cv(const void* bytes, std::size_t length, const double* points, int n,
                 pravella::Picture& picture, const double* weights);
