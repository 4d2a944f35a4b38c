#pragma once
// Active contours (snakes): a greedy snake over a grey image.

#include <opencv2/core.hpp>

#include <vector>

#include "imaging/media_module.h"

namespace pravella::media {

// Moves the points of the closed contour `points` on the 8-bit grey image, one point at a
// time, to the position of least energy in the window x window square around it; stops after
// `iterations` passes or a pass in which no point moved. Returns the passes made.
int greedySnake(const cv::Mat& grey, std::vector<cv::Point>& points, const SnakeWeights& weights,
                int window = 15, int iterations = 100);

// The seam's fitSnake: the snake fitted on the image's grey version, drawn on it in red.
QImage fitSnake(const QImage& image, std::vector<QPoint>& contour, const SnakeWeights& weights);

}  // namespace pravella::media
