#include "net/edic/dictionary_history.h"

namespace pravella::edic {

bool DictionaryHistory::add(const BodyEntry& entry) {
  if (position_ > 0) {
    const BodyEntry& current = entries_[static_cast<std::size_t>(position_ - 1)];
    // The headword is not compared: another headword of the same body is the same body.
    if (current.page == entry.page && current.offset == entry.offset && current.title == entry.title)
      return false;
  }
  entries_.resize(static_cast<std::size_t>(position_));
  entries_.push_back(entry);
  ++position_;
  return true;
}

std::optional<BodyEntry> DictionaryHistory::back() {
  if (position_ - 1 < 1) return std::nullopt;
  --position_;
  return entries_[static_cast<std::size_t>(position_ - 1)];
}

std::optional<BodyEntry> DictionaryHistory::forward() {
  if (position_ + 1 > size()) return std::nullopt;
  ++position_;
  return entries_[static_cast<std::size_t>(position_ - 1)];
}

std::optional<BodyEntry> DictionaryHistory::at(int index) const {
  if (index < 0 || index >= size()) return std::nullopt;
  return entries_[static_cast<std::size_t>(index)];
}

void DictionaryHistory::clear() {
  entries_.clear();
  position_ = 0;
}

std::vector<std::pair<QString, int>> DictionaryHistory::menu() const {
  std::vector<std::pair<QString, int>> items;
  for (int i = size() - 1; i >= 0; --i) items.push_back({entries_[static_cast<std::size_t>(i)].headword, i});
  return items;
}

void SearchWordList::record(const QString& word) {
  if (!words_.contains(word)) words_.prepend(word);
  if (words_.size() <= 10) visible_ = static_cast<int>(words_.size());
}

std::optional<BodyEntry> parseLinkTarget(const QString& target) {
  const QStringList fields = target.split(':');
  if (fields.size() < 3) return std::nullopt;
  BodyEntry entry;
  entry.title = fields.front().toStdString();
  entry.page = fields[fields.size() - 2].toLongLong();
  entry.offset = fields.back().toLongLong();
  entry.headword = fields.size() == 3 ? QStringLiteral("*****") : fields.mid(1, fields.size() - 3).join(':');
  return entry;
}

QString linkTarget(const BodyEntry& entry) {
  return QString::fromStdString(entry.title) + ":" + entry.headword + ":" + QString::number(entry.page) +
         ":" + QString::number(entry.offset);
}

QString dragText(const BodyEntry& entry) {
  QString headword = entry.headword;
  if (headword.endsWith('\n')) headword.chop(1);
  return "eDicSearchData:" + QString::fromStdString(entry.title) + ":" + headword + ":" +
         QString::number(entry.page) + ":" + QString::number(entry.offset);
}

}  // namespace pravella::edic
