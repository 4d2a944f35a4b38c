#pragma once
// The launcher's items: files, folders, programs and web shortcuts, each filed under one of 20
// categories. One path may be filed under several categories; the pair (path, category) is the
// item. The store keeps them in the order they were added; a category's view lists its items
// newest first. Kept in Preferences as two index-aligned string arrays, Launcher1.dat (paths)
// and Launcher2.dat (categories as decimal text), with the category titles beside them.

#include <QString>
#include <QStringList>

#include <utility>

#include "platform/atomic_file.h"

namespace pravella::launcher {

inline constexpr int kCategories = 20;

struct Item {
  QString path;
  QString category;  // as stored: decimal text
};

QString pathsFile();     // Preferences/Launcher1.dat
QString categoriesFile();  // Preferences/Launcher2.dat
QString titlesFile();    // Preferences/LauncherCategoryTitle.dat
QString memoFolder();    // Preferences/launcherMemo
// The memo of an item: its file name and category, so that items of one file name in one
// category share it: "<file name>.%02d.rtfd".
QString memoFileFor(const QString& path, int category);

class LauncherStore {
 public:
  // Reads both lists. The items are Launcher1.dat's paths; a category missing from a shorter
  // Launcher2.dat reads "0". Missing files: an empty store.
  void load();
  WriteResult save() const;

  // The titles file's entries, empty when it is missing or unreadable.
  static QStringList loadTitles();
  static WriteResult saveTitles(const QStringList& titles);

  int size() const { return static_cast<int>(paths_.size()); }
  Item at(int index) const { return {paths_.at(index), categories_.at(index)}; }

  // The items of `category` (their category read as a number), newest first.
  QList<Item> view(int category) const;

  // Files `path` under `category` unless that item is there already (also from earlier in
  // the same drop): true when it was added.
  bool add(const QString& path, int category);

  // Moves the item `source` to the place of `target` (both found by path and category as a
  // number), shifting those between. False when either is missing.
  bool reorder(const Item& source, const Item& target);

  enum class Move { Moved, AlreadyThere, Missing };
  // Refiles the item under `category`; refused when that category holds its path already
  // (its own category included).
  Move moveToCategory(const Item& item, int category);

  // Removes the first item whose path and category text are those given.
  bool remove(const Item& item);

  // A file or folder moved from `oldPath` to `newPath`: the items of it, or of anything inside
  // it, follow. The items as they were before, each with its new path.
  QList<std::pair<Item, QString>> renamePath(const QString& oldPath, const QString& newPath);

  // Whether any item shares the memo of `path` in `category` (same file name and category).
  bool memoInUse(const QString& path, int category) const;

 private:
  int indexOf(const Item& item) const;  // category compared as a number
  bool holds(const QString& path, int category) const;

  QStringList paths_;
  QStringList categories_;
};

// What opening an item hands to the desktop: a web shortcut (".url", exactly, holding "URL=")
// opens its address, anything else the file itself.
QString launchTargetFor(const QString& path);

// The text a dragged item leaves in a memo: " [LNC:<category>:<file name>] ".
QString dragTextFor(const Item& item);

}  // namespace pravella::launcher
