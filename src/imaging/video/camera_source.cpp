#include "imaging/video/camera_source.h"

#include <cstdio>

namespace pravella::video {

void reportCaptureFailure() {
  std::fputs("Could not initialize capturing...\n", stderr);
  std::fflush(stderr);
}

}  // namespace pravella::video
