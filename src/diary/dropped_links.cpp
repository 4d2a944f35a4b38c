#include "diary/dropped_links.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace pravella {

int linkDroppedFiles(const QString& folder, const QStringList& paths) {
  int made = 0;
  for (QString path : paths) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty()) continue;
    const QString target = folder + QLatin1Char('/') + name;
    // symlink() itself refuses an existing name, dangling links included.
    if (::symlink(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) == 0) ++made;
  }
  return made;
}

}  // namespace pravella
