#include "imaging/media/frame_readers.h"

#include <opencv2/videoio.hpp>

#include <cstdlib>

#include "imaging/media/cv_images.h"

namespace pravella::media {

namespace {

const char* standIn() {
  const char* path = std::getenv("PRAVELLA_CAMERA0");
  return path && *path ? path : nullptr;
}

class CaptureReader : public CvFrameReader {
 public:
  // OpenCV reports some failures of its back ends by throwing; every one is a plain failure.
  bool openFile(const std::string& path) {
    try {
      return capture_.open(path, cv::CAP_ANY);
    } catch (const cv::Exception&) {
      return false;
    }
  }
  bool openDevice(int index) {
    try {
      return capture_.open(index, cv::CAP_V4L2);
    } catch (const cv::Exception&) {
      return false;
    }
  }
  ~CaptureReader() override { capture_.release(); }

  bool read() override {
    try {
      return capture_.read(frame_) && !frame_.empty();
    } catch (const cv::Exception&) {
      return false;
    }
  }
  bool rewind() override {
    try {
      return capture_.set(cv::CAP_PROP_POS_FRAMES, 0);
    } catch (const cv::Exception&) {
      return false;
    }
  }
  double framesPerSecond() const override {
    try {
      return capture_.get(cv::CAP_PROP_FPS);
    } catch (const cv::Exception&) {
      return 0;
    }
  }
  QImage image() const override { return frame_.empty() ? QImage() : imageFromMat(bgrFrame(frame_)); }
  const cv::Mat& frame() const override { return frame_; }

 private:
  // VideoCapture::get is not const.
  mutable cv::VideoCapture capture_;
  cv::Mat frame_;
};

}  // namespace

std::unique_ptr<FrameReader> openCamera0(bool* isMovieFile) {
  auto reader = std::make_unique<CaptureReader>();
  const char* path = standIn();
  if (isMovieFile) *isMovieFile = path != nullptr;
  if (!(path ? reader->openFile(path) : reader->openDevice(0))) return nullptr;
  return reader;
}

std::unique_ptr<FrameReader> openMovieFrames(const std::string& path) {
  auto reader = std::make_unique<CaptureReader>();
  if (!reader->openFile(path)) return nullptr;
  return reader;
}

}  // namespace pravella::media
