#pragma once
// Texts for a Palm handheld: PalmDOC databases (type "TEXt", creator "REAd", uncompressed
// 4,096-byte records) with an index of the text's heading lines in front, and the numbered
// schedule and memo texts its desktop software imports. Pure functions; the desk tool writes
// the results into the install folder the user chose.

#include <QByteArray>
#include <QDate>
#include <QString>

namespace pravella::palm {

// "#!Medoc index <h>\n", then "<line number>:<heading>\n" for each line that begins with one
// of the twelve heading marks (at most 501), then the text itself.
QString indexedText(const QString& text);

// The text as the database holds it: Shift-JIS (what it cannot hold becomes "?"), carriage
// returns as line feeds, cut at a NUL byte.
QByteArray textBytes(const QString& text);

// The whole database file. `databaseName` is cut to 31 bytes at a whole character.
QByteArray palmDocFile(const QByteArray& databaseName, const QByteArray& text);

// The Shift-JIS bytes of a name when it converts without loss, else empty.
QByteArray shiftJisName(const QString& name);

// A file name for the install folder made from user text, or empty when none can be: "/" and
// NUL become "_", and "." or ".." alone is no name.
QString safeFileName(const QString& name);

// The schedule record for `day`: "[start]", the first line as description, the date, the whole
// text as comment; "\r" ends each part.
QString scheduleText(const QString& document, const QDate& day);

// The first of "<prefix>000.txt" ... "<prefix>999.txt" not in `folder`, or empty when all are.
QString firstFreeNumberedName(const QString& folder, const QString& prefix);

}  // namespace pravella::palm
