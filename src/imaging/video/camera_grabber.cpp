#include "imaging/video/camera_grabber.h"

#include <chrono>
#include <memory>

#include "imaging/media_module.h"

namespace pravella::video {

bool CameraGrabber::start() {
  stop();
  const media::MediaFunctions* module = media::mediaFunctions();
  bool movie = false;
  std::shared_ptr<media::FrameReader> camera = module ? module->openCamera0(&movie) : nullptr;
  if (!camera) return false;
  double fps = movie ? camera->framesPerSecond() : 0.0;
  if (!(fps > 0 && fps < 1000)) fps = 30;
  stop_ = false;
  thread_ = std::thread([this, camera, movie, fps] {
    const auto period = std::chrono::microseconds(static_cast<long long>(1e6 / fps));
    while (!stop_) {
      // The stand-in movie plays in a loop, as a camera never ends.
      const bool read = camera->read() || (movie && camera->rewind() && camera->read());
      QImage image = read ? camera->image() : QImage();
      if (image.isNull()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        continue;
      }
      {
        std::lock_guard lock(mutex_);
        latest_ = std::move(image);
      }
      ++frames_;
      // A camera paces itself; a movie file is read at its frame rate.
      if (movie) std::this_thread::sleep_for(period);
    }
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
