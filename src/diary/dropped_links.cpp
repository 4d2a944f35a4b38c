#include "diary/dropped_links.h"

#include <QFileInfo>

#include "diary/document_companions.h"

namespace pravella {

DroppedLinks linkDroppedFiles(const QString& folder, const QStringList& paths) {
  DroppedLinks links;
  for (QString path : paths) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty()) continue;
    const QString target = folder + QLatin1Char('/') + name;
    // A name the day holds already stays as it is, as it always has, without a word.
    if (QFileInfo(target).exists() || QFileInfo(target).isSymLink()) continue;
    const DocumentMove linked = linkDocumentWithCompanions(path, target);
    if (linked.ok)
      ++links.made;
    else if (QFileInfo(folder).isDir() && !QFileInfo(target).isSymLink())
      links.refused << linked.error;
  }
  return links;
}

}  // namespace pravella
