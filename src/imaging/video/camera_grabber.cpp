#include "imaging/video/camera_grabber.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <chrono>
#include <memory>

#include "imaging/video/camera_source.h"

namespace pravella::video {

namespace {

QImage toImage(const cv::Mat& frame) {
  cv::Mat bgr;
  if (frame.channels() == 1)
    cv::cvtColor(frame, bgr, cv::COLOR_GRAY2BGR);
  else if (frame.channels() == 4)
    cv::cvtColor(frame, bgr, cv::COLOR_BGRA2BGR);
  else
    bgr = frame;
  QImage out(bgr.cols, bgr.rows, QImage::Format_RGB32);
  for (int y = 0; y < bgr.rows; ++y) {
    const auto* src = bgr.ptr<cv::Vec3b>(y);
    auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < bgr.cols; ++x) dst[x] = qRgb(src[x][2], src[x][1], src[x][0]);
  }
  return out;
}

}  // namespace

bool CameraGrabber::start() {
  stop();
  auto capture = std::make_shared<cv::VideoCapture>();
  if (!openCamera0(*capture)) return false;
  const bool movie = camera0IsMovieFile();
  double fps = movie ? capture->get(cv::CAP_PROP_FPS) : 0.0;
  if (!(fps > 0 && fps < 1000)) fps = 30;
  stop_ = false;
  thread_ = std::thread([this, capture, movie, fps] {
    cv::Mat frame;
    const auto period = std::chrono::microseconds(static_cast<long long>(1e6 / fps));
    while (!stop_) {
      bool read = false;
      try {
        read = capture->read(frame);
        if (!read && movie) {
          // The stand-in movie plays in a loop, as a camera never ends.
          capture->set(cv::CAP_PROP_POS_FRAMES, 0);
          read = capture->read(frame);
        }
      } catch (const cv::Exception&) {
        read = false;
      }
      if (!read || frame.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        continue;
      }
      QImage image = toImage(frame);
      {
        std::lock_guard lock(mutex_);
        latest_ = std::move(image);
      }
      ++frames_;
      // A camera paces itself; a movie file is read at its frame rate.
      if (movie) std::this_thread::sleep_for(period);
    }
    capture->release();
  });
  return true;
}

void CameraGrabber::stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

QImage CameraGrabber::latest() const {
  std::lock_guard lock(mutex_);
  return latest_;
}

}  // namespace pravella::video
