#include "tools/bookmarks/bookmark_store.h"

#include <QDir>
#include <QFileInfo>

#include "platform/paths.h"
#include "platform/property_list.h"

namespace pravella::bookmarks {

QString Bookmark::name() const { return QFileInfo(path).fileName(); }

std::optional<QDate> dayOfPath(const QString& path) {
  const QStringList parts = path.split(u'/');
  if (parts.size() < 4) return std::nullopt;
  const qsizetype n = parts.size();
  const QDate day(parts.at(n - 4).toInt(), parts.at(n - 3).toInt(), parts.at(n - 2).toInt());
  return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}

bool sameDocument(const QString& a, const QString& b) {
  if (QFileInfo(a).fileName() != QFileInfo(b).fileName()) return false;
  const auto da = dayOfPath(a), db = dayOfPath(b);
  return da && db && *da == *db;
}

QString bmFile(int n) { return paths::preferences() + QStringLiteral("/BM%1.dat").arg(n); }
QString titlesFile() { return paths::preferences() + QStringLiteral("/BMTitle.dat"); }
QString memoFile(int category) {
  return paths::preferences() + QStringLiteral("/bookMarkMemo%1.rtfd").arg(category, 2, 10, QChar(u'0'));
}

void BookmarkStore::load() {
  items_.clear();
  if (!QFileInfo::exists(bmFile(1))) return;
  const QStringList dates = plist::readStringArray(bmFile(1)).value_or(QStringList());
  const QStringList paths = plist::readStringArray(bmFile(2)).value_or(QStringList());
  const QStringList positions = plist::readStringArray(bmFile(3)).value_or(QStringList());
  const QStringList categories = plist::readStringArray(bmFile(4)).value_or(QStringList());
  for (int i = 0; i < paths.size(); ++i) {
    Bookmark b;
    b.path = paths.at(i);
    b.markDate = i < dates.size() ? dates.at(i) : QString();
    if (i < positions.size()) b.position = positions.at(i);
    if (i < categories.size()) b.category = categories.at(i);
    items_.append(b);
  }
}

WriteResult BookmarkStore::save() const {
  QStringList dates, paths, positions, categories;
  for (const Bookmark& b : items_) {
    dates << b.markDate;
    paths << b.path;
    positions << b.position;
    categories << b.category;
  }
  QDir().mkpath(paths::preferences());
  for (const auto& [n, list] : {std::pair{1, &dates}, {2, &paths}, {3, &positions}, {4, &categories}})
    if (WriteResult r = plist::writeStringArray(bmFile(n), *list); !r) return r;
  return WriteResult{true, {}};
}

QList<Bookmark> BookmarkStore::view(int category) const {
  QList<Bookmark> out;
  for (int i = size() - 1; i >= 0; --i)
    if (category == 0 || items_.at(i).category.toInt() == category) out.append(items_.at(i));
  return out;
}

bool BookmarkStore::add(const QString& path, const QString& position, int selectedCategory, const QDate& today) {
  const QString category = QString::number(selectedCategory == 0 ? kDefaultCategory : selectedCategory);
  const QString date = today.toString(QStringLiteral("yyyy/MM/dd"));
  for (Bookmark& b : items_)
    if (b.path == path) {
      b.markDate = date;
      b.position = position;
      b.category = category;
      return false;
    }
  items_.append({date, path, position, category});
  return true;
}

bool BookmarkStore::remove(const Bookmark& bookmark) {
  for (int i = 0; i < size(); ++i) {
    const Bookmark& b = items_.at(i);
    if (b.markDate == bookmark.markDate && b.name() == bookmark.name() && b.path == bookmark.path) {
      items_.removeAt(i);
      return true;
    }
  }
  return false;
}

bool BookmarkStore::move(const QString& sourcePath, const QString& targetPath) {
  int src = -1, dst = -1;
  for (int i = 0; i < size(); ++i) {
    if (src < 0 && items_.at(i).path == sourcePath) src = i;
    if (dst < 0 && items_.at(i).path == targetPath) dst = i;
  }
  if (src < 0 || dst < 0) return false;
  items_.move(src, dst);
  return true;
}

bool BookmarkStore::rename(const QString& oldPath, const QString& newPath) {
  for (Bookmark& b : items_)
    if (b.path == oldPath || sameDocument(b.path, oldPath)) {
      b.path = newPath;
      return true;
    }
  bool moved = false;
  for (Bookmark& b : items_)
    if (b.path.startsWith(oldPath + u'/')) {
      b.path = newPath + b.path.mid(oldPath.size());
      moved = true;
    }
  return moved;
}

int rowOf(const QList<Bookmark>& view, const QString& path) {
  for (int r = 0; r < view.size(); ++r)
    if (sameDocument(view.at(r).path, path)) return r;
  return -1;
}

QString dragText(const Bookmark& bookmark, const QDate& selectedDay) {
  QString name = bookmark.name();
  if (name.endsWith(QLatin1String(".rtfd"))) name.chop(5);
  const auto day = dayOfPath(bookmark.path);
  QString prefix;
  if (day && *day != selectedDay) {
    const QStringList parts = bookmark.path.split(u'/');
    const qsizetype n = parts.size();
    prefix = parts.at(n - 4) + u'/' + parts.at(n - 3) + u'/' + parts.at(n - 2) + u'/';
  }
  return QStringLiteral(" [") + prefix + name + QStringLiteral("] ");
}

}  // namespace pravella::bookmarks
