#include "diary/day_folders.h"

#include <QDir>
#include <QFileInfo>

#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/paths.h"

namespace pravella {

FolderEntry enterOrCreateFolder(const QString& path) {
  if (QFileInfo(path).isDir() && QDir::setCurrent(path)) return FolderEntry::Entered;
  if (QDir().mkdir(path)) return FolderEntry::Created;
  return FolderEntry::Failed;
}

bool makeDayFolder(int year, int month, int day) {
  const QString dayPath = paths::dayFolder(year, month, day);
  if (QFileInfo(dayPath).isDir() && QDir::setCurrent(dayPath)) return true;

  const QString yearPath = paths::diary() + QLatin1Char('/') + QString::fromStdString(cformat("%4d", year));
  const QString monthPath = yearPath + QLatin1Char('/') + QString::fromStdString(cformat("%02d", month));
  const struct {
    QString path;
    const char* message;
  } levels[] = {
      {paths::documents(), "Can not Create Documents folder(1)!\n"},
      {paths::diary(), "Can not Create diary folder!\n"},
      {yearPath, "Can not Create year folder!\n"},
      {monthPath, "Can not Create month folder!\n"},
      {dayPath, "Can not Create day folder!\n"},
  };
  for (const auto& level : levels) {
    if (enterOrCreateFolder(level.path) == FolderEntry::Failed) {
      showErrMessageToConsole(level.message);
      return false;
    }
  }
  return true;
}

bool folderHoldsRichText(const QString& folder) {
  const QFileInfo info(folder);
  if (!info.isDir()) return false;
  const QStringList names = QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  for (const QString& name : names) {
    // The extension is what follows the last full stop, as the file manager reads it; a name
    // made of a full stop and letters only (".rtf") has none.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0) continue;
    if (QStringView(name).mid(dot + 1).startsWith(QLatin1String("rtf"))) return true;
  }
  return false;
}

QStringList listDiaryFiles(const QString& folder) {
  QStringList listed;
  const QStringList names = QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  for (const QString& name : names) {
    if (name.startsWith(QLatin1Char('.'))) continue;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
      const QStringView ext = QStringView(name).mid(dot + 1);
      if (ext == QLatin1String("ROIData") || ext == QLatin1String("htmld") || ext == QLatin1String("tbld"))
        continue;
    }
    listed.append(name);
  }
  return listed;
}

int compareDayKeys(int todayKey, int dayKeyValue) {
  if (todayKey > dayKeyValue) return -1;
  if (todayKey == dayKeyValue) return 0;
  return 1;
}

std::optional<DayOfPath> dayOfDocumentPath(const QString& path) {
  const QStringList parts = path.split(QLatin1Char('/'));
  if (parts.size() < 4) return std::nullopt;
  const qsizetype n = parts.size();
  DayOfPath day;
  day.year = parts[n - 4].toInt();
  day.month = parts[n - 3].toInt();
  day.day = parts[n - 2].toInt();
  return day;
}

}  // namespace pravella
