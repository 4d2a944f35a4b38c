#include "diary/working_folder.h"

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
  current_fullPath = text;
  return true;
}

QString workingFolder() { return QString::fromStdString(current_fullPath); }

}  // namespace pravella
