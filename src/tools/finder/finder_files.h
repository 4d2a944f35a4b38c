#pragma once
// The rules of the finder sheet that need no window: which preview a file gets, the
// hexadecimal dump, the character codes of plain-text previews, the names a rename may not
// touch, the name of a new document, the folders of the sheet's buttons and the date stamps.

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace pravella::finder {

enum class PreviewKind { Rtfd, Rtf, Picture, Movie, PlainText, Folder, Other };

// The first kind that fits, in the sheet's order. `typeCode` is the file's four-character
// type code ("" for none).
PreviewKind previewKindOf(const QString& path, const QByteArray& typeCode);

// The four-character type code kept with the file, "" when it has none.
QByteArray typeCodeOf(const QString& path);

// At most this many bytes are dumped.
inline constexpr int kDumpLimit = 2048;
// Lines of "%04X\t" and sixteen "%02X" bytes separated by tabs; the line under way is always
// written, so a dump ending on a multiple of 16 ends with an offset and its tab.
QString hexDump(const QByteArray& bytes);

// A file larger than this is not decoded again when the character code changes.
inline constexpr qint64 kTextSizeLimit = 102400;
// True when the path names a regular file (links followed) of at most kTextSizeLimit bytes.
bool checkTextFileSize(const QString& path);

// The shown text when a file does not decode (the sheet's own words).
inline constexpr const char* kCouldNotDecode = "< Could not encord this file ! >";
// Character codes by the switch's tag: 0 UTF-8, 1 EUC-JP, 2 Shift-JIS, 3 ISO-2022-JP, any
// other tag UTF-8.
const char* encodingOfCharCode(int tag);
// Decodes strictly; a failure gives kCouldNotDecode.
QString decodeForPreview(const QByteArray& bytes, int charCodeTag);

// The folders that the finder never renames, moves to the Trash or deletes: "/", the home
// folder, the diary and every folder that holds it, the diary's Preferences and vkPreferences
// and its year and month folders, the standard folders of the home (the eight classic names,
// the desktop and the other XDG folders where the user's settings put them). Compared without
// regard to case, and also where the path leads when it is no link itself.
bool isProtectedFolder(const QString& path);

// The first of untitled.rtfd, untitled.001.rtfd, untitled.002.rtfd ... that does not exist in
// `folder`: a new document never replaces one.
QString newDocumentPath(const QString& folder);

// The folder a button without a script shows: tag 0 the mounted volumes (/media/$USER, else
// "/"), 1 the home folder, 2 Documents, 3 Pictures, 4 the diary, any other the home folder.
QString folderOfButton(int tag);

// "~" and "~/..." under the home folder; any other text unchanged.
QString expandTilde(const QString& path);

// " [yyyy/mm/dd] " or " [yyyy/mm/dd hh:mm:ss] ".
QString dateStamp(const QDateTime& when, bool withTime);

}  // namespace pravella::finder
