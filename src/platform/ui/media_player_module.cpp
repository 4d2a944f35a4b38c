#include "platform/ui/media_player_module.h"

#include "platform/loadable_module.h"

namespace pravella::player {

const MediaPlayerFunctions* mediaPlayerFunctions(QString* why) {
  return loadableModuleTable<MediaPlayerFunctions>(
      "libpravella_media_player.so", "pravella_media_player_functions", kMediaPlayerModuleVersion, why);
}

}  // namespace pravella::player
