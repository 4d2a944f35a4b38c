#include "platform/free_names.h"

#include <QDir>
#include <QFileInfo>

namespace pravella {

bool nothingAt(const QString& path) {
  const QFileInfo info(path);
  return !info.exists() && !info.isSymLink();
}

QString freePathIn(const QString& folder, const QString& name,
                   const std::function<bool(const QString& path)>& alsoFree) {
  const QDir dir(folder);
  const auto free = [&](const QString& path) { return nothingAt(path) && (!alsoFree || alsoFree(path)); };
  QString path = dir.filePath(name);
  if (free(path)) return path;
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot > 0 ? name.left(dot) : name;
  const QString ext = dot > 0 ? name.mid(dot) : QString();
  for (int n = 2;; ++n) {
    path = dir.filePath(stem + QLatin1Char('-') + QString::number(n) + ext);
    if (free(path)) return path;
  }
}

}  // namespace pravella
