#pragma once
// The finder sheet's history of shown items and its list of marked items: plain lists in
// memory, empty at start and gone at quit, kept apart from the sheet so their rules can be
// checked without a window.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace pravella {

class FinderHistory {
 public:
  // A shown file goes to the end; one already listed moves there, unless it is the current one.
  void add(const QString& path);
  // Removes the first entry equal to `path` (deleteRirekiFile).
  void remove(const QString& path);
  // Removes the first entry that is a folder by `isFolder` (checkRirekiFile).
  void removeFirstFolder(const std::function<bool(const QString&)>& isFolder);
  // One step forward or back, stopping at the ends; nullopt when the list is empty.
  std::optional<QString> next();
  std::optional<QString> before();

  struct Buttons {
    bool back = true;
    bool forward = true;
  };
  // Which history buttons are enabled (adjustRireki): with the only entry left while the
  // browser shows a folder, both lead back to that entry.
  Buttons buttons(bool browserShowsFolder) const;

  const QStringList& entries() const { return rireki_; }
  int current() const { return nowRireki_; }

 private:
  void removeAt(qsizetype index);

  QStringList rireki_;
  int nowRireki_ = -1;
};

// Marked items in marking order; a path may be marked twice.
class FinderMarks {
 public:
  void add(const QString& path) { marks_.append(path); }
  // Removes the first equal entry; false when the path was not marked.
  bool remove(const QString& path) { return marks_.removeOne(path); }
  bool contains(const QString& path) const { return marks_.contains(path); }
  // The item at `path` left (to the Trash, or moved as a marked item): every entry that is it
  // or lies inside it goes. False when none did.
  bool forget(const QString& path);
  // The item at `oldPath` now lies at `newPath`: entries of it and of what lies inside it
  // follow, so a mark stays on its item.
  void follow(const QString& oldPath, const QString& newPath);
  void clear() { marks_.clear(); }
  bool isEmpty() const { return marks_.isEmpty(); }
  qsizetype size() const { return marks_.size(); }
  const QStringList& entries() const { return marks_; }

 private:
  QStringList marks_;
};

}  // namespace pravella
