#include "imaging/media_module.h"

#include "platform/loadable_module.h"

namespace pravella::media {

const MediaFunctions* mediaFunctions(QString* why) {
  return loadableModuleTable<MediaFunctions>("libpravella_media.so", "pravella_media_functions",
                                             kMediaModuleVersion, why);
}

}  // namespace pravella::media
