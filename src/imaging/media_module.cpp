#include "imaging/media_module.h"

#include "platform/loadable_module.h"

namespace pravella::media {

const MediaFunctions* mediaFunctions(QString* why) {
  using Entry = const MediaFunctions* (*)();
  void* entry = loadableModuleEntry("libpravella_media.so", "pravella_media_functions", why);
  if (!entry) return nullptr;
  const MediaFunctions* table = reinterpret_cast<Entry>(entry)();
  if (!table || table->version != kMediaModuleVersion) {
    if (why) *why = QStringLiteral("libpravella_media.so is of another build");
    return nullptr;
  }
  return table;
}

}  // namespace pravella::media
