#include "diary/day_folders.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "diary/document_companions.h"
#include "diary/undecodable_names.h"
#include "platform/atomic_file.h"
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
  QStringList names = QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  // A save killed halfway may have left a document outside its name: it is put back before
  // the day is shown.
  if (std::any_of(names.cbegin(), names.cend(),
                  [](const QString& name) { return name.startsWith(QLatin1String(".saving-")); })) {
    recoverInterruptedSaves(folder);
    names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                   QDir::Unsorted);
  }
  // Qt leaves out a name that is no UTF-8: it is listed under its escaped name, unless a file
  // bears that very name.
  for (const QString& shown : undecodableEntries(folder))
    if (!names.contains(shown)) names.append(shown);
  for (const QString& name : names) {
    if (name.startsWith(QLatin1Char('.'))) continue;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
      const QStringView ext = QStringView(name).mid(dot + 1);
      if (ext == QLatin1String("ROIData") || isCompanionExtension(ext)) continue;
    }
    listed.append(name);
  }
  // The folder's own order is no order at all (it changes with a rename): the list is read
  // by name, and a day's first document is the first name.
  std::sort(listed.begin(), listed.end(), naturalNameLess);
  return listed;
}

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// -1, 0 or 1 as the run a[..] of digits compares by value with b[..].
int compareNumbers(QStringView a, QStringView b) {
  while (a.size() > 1 && a.front() == QLatin1Char('0')) a = a.mid(1);
  while (b.size() > 1 && b.front() == QLatin1Char('0')) b = b.mid(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

bool naturalNameLess(const QString& a, const QString& b) {
  qsizetype i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      qsizetype ie = i, je = j;
      while (ie < a.size() && isDigit(a[ie])) ++ie;
      while (je < b.size() && isDigit(b[je])) ++je;
      if (const int c = compareNumbers(QStringView(a).mid(i, ie - i), QStringView(b).mid(j, je - j))) return c < 0;
      i = ie;
      j = je;
      continue;
    }
    const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
    if (ca != cb) return ca < cb;
    ++i;
    ++j;
  }
  if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
  // Names equal but for case or leading zeros still have one fixed order.
  return a < b;
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

std::optional<DayOfPath> dayOfDiaryDocument(const QString& path) {
  const QString root = paths::diary() + QLatin1Char('/');
  if (!path.startsWith(root)) return std::nullopt;
  const QStringList parts = path.mid(root.size()).split(QLatin1Char('/'));
  if (parts.size() != 4 || parts[3].isEmpty()) return std::nullopt;
  const auto digits = [](const QString& s, qsizetype n) {
    return s.size() == n && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
  };
  if (!digits(parts[0], 4) || !digits(parts[1], 2) || !digits(parts[2], 2)) return std::nullopt;
  DayOfPath day{parts[0].toInt(), parts[1].toInt(), parts[2].toInt()};
  if (!QDate(day.year, day.month, day.day).isValid()) return std::nullopt;
  return day;
}

void recoverInterruptedDiarySaves() {
  const QString root = paths::diary();
  recoverInterruptedSaves(root);
  recoverInterruptedSaves(paths::vkPreferences());
  recoverInterruptedSaves(paths::preferences());
  const auto subfolders = [](const QString& folder) {
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
  };
  for (const QString& year : subfolders(root)) {
    if (year.size() != 4 || !year.front().isDigit()) continue;
    for (const QString& month : subfolders(root + u'/' + year))
      for (const QString& day : subfolders(root + u'/' + year + u'/' + month))
        recoverInterruptedSaves(root + u'/' + year + u'/' + month + u'/' + day);
  }
}

}  // namespace pravella
