#include "tools/system/diary_backup.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "platform/atomic_file.h"
#include "platform/file_copy.h"
#include "platform/paths.h"

namespace pravella::backup {

namespace {

QString dateText(const QDate& day) { return day.toString(QStringLiteral("yyyy/MM/dd")); }

// Every file and link of `from` has its twin in `to` of the same size.
bool sameTree(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo source(it.next());
    const QFileInfo copy(to + u'/' + QDir(from).relativeFilePath(source.filePath()));
    if (!copy.exists() && !copy.isSymLink()) return false;
    if (source.isFile() && !source.isSymLink() && source.size() != copy.size()) return false;
  }
  return true;
}

bool within(const QString& inner, const QString& outer) {
  return inner == outer || inner.startsWith(outer + u'/');
}

}  // namespace

QString backupFolderFile() { return paths::preferences() + QStringLiteral("/backupFolderPath.string"); }
QString rotationFolder() { return paths::diary() + QStringLiteral("/PrefBackup"); }
QString prefCheckFile() { return paths::diary() + QStringLiteral("/prefCheck.dat"); }
QString generation(int n) { return rotationFolder() + QStringLiteral("/Preferences.%1").arg(n, 3, 10, QChar(u'0')); }

QStringList rsyncArguments(const QString& from, const QString& to, int manualBackupStatus) {
  QStringList args{QStringLiteral("-rlptuz"), QStringLiteral("--exclude=PrefBackup"), QStringLiteral("--exclude=vkData")};
  if (manualBackupStatus == 0) args << QStringLiteral("--exclude=Manual");
  // Absolute, so that a folder named "-e…" is never read as an option; a trailing "/" is kept
  // (it tells rsync to copy what the folder holds).
  const auto absolute = [](const QString& path) {
    return QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path;
  };
  args << absolute(from) << absolute(to);
  return args;
}

QString refusalFor(const QString& diary, const QString& backup) {
  if (backup.trimmed().isEmpty()) return QStringLiteral("No backup folder is set.");
  if (!QFileInfo(backup).isDir()) return QStringLiteral("The backup folder %1 is not there.").arg(backup);
  const QString a = QFileInfo(diary).canonicalFilePath(), b = QFileInfo(backup).canonicalFilePath();
  if (!a.isEmpty() && (within(b, a) || within(a, b)))
    return QStringLiteral("The backup folder %1 and the diary lie one inside the other.").arg(backup);
  return {};
}

QString endingLine(bool stopped, int failedStatus) {
  if (stopped) return QStringLiteral("--------< Terminate backup >--------\n");
  if (failedStatus != 0) return QStringLiteral("--------< rsync failed (status %1) >--------\n").arg(failedStatus);
  return QStringLiteral("--------< Finished >--------\n");
}

bool checkPrefBackupDate(const QDate& today) {
  QFile file(prefCheckFile());
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QStringList parts = QString::fromUtf8(file.read(64)).trimmed().split(u'/');
  if (parts.size() < 3) return false;
  return parts.at(0).toInt() == today.year() && parts.at(1).toInt() == today.month() &&
         parts.at(2).toInt() == today.day();
}

Rotation backupPreferencesToPrefBackup(const QDate& today) {
  if (!QDir().mkpath(rotationFolder())) return Rotation::NoFolder;
  const QString fresh = generation(0);
  QDir(fresh).removeRecursively();  // a leftover of an interrupted rotation
  if (!copyRecursively(paths::preferences(), fresh) || !sameTree(paths::preferences(), fresh)) {
    QDir(fresh).removeRecursively();
    return Rotation::CopyFailed;
  }
  QDir(generation(7)).removeRecursively();
  for (int i = 6; i >= 0; --i)
    if (QFileInfo::exists(generation(i))) QDir().rename(generation(i), generation(i + 1));
  writeFileAtomically(prefCheckFile(), dateText(today).toUtf8());
  return Rotation::Done;
}

bool restorePreferences(const QString& chosen, QString* why) {
  const QFileInfo info(chosen);
  if (info.completeBaseName() != QLatin1String("Preferences") || !info.isDir()) {
    if (why) *why = QStringLiteral("%1 is no copy of the preferences.").arg(chosen);
    return false;
  }
  const QString target = paths::preferences();
  if (QFileInfo(chosen).canonicalFilePath() == QFileInfo(target).canonicalFilePath()) return true;
  const QString incoming = target + QStringLiteral(".restoring");
  const QString outgoing = target + QStringLiteral(".replaced");
  QDir(incoming).removeRecursively();
  if (!copyRecursively(chosen, incoming) || !sameTree(chosen, incoming)) {
    QDir(incoming).removeRecursively();
    if (why) *why = QStringLiteral("%1 could not be copied.").arg(chosen);
    return false;
  }
  QDir(outgoing).removeRecursively();
  if (QFileInfo::exists(target) && !QDir().rename(target, outgoing)) {
    QDir(incoming).removeRecursively();
    if (why) *why = QStringLiteral("The preferences folder could not be replaced.");
    return false;
  }
  if (!QDir().rename(incoming, target)) {
    QDir().rename(outgoing, target);
    if (why) *why = QStringLiteral("The preferences folder could not be replaced.");
    return false;
  }
  QDir(outgoing).removeRecursively();
  return true;
}

QString removableMediaFolder() {
  const QString media = QStringLiteral("/media/") + qEnvironmentVariable("USER");
  return QFileInfo(media).isDir() ? media : QStringLiteral("/");
}

}  // namespace pravella::backup
