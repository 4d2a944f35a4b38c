#pragma once
// Attachments (pictures and attached files) travelling with a memo's copied text. Qt's HTML copy
// names a picture only by the resource URL of the document it came from, so pasted into another
// document it would show nothing and be left out when that document is saved.

#include <QString>

class QMimeData;
class QTextCursor;
class QTextDocument;

namespace pravella {

// Adds the attachments of the range [start, end) of `doc` to `mime`.
void addCopiedAttachments(const QTextDocument& doc, int start, int end, QMimeData& mime);

// Inserts `source` at `cursor` as one edit, with its attachments added to the cursor's document
// under fresh names. False (nothing done) when `source` carries no attachments.
bool insertWithCopiedAttachments(QTextCursor& cursor, const QMimeData& source);

}  // namespace pravella
