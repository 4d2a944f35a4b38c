#pragma once
// Rich text documents on disk: a .rtf file, or an RTFD document, which is a folder holding
// TXT.rtf and its attachment files. Reading takes either (as a memo view reads any rich text
// document); writing is atomic, an RTFD through a temporary folder that is renamed into place.

#include <QString>
#include <QTextDocument>

#include "platform/atomic_file.h"

namespace pravella {

// The text file inside an RTFD folder.
inline constexpr const char* kRtfdTextName = "TXT.rtf";

// Anything larger than this is no text document; reading it whole would only waste memory.
inline constexpr qint64 kMaxRichTextBytes = qint64{1} << 30;

// Whether `path` names an RTFD document by its extension: a folder the user sees and chooses
// as one file, never opened as a folder.
bool isRtfdPackageName(const QString& path);

// Reads the RTF file or RTFD folder at `path` into `doc` (its old content is replaced). False
// when nothing there reads as rich text; the document is then empty. A truncated file gives
// what could be read (true); a missing attachment is left out with a console line.
bool readRichTextFile(const QString& path, QTextDocument& doc);

// Writes `doc` as an RTFD folder at `path`, replacing what is there only when the whole new
// document has been written.
WriteResult writeRtfdFile(const QString& path, const QTextDocument& doc);

// Writes `doc` as a single RTF file, pictures embedded.
WriteResult writeRtfFile(const QString& path, const QTextDocument& doc);

// The plain text of a rich text document, paragraphs separated by "\n"; attachments stay as
// U+FFFC. *ok (when given) says whether the file read as rich text.
QString plainTextOfRichTextFile(const QString& path, bool* ok = nullptr);

// The plain text of a document in the same form.
QString plainTextOf(const QTextDocument& doc);

// `text` (a selection or a document's raw text) with its paragraph and line separators as "\n".
QString withLineFeeds(QString text);

}  // namespace pravella
