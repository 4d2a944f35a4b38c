#include "diary/startup_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "diary/day_folders.h"
#include "platform/cformat.h"
#include "platform/console_log.h"
#include "platform/paths.h"
#include "platform/property_list.h"

namespace pravella {
namespace {

void ensure(const QString& path, const char* message) {
  if (enterOrCreateFolder(path) == FolderEntry::Failed) showErrMessageToConsole(message);
}

void logLine(const QString& text) { showErrMessageToConsole((text + QLatin1Char('\n')).toStdString()); }

}  // namespace

void ensureDiaryFolderTree() {
  ensure(paths::documents(), "Can not Create Documents Folder folder(0)!\n");
  ensure(paths::diary(), "Can not Create Diary Folder folder(0)!\n");
  ensure(paths::vkData(), "Can not Create vkData Folder folder(0)!\n");
  ensure(paths::vkPreferences(), "Can not Create vkPreferences Folder folder(0)\n!");
}

void ensureModulesAndSupportFolders() {
  ensure(paths::modules(), "Can not Create Modules Folder folder(0)!\n");
  // The application support folder lies outside the diary, under a parent that may be missing.
  const QString support = paths::applicationSupport();
  if (!QFileInfo(support).isDir() && !QDir().mkpath(support))
    showErrMessageToConsole("Can not Create Pravella Folder folder(0)!\n");
}

bool copyMissingResource(const QString& name, const QString& folder) {
  const QString target = folder + QLatin1Char('/') + name;
  if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) return true;
  QFile source(paths::resource(name));
  if (!source.open(QIODevice::ReadOnly)) {
    logLine(QStringLiteral("Can not copy %1 from the application's resources: %2")
                .arg(name, source.errorString()));
    return false;
  }
  const QByteArray data = source.readAll();
  if (source.error() != QFileDevice::NoError) {
    logLine(QStringLiteral("Can not copy %1 from the application's resources: %2")
                .arg(name, source.errorString()));
    return false;
  }
  if (WriteResult written = writeFileAtomically(target, data); !written) {
    logLine(written.error);
    return false;
  }
  return true;
}

QString loadRememberString() {
  const QString path = paths::vkPreferences() + QStringLiteral("/rememberString.txt");
  QFile file(path);
  if (file.exists()) {
    if (file.open(QIODevice::ReadOnly)) return QString::fromUtf8(file.readAll());
    logLine(QStringLiteral("Can not read %1: %2").arg(path, file.errorString()));
  }
  const QString fresh = QStringLiteral(" \u267B ");
  // An unreadable file is kept as it is; only a missing one is created.
  if (!file.exists()) {
    if (WriteResult written = storeRememberString(fresh); !written) logLine(written.error);
  }
  return fresh;
}

WriteResult storeRememberString(const QString& text) {
  return writeFileAtomically(paths::vkPreferences() + QStringLiteral("/rememberString.txt"), text.toUtf8());
}

QStringList readRecentMemo() {
  const QString path = paths::preferences() + QStringLiteral("/recentMemo.dat");
  if (!QFileInfo::exists(path)) return {};
  QString error;
  std::optional<QStringList> list = plist::readStringArray(path, &error);
  if (!list) {
    logLine(QStringLiteral("The recent memo list %1 is not read: %2").arg(path, error));
    return {};
  }
  return *list;
}

WriteResult writeRecentMemo(const QStringList& list) {
  const QString folder = paths::preferences();
  if (!QDir().mkpath(folder))
    return WriteResult{false,
                       QStringLiteral("Cannot save the recent memo list: %1 cannot be created.").arg(folder)};
  return plist::writeStringArray(folder + QStringLiteral("/recentMemo.dat"), list);
}

void deleteVkDataFiles() {
  QDir dir(paths::vkData());
  if (!dir.exists()) return;
  const QFileInfoList entries = dir.entryInfoList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  for (const QFileInfo& entry : entries) {
    bool removed;
    if (entry.isDir() && !entry.isSymLink())
      removed = QDir(entry.absoluteFilePath()).removeRecursively();
    else
      removed = QFile::remove(entry.absoluteFilePath());
    if (!removed) logLine(QStringLiteral("Can not remove %1").arg(entry.absoluteFilePath()));
  }
}

QStringList moduleFilesToRun(const QString& folder) {
  QStringList files;
  const QStringList names = QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names) {
    const QStringList parts = name.split(QLatin1Char('.'));
    if (parts.size() < 3) continue;  // a base name, "vk" and the last extension
    const QString& last = parts.last();
    if ((last == QLatin1String("rtf") || last == QLatin1String("rtfd")) &&
        parts[parts.size() - 2] == QLatin1String("vk"))
      files.append(folder + QLatin1Char('/') + name);
  }
  return files;
}

QString windowFrameFilePath() {
  return paths::applicationSupport() + QStringLiteral("/windowPositionAndSize.dat");
}

std::optional<WindowFrame> readWindowFrameFile(const QString& path) {
  if (!QFileInfo::exists(path)) return std::nullopt;
  QString error;
  std::optional<QStringList> items = plist::readStringArray(path, &error);
  if (!items) {
    logLine(QStringLiteral("The window frame file %1 is not used: %2").arg(path, error));
    return std::nullopt;
  }
  if (items->size() < 4) {
    logLine(QStringLiteral("The window frame file %1 is not used: it holds %2 items, not 9.")
                .arg(path)
                .arg(items->size()));
    return std::nullopt;
  }
  WindowFrame frame;
  // Items read as numbers the way a float value of a string is taken: text that is no number
  // reads as 0.
  auto number = [&](int i) { return items->at(i).trimmed().toDouble(); };
  frame.x = number(0);
  frame.y = number(1);
  frame.width = number(2);
  frame.height = number(3);
  if (frame.width < 1 || frame.height < 1) {
    logLine(QStringLiteral("The window frame file %1 is not used: its frame is empty.").arg(path));
    return std::nullopt;
  }
  if (items->size() == 9) {
    for (int i = 0; i < 5; ++i) frame.sideWidths[i] = number(4 + i);
  } else {
    logLine(
        QStringLiteral("The window frame file %1 holds %2 items, not 9: the side views get the width 500.")
            .arg(path)
            .arg(items->size()));
  }
  return frame;
}

WriteResult writeWindowFrameFile(const QString& path, const WindowFrame& frame) {
  QStringList items;
  for (double v : {frame.x, frame.y, frame.width, frame.height})
    items.append(QString::fromStdString(cformat("%f", v)));
  for (double v : frame.sideWidths) items.append(QString::fromStdString(cformat("%f", v)));
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder))
    return WriteResult{false,
                       QStringLiteral("Cannot save the window frame: %1 cannot be created.").arg(folder)};
  return plist::writeStringArray(path, items);
}

QString sideViewWidthsFilePath() {
  return paths::applicationSupport() + QStringLiteral("/sideViewWidths.dat");
}

std::map<QString, int> readSideViewWidths(const QString& path) {
  std::map<QString, int> widths;
  if (!QFileInfo::exists(path)) return widths;
  QString error;
  const std::optional<QVariant> value = plist::readFile(path, &error);
  if (!value || value->typeId() != QMetaType::QVariantMap) {
    logLine(QStringLiteral("The side view widths file %1 is not used: %2")
                .arg(path, value ? QStringLiteral("it holds no dictionary.") : error));
    return widths;
  }
  const QVariantMap map = value->toMap();
  for (auto it = map.begin(); it != map.end(); ++it) {
    bool ok = false;
    const double width = it.value().toDouble(&ok);
    if (ok && width >= 1 && width < 1e6) widths[it.key()] = qRound(width);
  }
  return widths;
}

WriteResult writeSideViewWidths(const QString& path, const std::map<QString, int>& widths) {
  QVariantMap map;
  for (const auto& [name, width] : widths) map.insert(name, static_cast<double>(width));
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder))
    return WriteResult{false,
                       QStringLiteral("Cannot save the side view widths: %1 cannot be created.").arg(folder)};
  return plist::writeFile(path, map);
}

}  // namespace pravella
