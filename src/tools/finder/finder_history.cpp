#include "tools/finder/finder_history.h"

#include <algorithm>

namespace pravella {

void FinderHistory::add(const QString& path) {
  const qsizetype at = rireki_.indexOf(path);
  if (at >= 0) {
    if (at == nowRireki_) return;
    removeAt(at);
  }
  rireki_.append(path);
  nowRireki_ = static_cast<int>(rireki_.size()) - 1;
}

void FinderHistory::removeAt(qsizetype index) {
  rireki_.removeAt(index);
  if (index < nowRireki_) --nowRireki_;
  nowRireki_ = std::min(nowRireki_, static_cast<int>(rireki_.size()) - 1);
}

void FinderHistory::remove(const QString& path) {
  const qsizetype at = rireki_.indexOf(path);
  if (at >= 0) removeAt(at);
}

void FinderHistory::removeFirstFolder(const std::function<bool(const QString&)>& isFolder) {
  const auto it = std::find_if(rireki_.cbegin(), rireki_.cend(), isFolder);
  if (it != rireki_.cend()) removeAt(it - rireki_.cbegin());
}

std::optional<QString> FinderHistory::next() {
  if (rireki_.isEmpty()) {
    nowRireki_ = -1;
    return std::nullopt;
  }
  nowRireki_ = std::min(nowRireki_ + 1, static_cast<int>(rireki_.size()) - 1);
  return rireki_.at(nowRireki_);
}

std::optional<QString> FinderHistory::before() {
  if (rireki_.isEmpty()) {
    nowRireki_ = -1;
    return std::nullopt;
  }
  nowRireki_ = std::max(nowRireki_ - 1, 0);
  return rireki_.at(nowRireki_);
}

FinderHistory::Buttons FinderHistory::buttons(bool browserShowsFolder) const {
  Buttons b;
  if (rireki_.size() == 1 && browserShowsFolder) return b;
  b.back = nowRireki_ >= 1;
  b.forward = nowRireki_ < static_cast<int>(rireki_.size()) - 1;
  return b;
}

namespace {

// `path` is `item` or lies inside it (by path, as the marks name items).
bool isWithin(const QString& path, const QString& item) {
  return path == item || (path.startsWith(item) && path.size() > item.size() && path.at(item.size()) == u'/');
}

}  // namespace

bool FinderMarks::forget(const QString& path) {
  return marks_.removeIf([&](const QString& mark) { return isWithin(mark, path); }) > 0;
}

void FinderMarks::follow(const QString& oldPath, const QString& newPath) {
  for (QString& mark : marks_)
    if (isWithin(mark, oldPath)) mark = newPath + mark.mid(oldPath.size());
}

}  // namespace pravella
