#pragma once
// The user's own plain-text dictionaries: index files ("*.TAG") one level under
// Documents/diary/Dictionary whose lines point into body text files. Both are Shift-JIS. An index
// line reads: body file name "(" line number ")" any text "#" word [" " more text]. A body entry
// is its line together with the lines right after it that begin with a space.
//
// Index and body files come from outside: a body name that is absolute or climbs out of the
// index's folder is ignored, and a line number past the end gives an empty entry.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace pravella::textdic {

inline constexpr int kMaxHits = 500;
inline constexpr const char* kTooManyItems = "There are too many Items!";

QString dictionaryFolder();  // ~/Documents/diary/Dictionary

// Every file with the extension exactly "TAG" in the sub-folders of `root` (not in `root` itself
// nor deeper), sub-folders and files in name order.
QStringList findDictionaryFiles(const QString& root = dictionaryFolder());

// The 62 ASCII digits and letters become their full-width forms; line feeds are dropped.
QString han2zen(const QString& word);

// The line around `pos`: [start, end) between line feeds or carriage returns.
struct LineRange {
  qsizetype start = 0;
  qsizetype end = 0;
};
LineRange findLine(const QString& text, qsizetype pos);

struct Hit {
  QString path;        // full path of the body file
  QString dictionary;  // body file name without extension
  QString group;       // index file name without extension
  QString line;        // line number as the index writes it
  QString word;        // the index word
};

// One index line of the index file `indexPath`; false for a line without the form or with an
// unsafe body name.
bool parseIndexLine(const QString& line, const QString& indexPath, Hit* hit);

struct SearchResult {
  QList<Hit> hits;  // at most kMaxHits + 1
  bool tooMany = false;
};

// Searches the index files in order for `word` (already through han2zen), letters compared
// without regard to case, at most one hit a line. `progress` gets each file's number from 1.
SearchResult search(const QStringList& indexFiles, const QString& word,
                    const std::function<void(int)>& progress = {});

// The entry at line `lineNumber` (from 1) of a body file, continuation lines joined; empty when
// the file cannot be read or the line is not there.
QString entryText(const QString& bodyPath, int lineNumber);

// The history entry of a hit: "%5d", a tab, the path; and back.
QString historyEntry(int lineNumber, const QString& path);
bool splitHistoryEntry(const QString& entry, int* lineNumber, QString* path);

// The hits shown, oldest first, and the current one.
class HitHistory {
 public:
  // Removes an equal entry, appends this one and makes it current.
  void add(const QString& entry);
  // One step back or forward, held within the list; the entry then current (empty if none).
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

// The words searched: an equal word moves to the end; listed newest first.
class WordList {
 public:
  void add(const QString& word);
  QStringList newestFirst() const;

 private:
  QStringList words_;
};

}  // namespace pravella::textdic
