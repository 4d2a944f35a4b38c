#include "imaging/video/frame_grab.h"

#include "imaging/media_module.h"
#include "imaging/video/camera_source.h"
#include "imaging/video/cv_picture.h"
#include "platform/console_log.h"

int fgrabber_cv(double, pravella::Picture& picture) {
  using namespace pravella;
  QString why;
  const media::MediaFunctions* module = media::mediaFunctions(&why);
  std::unique_ptr<media::FrameReader> camera = module ? module->openCamera0(nullptr) : nullptr;
  if (!camera) {
    if (!module) showErrMessageToConsole(("fGrabber: " + why + "\n").toStdString());
    video::reportCaptureFailure();
    return 0;
  }
  const bool read = camera->read();
  const QImage frame = read ? camera->image() : QImage();
  camera.reset();  // the camera is released before the picture is made
  return IplImage2pict(frame, picture);
}
