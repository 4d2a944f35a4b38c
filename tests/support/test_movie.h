#pragma once
// Movies the tests write with OpenCV: MJPG in AVI at a given frame rate. Frame k is a uniform
// grey level greyOf(k) with a white 16 by 16 square at the top-left (JPEG keeps both exact
// enough: the square fills whole blocks).

#include <QString>

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

namespace pravella::test {

inline int greyOf(int k) { return (20 + 20 * k) % 240; }

inline bool writeGreyMovie(const QString& path, int frames, int width = 64, int height = 48,
                           double fps = 10) {
  cv::VideoWriter writer(path.toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps,
                         cv::Size(width, height), true);
  if (!writer.isOpened()) return false;
  for (int k = 0; k < frames; ++k) {
    cv::Mat frame(height, width, CV_8UC3, cv::Scalar::all(greyOf(k)));
    frame(cv::Rect(0, 0, 16, 16)).setTo(cv::Scalar::all(255));
    writer.write(frame);
  }
  writer.release();
  return true;
}

// Frames of one dark grey with a white band 16 pixels wide down the right edge and a white
// 16 by 16 square at the top-left: a view that cuts the frame loses one of them.
inline bool writeEdgedMovie(const QString& path, int frames, int width, int height, double fps = 10) {
  cv::VideoWriter writer(path.toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps,
                         cv::Size(width, height), true);
  if (!writer.isOpened()) return false;
  cv::Mat frame(height, width, CV_8UC3, cv::Scalar::all(40));
  frame(cv::Rect(0, 0, 16, 16)).setTo(cv::Scalar::all(255));
  frame(cv::Rect(width - 16, 0, 16, height)).setTo(cv::Scalar::all(255));
  for (int k = 0; k < frames; ++k) writer.write(frame);
  writer.release();
  return true;
}

}  // namespace pravella::test
