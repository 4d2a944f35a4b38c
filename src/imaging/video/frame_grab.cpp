#include "imaging/video/frame_grab.h"

#include "imaging/media_module.h"
#include "imaging/video/camera_source.h"
#include "imaging/video/cv_picture.h"
#include "lang/report.h"

int fgrabber_cv(double, pravella::Picture& picture) {
  using namespace pravella;
  QString why;
  const media::MediaFunctions* module = media::mediaFunctions(&why);
  std::unique_ptr<media::FrameReader> camera = module ? module->openCamera0(nullptr) : nullptr;
  if (!camera) {
    video::reportCaptureFailure();
    error_disp(module ? std::string("Could not open camera 0.") : ("fGrabber: " + why).toStdString());
    return 0;
  }
  const bool read = camera->read();
  const QImage frame = read ? camera->image() : QImage();
  camera.reset();  // the camera is released before the picture is made
  if (frame.isNull()) {
    error_disp("Camera 0 gave no frame.");
    return 0;
  }
  return IplImage2pict(frame, picture);
}
