#include "imaging/video/frame_grab.h"

#include "imaging/video/camera_source.h"
#include "imaging/video/cv_picture.h"

int fgrabber_cv(double, pravella::Picture& picture) {
  cv::VideoCapture capture;
  if (!pravella::video::openCamera0(capture)) {
    pravella::video::reportCaptureFailure();
    return 0;
  }
  cv::Mat frame;
  bool read = false;
  try {
    read = capture.read(frame);
  } catch (const cv::Exception&) {
    read = false;
  }
  capture.release();
  if (!read || frame.empty()) return 0;
  return IplImage2pict(frame, picture);
}
