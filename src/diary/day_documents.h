#pragma once
// The file side of a day's documents, without any window: how a memo is named, how names
// typed by the user become file names, where a symbolic link leads, and how a document goes
// to the Trash.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace pravella {

// What the file manager calls the extension: the text after the last full stop, when that stop
// is not the first character ("notes" and ".profile" have none).
QString fileExtension(const QString& name);
// The name without its extension (and without the full stop before it).
QString withoutExtension(const QString& name);
// The name a list shows: an rtfd package without its ".rtfd", any other name in full.
QString documentDisplayName(const QString& name);

// The file system takes at most this many bytes in one name.
inline constexpr int kLongestFileName = 255;
// `stem` + `tail` as one file name of at most `maxBytes` bytes in UTF-8: the stem is cut at a
// character's end (never inside one, nor between the halves of a surrogate pair); the tail
// (a number, an extension) stays whole.
QString fitFileName(const QString& stem, const QString& tail, int maxBytes = kLongestFileName);

// The name field's cleaning: "/" becomes "_" and ":" becomes ";". A leading full stop would
// hide the document from every day list for good, so each leading "." becomes "_" as well.
QString cleanDocumentName(QString name);

// The name of a new memo saved without a typed name: its first line when that is 1 to 50
// characters long ("■ " alone gives an empty name: the user is asked), otherwise the time of
// the save as "%4d%02d%02d-%02d%02d%02d".
QString nameForNewMemo(const QString& firstLine, const QDateTime& now);

// The new name when a row of the day list is renamed: a typed name ending in ".rtfd" stays;
// otherwise an rtfd package keeps being one (last path component of the typed text + ".rtfd");
// any other file takes the typed text as it is.
QString tableRenameTarget(const QString& oldName, const QString& typed);
// The new name when the name field renames the shown document `oldName` to the typed `name`
// (its last path component): the document keeps its kind and extension. A typed name that
// ends in it stays; a typed "rtf" or "rtfd" is taken for the document's own of the two (a
// plain file named ".rtfd" could never be saved again); any other name gets the extension
// appended. A document without an extension takes the name as it is.
QString fieldRenameTarget(const QString& oldName, const QString& name);

// Where a symbolic link finally leads: relative targets are taken against the folder of the
// link that holds them, and a chain of links is followed for at most `maxHops` links. A path
// that is no link comes back as it is; nullopt for a chain that loops or is too long.
std::optional<QString> resolveSymbolicLink(const QString& path, int maxHops = 32);

// Renames the entry at the bytes `from` to the bytes `to`, never over an entry that is there
// (a dangling link included). False, with errno set, when it did not move.
bool renameWithoutReplacing(const QByteArray& from, const QByteArray& to);

struct TrashResult {
  bool ok = false;
  QString trashedPath;  // where the file now is (files/ of the Trash)
  QString error;        // a sentence for the user when !ok
};

// Moves one file or folder into the freedesktop Trash (paths::trash(): files/ and info/). A name
// taken there becomes "name.%03d.ext" (counter from 1; notes -> "notes.001."), and the info/
// entry ".trashinfo" records where it came from and when. A path that does not exist is not
// moved (ok, with an empty trashedPath). On failure nothing has moved and no entry is left.
TrashResult moveToTrash(const QString& path, const QDateTime& when = QDateTime::currentDateTime());

}  // namespace pravella
