#pragma once
// Camera 0 as the capture tools open it: the V4L2 device, or, when the environment variable
// PRAVELLA_CAMERA0 names a movie file, that file in its place (machines without a camera, and
// the tests).

#include <opencv2/videoio.hpp>

namespace pravella::video {

// True when `capture` was opened on camera 0 (or its stand-in).
bool openCamera0(cv::VideoCapture& capture);

// True when camera 0 is a movie file standing in for the camera.
bool camera0IsMovieFile();

// The line every capture tool writes to standard error when its source cannot be opened.
void reportCaptureFailure();

}  // namespace pravella::video
