#pragma once
// A document, or a folder of documents, moved or got a new name (in the day's list, the
// finder's name field, the finder's marked items): every view that shows it, and the bookmark
// and launcher stores, follow it. Told after the move, so that a move that failed changes
// nothing.

#include <QString>

namespace pravella {

// Its strings are the old and the new absolute path.
inline constexpr char kDocumentMovedNotification[] = "renameBookMarkPathName";
// Its text is the absolute path that went to the Trash.
inline constexpr char kDocumentTrashedNotification[] = "documentTrashed";

void tellDocumentMoved(const QString& oldPath, const QString& newPath);

// A document, or a folder of documents, went to the Trash: every view that shows it keeps its
// text as an unsaved memo. Told after the move.
void tellDocumentTrashed(const QString& path);

}  // namespace pravella
