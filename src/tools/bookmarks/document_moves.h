#pragma once
// A document, or a folder of documents, moved or got a new name (in the day's list, the
// finder's name field, the finder's marked items): the bookmark and launcher stores follow it.
// Told after the move, so that a move that failed changes nothing.

#include <QString>

namespace pravella {

// Its strings are the old and the new absolute path.
inline constexpr char kDocumentMovedNotification[] = "renameBookMarkPathName";

void tellDocumentMoved(const QString& oldPath, const QString& newPath);

}  // namespace pravella
