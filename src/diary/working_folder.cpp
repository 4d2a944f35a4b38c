#include "diary/working_folder.h"

#include <mutex>

#include "diary/day_folders.h"
#include "diary/diary_globals.h"
#include "diary/startup_files.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/paths.h"

namespace pravella {
namespace {

// The folder as the buffer holds it: UTF-8 without a trailing "/" (the root stays "/").
std::string asBufferText(QString folder) {
  while (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
  return folder.toStdString();
}

}  // namespace

void initWorkingFolder() { setWorkingFolder(paths::desktop()); }

bool setWorkingFolder(const QString& folder) {
  const std::string text = asBufferText(folder);
  if (text.size() >= static_cast<std::size_t>(kPathBytes)) return false;
  // A program on its worker thread reads the folder as it runs; changing it under the program
  // would race. Programs themselves change it through their built-ins, on their own thread.
  std::unique_lock lock(vkRunLock(), std::try_to_lock);
  if (!lock.owns_lock()) return false;
  current_fullPath = text;
  return true;
}

QString workingFolder() { return QString::fromStdString(current_fullPath); }

void prepareFoldersWithoutWindow(const QDate& today) {
  ensureDiaryFolderTree();
  vkDataCPath = paths::vkData().toStdString();
  vkPreferencesCPath = paths::vkPreferences().toStdString();
  vkPrefPath = vkPreferencesCPath;
  vkDataPathString = vkDataCPath;
  ensureModulesAndSupportFolders();
  if (today.isValid()) makeDayFolder(today.year(), today.month(), today.day());
  if (current_fullPath.empty()) initWorkingFolder();
}

}  // namespace pravella
