#pragma once
// Which attachment of a rich text document a double click at a position hit.

#include <QString>

class QTextDocument;

namespace pravella {

// The file name (inside the document's package) of the attachment at `position` or just before
// it, where a click lands; "" when there is none there or its name is not a plain file name.
QString attachmentFileNameAt(const QTextDocument& doc, int position);

}  // namespace pravella
