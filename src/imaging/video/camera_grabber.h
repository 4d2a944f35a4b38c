#pragma once
// A grabbing thread on camera 0 that keeps only the newest frame, for a window that shows
// frames at its own pace. A movie file standing in for the camera is played in a loop at its
// own frame rate.

#include <QImage>

#include <atomic>
#include <mutex>
#include <thread>

namespace pravella::video {

class CameraGrabber {
 public:
  CameraGrabber() = default;
  ~CameraGrabber() { stop(); }
  CameraGrabber(const CameraGrabber&) = delete;
  CameraGrabber& operator=(const CameraGrabber&) = delete;

  // Opens camera 0 and starts grabbing; false (nothing started) when it cannot be opened.
  bool start();
  // Stops grabbing and releases the camera; waits for the thread.
  void stop();
  bool running() const { return thread_.joinable(); }
  // The newest frame (RGB32), null before the first.
  QImage latest() const;
  // Frames grabbed so far.
  long long frames() const { return frames_.load(); }

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<long long> frames_{0};
  mutable std::mutex mutex_;
  QImage latest_;
};

}  // namespace pravella::video
