#include "diary/working_folder.h"

#include <QDir>

#include <mutex>

#include "diary/day_folders.h"
#include "diary/diary_globals.h"
#include "diary/startup_files.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/console_log.h"
#include "platform/paths.h"

namespace pravella {
namespace {

// The folder as the buffer holds it: UTF-8 without a trailing "/" (the root stays "/").
std::string asBufferText(QString folder) {
  while (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
  return folder.toStdString();
}

}  // namespace

void initWorkingFolder() {
  const QString desktop = paths::desktop();
  // A home without a desktop folder (a new account, a server) gets one, as it gets the diary
  // folders: the programs' relative file names and the commands they start begin there.
  if (!QDir().mkpath(desktop))
    showErrMessageToConsole(("Can not create the working folder " + desktop + "\n").toStdString());
  setWorkingFolder(desktop);
}

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
