#pragma once
// The link texts of memos, without any window: the bracket pair around a caret that a double
// click follows, and the bracketed link text that names a diary document.

#include <QDate>
#include <QString>
#include <optional>

namespace pravella {

// The drag type of a diary document dragged from the application's own lists: its full path
// (UTF-8), beside the bracketed link text as plain text.
inline constexpr const char* kBookmarkDragType = "MyCustomBookMarkFromDiaryPboardType";

// The "[" and "]" of a link on one line around `caret`: backwards from the caret (its own
// character included) to "[", stopping at a line end or "]"; forwards from the caret to "]",
// stopping at a line end or "[". A caret at the very end of the text finds nothing.
struct BracketPair {
  qsizetype open = -1;
  qsizetype close = -1;
  QString target(const QString& text) const { return text.mid(open + 1, close - open - 1); }
};
std::optional<BracketPair> bracketPairAround(const QString& text, qsizetype caret);

// The text that links a diary document: " [" + name + "] " for a document of `shownDay`,
// " [YYYY/MM/DD/name] " (the parts as they stand in the path) for one of another day. An rtfd
// package is named without its extension. Empty for a path that is no diary document.
QString diaryDocumentLinkText(const QString& path, const QDate& shownDay);

// The bracketed link text of a document of the diary dragged from the application's lists,
// named by its path below the diary folder: " [YYYY/MM/DD/name] ", an rtfd package without its
// extension. Empty for a path outside the diary folder.
QString diaryPathLinkText(const QString& path);

}  // namespace pravella
