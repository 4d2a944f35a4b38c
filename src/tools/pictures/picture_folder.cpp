#include "tools/pictures/picture_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

#include "diary/day_folders.h"
#include "platform/bounded_read.h"
#include "platform/paths.h"

namespace pravella {

QStringList listPictureFiles(const QString& folder) {
  QStringList pictures;
  const QDir dir(folder);
  if (!dir.exists()) return pictures;
  QStringList names =
      dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  // Read as the day list is read: by name, numbers by their value ("2" before "10").
  std::sort(names.begin(), names.end(), naturalNameLess);
  for (const QString& name : names) {
    if (name.startsWith(QLatin1Char('.')) || QFileInfo(name).suffix().isEmpty()) continue;
    const QString path = dir.filePath(name);
    // A named pipe or a device would block the reader or never end: only files are looked at.
    if (!isRegularFile(path)) continue;
    // Only the header is read: canRead() looks at the format, not at the pixels.
    QImageReader reader(path);
    if (reader.canRead()) pictures << path;
  }
  return pictures;
}

int nextPictureRow(int row, int count) {
  if (count <= 0) return -1;
  // Compared unsigned: no row (-1) and any row past the end both go to the first.
  return static_cast<unsigned>(row + 1) > static_cast<unsigned>(count - 1) ? 0 : row + 1;
}

int previousPictureRow(int row, int count) {
  if (count <= 0) return -1;
  return row - 1 < 0 || row - 1 >= count ? count - 1 : row - 1;
}

bool FolderHistory::add(const QString& folder) {
  if (folders_.contains(folder)) return false;
  folders_ << folder;
  return true;
}

QString FolderHistory::after(const QString& folder) const {
  const qsizetype i = folders_.indexOf(folder);
  if (i < 0) return {};
  return folders_[(i + 1) % folders_.size()];
}

QString FolderHistory::before(const QString& folder) const {
  const qsizetype i = folders_.indexOf(folder);
  if (i < 0) return {};
  return folders_[(i - 1 + folders_.size()) % folders_.size()];
}

QString pictureFolderPath() { return QDir::homePath() + QStringLiteral("/Documents/PravellaImage"); }

QString NoImageFilePath() { return paths::resource(QStringLiteral("noImage.jpg")); }

}  // namespace pravella
