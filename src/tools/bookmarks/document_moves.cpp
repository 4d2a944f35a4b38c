#include "tools/bookmarks/document_moves.h"

#include "platform/notification_center.h"

namespace pravella {

void tellDocumentMoved(const QString& oldPath, const QString& newPath) {
  NotificationCenter::defaultCenter().post(QString::fromLatin1(kDocumentMovedNotification), QString(),
                                           {oldPath, newPath});
}

}  // namespace pravella
