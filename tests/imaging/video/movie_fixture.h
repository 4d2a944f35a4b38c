#pragma once
// Short MJPG movies for the capture tools: a textured square moving a few pixels a frame over
// a plain background, written with OpenCV's own encoder.

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <string>

namespace pravella::test {

// A frame with a 60 x 60 square of a fixed random texture (blurred noise, so that its corners
// are distinct and not periodic) whose top-left corner is at (x, y).
inline cv::Mat squareFrame(cv::Size size, int x, int y) {
  static const cv::Mat texture = [] {
    cv::Mat noise(60, 60, CV_8UC1);
    cv::RNG rng(1234);
    rng.fill(noise, cv::RNG::UNIFORM, 0, 256);
    cv::GaussianBlur(noise, noise, cv::Size(7, 7), 2.0);
    cv::normalize(noise, noise, 0, 255, cv::NORM_MINMAX);
    cv::Mat bgr;
    cv::cvtColor(noise, bgr, cv::COLOR_GRAY2BGR);
    return bgr;
  }();
  cv::Mat frame(size, CV_8UC3, cv::Scalar(40, 40, 40));
  // Whatever of the square lies inside the frame.
  const cv::Rect square = cv::Rect(x, y, 60, 60) & cv::Rect(cv::Point(0, 0), size);
  if (!square.empty()) texture(square - cv::Point(x, y)).copyTo(frame(square));
  return frame;
}

// Writes `frames` frames; the square starts at (40, 40) and moves `step` pixels right each
// frame. True when the file was written.
inline bool writeSquareMovie(const std::string& path, int frames, int step = 2,
                             cv::Size size = cv::Size(200, 150)) {
  cv::VideoWriter writer(path, cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 30.0,
                         size);
  if (!writer.isOpened()) return false;
  for (int i = 0; i < frames; ++i) writer.write(squareFrame(size, 40 + i * step, 40));
  writer.release();
  return true;
}

}  // namespace pravella::test
