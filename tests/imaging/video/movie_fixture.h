#pragma once
// Short MJPG movies for the capture tools: a textured square moving a few pixels a frame over
// a plain background, written with OpenCV's own encoder.

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <string>

namespace pravella::test {

// A frame with a checkered 60 x 60 square whose top-left corner is at (x, y).
inline cv::Mat squareFrame(cv::Size size, int x, int y) {
  cv::Mat frame(size, CV_8UC3, cv::Scalar(40, 40, 40));
  for (int by = 0; by < 6; ++by)
    for (int bx = 0; bx < 6; ++bx) {
      const bool light = (bx + by) % 2 == 0;
      cv::rectangle(frame, cv::Rect(x + bx * 10, y + by * 10, 10, 10),
                    light ? cv::Scalar(230, 230, 230) : cv::Scalar(10, 10, 10), cv::FILLED);
    }
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
