#pragma once
// Bookmarks of day documents: a document of the diary and a selection in it, marked on a day
// and filed under one of 20 categories (0 shows them all; a bookmark made there goes to 19).
// The store keeps them in the order made; a category's view lists them newest first. Kept in
// Preferences as four index-aligned string arrays: BM1.dat (mark dates "yyyy/MM/dd"), BM2.dat
// (paths), BM3.dat (selections "location length") and BM4.dat (categories).

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "platform/atomic_file.h"

namespace pravella::bookmarks {

inline constexpr int kCategories = 20;
inline constexpr int kDefaultCategory = 19;

struct Bookmark {
  QString markDate;
  QString path;
  QString position = QStringLiteral("0 0");
  QString category = QStringLiteral("19");
  QString name() const;
};

// The day of a day document, from the three folder names in front of its file name.
std::optional<QDate> dayOfPath(const QString& path);
// Same file name and same day (so 2008/3/5 and 2008/03/05 are one day).
bool sameDocument(const QString& a, const QString& b);

QString bmFile(int n);  // Preferences/BM<n>.dat
QString titlesFile();   // Preferences/BMTitle.dat
QString memoFile(int category);  // Preferences/bookMarkMemo%02d.rtfd

class BookmarkStore {
 public:
  // The paths decide how many bookmarks there are; a missing mark date reads "", a missing
  // position "0 0", a missing category "19"; what the other lists hold beyond is dropped.
  void load();
  WriteResult save() const;

  int size() const { return static_cast<int>(items_.size()); }
  const Bookmark& at(int i) const { return items_.at(i); }

  // Category 0 is every bookmark; newest first.
  QList<Bookmark> view(int category) const;

  // Marks `path` (compared whole) at `position` today: an existing bookmark of it keeps its
  // place and takes the new date, position and category. True when it was new.
  bool add(const QString& path, const QString& position, int selectedCategory, const QDate& today);
  // Removes the first bookmark with that mark date, name and path.
  bool remove(const Bookmark& bookmark);
  // The bookmark of `source`'s path moves to the place of `target`'s.
  bool move(const QString& sourcePath, const QString& targetPath);
  // A document got a new file name or place: its bookmark (the first of its path, or of the
  // same day document, see `sameDocument`) follows; a moved folder takes the bookmarks of the
  // documents inside along. False when none named it.
  bool rename(const QString& oldPath, const QString& newPath);

 private:
  QList<Bookmark> items_;
};

// The row of `path` in a view (same document, see above), or -1.
int rowOf(const QList<Bookmark>& view, const QString& path);

// A bookmark dragged into a memo: " [yyyy/MM/dd/name] ", or " [name] " for a document of
// `selectedDay`; a ".rtfd" extension is left out.
QString dragText(const Bookmark& bookmark, const QDate& selectedDay);

}  // namespace pravella::bookmarks
