#pragma once
// Movies play through Qt's ffmpeg media backend: Debian's GStreamer backend lacks the plugins
// it needs and aborts the process on the first movie. Call before the application object is
// made; a backend the user names in QT_MEDIA_BACKEND is kept.

#include <QtGlobal>

namespace pravella {

inline void chooseMediaBackend() {
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}

}  // namespace pravella
