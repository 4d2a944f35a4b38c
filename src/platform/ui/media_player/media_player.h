#pragma once
// The media-player module's players (see platform/ui/media_player_module.h).

#include "platform/ui/media_player_module.h"

namespace pravella::player {

std::unique_ptr<MoviePlayer> newQtMoviePlayer(QWidget* parent, PlayerEvents events);
bool qtAudioOutputExists();
void playQtSoundFile(const QString& name, const QString& path);

}  // namespace pravella::player
