#include "imaging/video/camera_source.h"

#include <cstdio>
#include <cstdlib>

namespace pravella::video {

namespace {

const char* standIn() {
  const char* path = std::getenv("PRAVELLA_CAMERA0");
  return path && *path ? path : nullptr;
}

}  // namespace

bool camera0IsMovieFile() { return standIn() != nullptr; }

bool openCamera0(cv::VideoCapture& capture) {
  try {
    if (const char* path = standIn()) return capture.open(path, cv::CAP_ANY);
    return capture.open(0, cv::CAP_V4L2);
  } catch (const cv::Exception&) {
    return false;
  }
}

void reportCaptureFailure() {
  std::fputs("Could not initialize capturing...\n", stderr);
  std::fflush(stderr);
}

}  // namespace pravella::video
