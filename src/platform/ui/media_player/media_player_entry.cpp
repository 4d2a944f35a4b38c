// The one symbol the media-player module exports: its table of functions.

#include "platform/ui/media_player/media_player.h"

extern "C" __attribute__((visibility("default"))) const pravella::player::MediaPlayerFunctions*
pravella_media_player_functions() {
  using namespace pravella::player;
  static const MediaPlayerFunctions table = [] {
    MediaPlayerFunctions t;
    t.version = kMediaPlayerModuleVersion;
    t.newMoviePlayer = &newQtMoviePlayer;
    t.audioOutputExists = &qtAudioOutputExists;
    t.playSoundFile = &playQtSoundFile;
    return t;
  }();
  return &table;
}
