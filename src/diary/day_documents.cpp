#include "diary/day_documents.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/cformat.h"
#include "platform/paths.h"

namespace pravella {

QString fileExtension(const QString& name) {
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
  if (dot <= slash + 1) return {};
  return name.mid(dot + 1);
}

QString withoutExtension(const QString& name) {
  const QString ext = fileExtension(name);
  if (ext.isEmpty() && !name.endsWith(QLatin1Char('.'))) return name;
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
  return dot > slash + 1 ? name.left(dot) : name;
}

QString documentDisplayName(const QString& name) {
  return fileExtension(name) == QLatin1String("rtfd") ? withoutExtension(name) : name;
}

QString fitFileName(const QString& stem, const QString& tail, int maxBytes) {
  qsizetype room = maxBytes - tail.toUtf8().size();
  qsizetype end = 0;
  while (end < stem.size()) {
    const qsizetype width = stem.at(end).isHighSurrogate() && end + 1 < stem.size() ? 2 : 1;
    const qsizetype bytes = stem.mid(end, width).toUtf8().size();
    if (bytes > room) break;
    room -= bytes;
    end += width;
  }
  return stem.left(end) + tail;
}

QString cleanDocumentName(QString name) {
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  name.replace(QLatin1Char(':'), QLatin1Char(';'));
  for (qsizetype i = 0; i < name.size() && name[i] == QLatin1Char('.'); ++i) name[i] = QLatin1Char('_');
  return name;
}

QString nameForNewMemo(const QString& firstLine, const QDateTime& now) {
  if (!firstLine.isEmpty() && firstLine.size() <= 50) {
    if (firstLine == QStringLiteral("\u25A0 ")) return {};
    return firstLine;
  }
  const QDate d = now.date();
  const QTime t = now.time();
  return QString::fromStdString(cformat("%4d%02d%02d-%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(),
                                        t.minute(), t.second()));
}

namespace {

QString lastComponent(const QString& text) { return text.section(QLatin1Char('/'), -1); }

}  // namespace

QString tableRenameTarget(const QString& oldName, const QString& typed) {
  if (fileExtension(typed) == QLatin1String("rtfd")) return typed;
  if (fileExtension(oldName) == QLatin1String("rtfd")) return lastComponent(typed) + QStringLiteral(".rtfd");
  return typed;
}

QString fieldRenameTarget(const QString& oldName, const QString& name) {
  const QString kept = fileExtension(oldName);
  const QString typed = lastComponent(name);
  const QString typedExt = fileExtension(typed);
  if (kept.isEmpty() || typedExt == kept) return typed;
  const auto richText = [](const QString& ext) {
    return ext == QLatin1String("rtf") || ext == QLatin1String("rtfd");
  };
  if (richText(kept) && richText(typedExt)) return withoutExtension(typed) + QLatin1Char('.') + kept;
  return typed + QLatin1Char('.') + kept;
}

std::optional<QString> resolveSymbolicLink(const QString& path, int maxHops) {
  namespace fs = std::filesystem;
  fs::path current(QFile::encodeName(path).toStdString());
  for (int hop = 0; hop <= maxHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(current, ec))) return QFile::decodeName(current.c_str());
    const fs::path target = fs::read_symlink(current, ec);
    if (ec) return std::nullopt;
    // A relative target names a place beside the link, not beside the process.
    current = target.is_absolute() ? target : current.parent_path() / target;
    current = current.lexically_normal();
  }
  return std::nullopt;
}

bool renameWithoutReplacing(const QByteArray& from, const QByteArray& to) {
  if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  // A file system that cannot refuse a taken name by itself.
  struct stat st;
  if (::lstat(to.constData(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.constData(), to.constData()) == 0;
}

namespace {

bool entryExists(const QString& path) {
  // A dangling link in the Trash still takes its name.
  return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

QString trashName(const QString& name, int counter) {
  if (counter == 0) return name;
  const QString ext = fileExtension(name);
  return withoutExtension(name) + QString::fromStdString(cformat(".%03d.", counter)) + ext;
}

}  // namespace

TrashResult moveToTrash(const QString& path, const QDateTime& when) {
  TrashResult result;
  if (!entryExists(path)) {
    result.ok = true;
    return result;
  }
  const QString files = paths::trash() + QStringLiteral("/files");
  const QString info = paths::trash() + QStringLiteral("/info");
  if (!QDir().mkpath(files) || !QDir().mkpath(info)) {
    result.error = QStringLiteral("The Trash folder %1 cannot be created.").arg(paths::trash());
    return result;
  }
  const QString name = QFileInfo(path).fileName();
  const QString absolute = QFileInfo(path).absoluteFilePath();
  for (int counter = 0; counter < 100000; ++counter) {
    const QString candidate = trashName(name, counter);
    const QString target = files + QLatin1Char('/') + candidate;
    if (entryExists(target)) continue;
    // The info entry is made first and exclusively: it reserves the name against another
    // program trashing the same name at the same moment.
    QFile infoFile(info + QLatin1Char('/') + candidate + QStringLiteral(".trashinfo"));
    if (!infoFile.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
      if (infoFile.exists()) continue;
      result.error = QStringLiteral("The Trash entry for %1 cannot be written.").arg(name);
      return result;
    }
    const QByteArray text = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(absolute, "/") +
                            "\nDeletionDate=" + when.toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toUtf8() +
                            "\n";
    const bool written = infoFile.write(text) == text.size() && infoFile.flush();
    infoFile.close();
    if (!written || !QDir().rename(absolute, target)) {
      infoFile.remove();
      result.error = QStringLiteral("%1 cannot be moved to the Trash.").arg(name);
      return result;
    }
    result.ok = true;
    result.trashedPath = target;
    return result;
  }
  result.error = QStringLiteral("The Trash has no free name for %1.").arg(name);
  return result;
}

}  // namespace pravella
