#include "tools/bookmarks/document_moves.h"

#include "editors/open_documents.h"
#include "platform/notification_center.h"

namespace pravella {

void tellDocumentMoved(const QString& oldPath, const QString& newPath) {
  // Copies: a view that follows may be the one that holds the path given.
  const QString from = oldPath, to = newPath;
  OpenDocuments::instance().moved(from, to);
  NotificationCenter::defaultCenter().post(QString::fromLatin1(kDocumentMovedNotification), QString(), {from, to});
}

void tellDocumentTrashed(const QString& path) {
  const QString gone = path;
  OpenDocuments::instance().trashed(gone);
  NotificationCenter::defaultCenter().post(QString::fromLatin1(kDocumentTrashedNotification), gone);
}

}  // namespace pravella
