// The one symbol the media module exports: its table of functions.

#include "imaging/media/feature_tracker.h"
#include "imaging/media/frame_readers.h"
#include "imaging/media/libav.h"
#include "imaging/media/snake.h"

extern "C" __attribute__((visibility("default"))) const pravella::media::MediaFunctions* pravella_media_functions() {
  using namespace pravella::media;
  static const MediaFunctions table = [] {
    MediaFunctions t;
    t.version = kMediaModuleVersion;
    t.openCamera0 = &openCamera0;
    t.openMovieFrames = &openMovieFrames;
    t.newFeatureTracker = &newFeatureTracker;
    t.fitSnake = &fitSnake;
    t.openMovieFile = &openLibavSource;
    t.writeJpegMovie = &muxJpegMovie;
    return t;
  }();
  return &table;
}
