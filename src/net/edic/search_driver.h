#pragma once
// The search the dictionary window runs on the chosen book: the entered text becomes a JIS
// X 0208 key, the book's indexes for the direction are searched one after another, their
// hits merged (at most 50,000) without repeating an entry, and each hit's heading read into a
// result row.

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace pravella::edic {

// Longest Shift-JIS text searched, in bytes.
inline constexpr int kMaxSearchTextBytes = 500;

struct SearchRow {
  std::string dic;     // the book's title
  QString midashi;     // the heading
  int64_t honbun = 0;  // the entry's text page
  int64_t offset = 0;  // and offset
  bool operator==(const SearchRow&) const = default;
};

enum class SearchDirection { Forward, Backward };

// The JIS key of Shift-JIS text: every ASCII letter, digit and sign becomes its full-width
// code (letters upper-cased) and every Shift-JIS pair its JIS code; other bytes are dropped.
std::string makeSearchKey(const QByteArray& shiftJis);

// Searches the book for the text (the word's beginning forward, its end backward) and
// appends one row per entry found. False when a heading could not be read: the rows read
// until then stay. An empty text, one longer than 500 Shift-JIS bytes, or a book that does
// not open adds nothing.
bool searchDictionaryBook(const std::string& book, const QString& text, SearchDirection direction,
                          std::vector<SearchRow>& rows);

}  // namespace pravella::edic
