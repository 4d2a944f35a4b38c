#include "lang/builtins/work_folders.h"

#include <QDir>

#include "diary/diary_globals.h"
#include "lang/values.h"
#include "platform/paths.h"

namespace pravella {

namespace {

std::string orCreated(const std::string& set, const QString& fallback) {
  if (!set.empty()) return set;
  QDir().mkpath(fallback);
  return fallback.toStdString();
}

}  // namespace

std::string languageWorkFolder() { return orCreated(vkDataPathString, paths::vkData()); }

std::string languageDataFolder() { return orCreated(vkDataCPath, paths::vkData()); }

std::string languagePreferencesFolder() { return orCreated(vkPreferencesCPath, paths::vkPreferences()); }

}  // namespace pravella
