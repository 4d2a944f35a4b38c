#pragma once
// Windows that programs open (OpenGL plots, picture sub-windows, movies) are addressed later
// only by their title. Each family keeps one WindowList: (title, controller) pairs in the
// order they were added, searched by exact title. Two pairs may share a title; a search then
// finds the earlier one. Programs search from their worker thread while windows add and remove
// themselves on the GUI thread, so every operation holds the list's lock.
//
// `Controller` is a handle that compares by identity and is "none" when default-constructed:
// a pointer, std::shared_ptr or QPointer.

#include <QString>

#include <mutex>
#include <utility>
#include <vector>

namespace pravella {

template <class Controller>
class WindowList {
 public:
  // The controller of the first pair with this title; none when no pair has it.
  Controller find(const QString& title) const {
    std::lock_guard lock(mutex_);
    for (const auto& [t, c] : pairs_)
      if (t == title) return c;
    return Controller{};
  }

  // The controller of the first pair; none when the list is empty.
  Controller first() const {
    std::lock_guard lock(mutex_);
    return pairs_.empty() ? Controller{} : pairs_.front().second;
  }

  // The title of the first pair holding this very controller; an empty string when none does.
  QString titleOf(const Controller& controller) const {
    std::lock_guard lock(mutex_);
    for (const auto& [t, c] : pairs_)
      if (c == controller) return t;
    return {};
  }

  bool contains(const Controller& controller) const {
    std::lock_guard lock(mutex_);
    for (const auto& pair : pairs_)
      if (pair.second == controller) return true;
    return false;
  }

  void add(const QString& title, Controller controller) {
    std::lock_guard lock(mutex_);
    pairs_.emplace_back(title, std::move(controller));
  }

  // Removes the first pair with this title; the pairs behind it move up. Nothing when no pair
  // has the title.
  void remove(const QString& title) {
    std::lock_guard lock(mutex_);
    for (auto it = pairs_.begin(); it != pairs_.end(); ++it) {
      if (it->first == title) {
        pairs_.erase(it);
        return;
      }
    }
  }

  int size() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(pairs_.size());
  }

  void clear() {
    std::lock_guard lock(mutex_);
    pairs_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<QString, Controller>> pairs_;
};

}  // namespace pravella
