#pragma once
// The manual documents: rich text files (".rtf" or ".rtfd") in six category folders under
// Documents/diary/Manual, a list filtered by text they contain, a history per category, and the
// type-ahead that finds a title by its first letters.

#include <QString>
#include <QStringList>
#include <QTextDocument>

#include <functional>

#include "platform/atomic_file.h"

namespace pravella::manual {

inline constexpr int kCategories = 6;
inline constexpr int kFunctionCategory = 2;     // the language's functions
inline constexpr int kCalFunctionCategory = 5;  // the cal_ commands; titles begin "cal_"

QString manualFolder();               // ~/Documents/diary/Manual
QString categoryFolder(int category);  // one of the six; empty for another number
QString instructionDocument();        // shipped: how to make the folders

bool isManualDocument(const QString& fileName);  // extension exactly "rtf" or "rtfd"
QString titleOf(const QString& fileName);        // the name without its extension

// Whether the document's text holds `filter`, both case-folded; an unreadable document never
// matches.
bool documentContains(const QString& path, const QString& filter);

// The documents of a folder in name order (file names with extensions), only those holding
// `filter` when it is not empty. `progress(index, last)` follows the folder's items.
QStringList listDocuments(const QString& folder, const QString& filter = {},
                          const std::function<void(int, int)>& progress = {});

// Writes a document back in its own format: RTF for ".rtf", an RTFD folder otherwise.
WriteResult saveDocument(const QString& path, const QTextDocument& doc);

// The row of the first title whose lower-case form begins with the typed letters (in lower
// case, after "cal_" in the cal_ category); -1 when none does.
int findTitle(const QStringList& fileNames, const QString& typed, int category);

// The row to scroll to so that context shows around a found row.
int scrollTarget(int row, int previousRow, int rowCount);

// The history of one category: full paths of documents shown, oldest first.
class History {
 public:
  // The current entry again changes nothing; an entry elsewhere moves to the end.
  void add(const QString& path);
  // One step, held within the list; the path then current (empty with an empty list).
  QString back();
  QString forward();
  const QStringList& entries() const { return entries_; }
  int current() const { return current_; }
  bool canGoBack() const { return current_ >= 1; }
  bool canGoForward() const { return current_ >= 0 && current_ < entries_.size() - 1; }

 private:
  QString step(int delta);
  QStringList entries_;
  int current_ = -1;
};

// The letters typed into the list: a key more than a second after the last one starts anew.
class KeyFindString {
 public:
  static constexpr qint64 kPauseMs = 1000;  // 60 ticks
  // The letters so far after this key, typed at `nowMs`.
  QString type(QChar c, qint64 nowMs);
  void clear() { text_.clear(); }
  // A key other than a letter also counts as the last key.
  void touch(qint64 nowMs);
  const QString& text() const { return text_; }

 private:
  QString text_;
  qint64 last_ = 0;
  bool started_ = false;
};

}  // namespace pravella::manual
