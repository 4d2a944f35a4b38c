#pragma once
// What the dictionary window remembers: the bodies shown (back, forward and a menu of them)
// and the words searched (the combo box's list), and the two texts that name a body outside
// the window: a link target and the drag text of a headword.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pravella::edic {

// A body: the book's title, the headword it was reached by, and its text position.
struct BodyEntry {
  std::string title;
  QString headword;
  int64_t page = 0;
  int64_t offset = 0;
  bool operator==(const BodyEntry&) const = default;
};

class DictionaryHistory {
 public:
  // Appends the body after the current entry (newer entries are dropped first) and makes it
  // current, unless the current entry shows the same body of the same book. True when added.
  bool add(const BodyEntry& entry);
  // One step back or forward: the entry to show, or nothing at either end.
  std::optional<BodyEntry> back();
  std::optional<BodyEntry> forward();
  // An entry chosen from the menu (index from 0, oldest first); the position does not move.
  std::optional<BodyEntry> at(int index) const;
  void clear();

  // The menu's items: (headword, entry index), newest first.
  std::vector<std::pair<QString, int>> menu() const;
  int position() const { return position_; }  // from 1; 0 for none
  int size() const { return static_cast<int>(entries_.size()); }
  bool canGoBack() const { return position_ > 1; }
  bool canGoForward() const { return position_ < size(); }

 private:
  std::vector<BodyEntry> entries_;
  int position_ = 0;
};

// Earlier search words, newest first, each once.
class SearchWordList {
 public:
  void record(const QString& word);
  const QStringList& words() const { return words_; }
  // How many the combo box shows at once: the count, up to 10.
  int visibleCount() const { return visible_; }

 private:
  QStringList words_;
  int visible_ = 0;
};

// A link target "title:headword:page:offset" or "title:page:offset" (the headword is then
// "*****"). A headword holding ":" keeps it: the first field is the title, the last two the
// position. Nothing for fewer than three fields.
std::optional<BodyEntry> parseLinkTarget(const QString& target);
QString linkTarget(const BodyEntry& entry);
// "eDicSearchData:" + title, headword without its line end, page and offset joined by ":".
QString dragText(const BodyEntry& entry);

}  // namespace pravella::edic
