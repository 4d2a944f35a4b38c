#pragma once
// Camera 0 and movie files read frame by frame through OpenCV's videoio.

#include <opencv2/core.hpp>

#include <memory>
#include <string>

#include "imaging/media_module.h"

namespace pravella::media {

class CvFrameReader : public FrameReader {
 public:
  // The frame read last, as the source gave it.
  virtual const cv::Mat& frame() const = 0;
};

// Camera 0 as the capture tools open it: the V4L2 device, or, when the environment variable
// PRAVELLA_CAMERA0 names a movie file, that file in its place (machines without a camera, and
// the tests).
std::unique_ptr<FrameReader> openCamera0(bool* isMovieFile);

std::unique_ptr<FrameReader> openMovieFrames(const std::string& path);

}  // namespace pravella::media
