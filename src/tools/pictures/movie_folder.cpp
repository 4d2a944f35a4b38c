#include "tools/pictures/movie_folder.h"

#include <QDir>
#include <QFileInfo>

namespace pravella {

QStringList listMovieFiles(const QString& folder) {
  QStringList movies;
  const QDir dir(folder);
  if (folder.isEmpty() || !dir.exists()) return movies;
  // By name, so that stepping through a folder goes the same way every time.
  const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names) {
    if (name.startsWith(u'.') || QFileInfo(name).suffix().isEmpty()) continue;
    movies << dir.filePath(name);
  }
  return movies;
}

}  // namespace pravella
