#include "tools/bookmarks/launcher_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include "platform/paths.h"
#include "platform/property_list.h"

namespace pravella::launcher {

QString pathsFile() { return paths::preferences() + QStringLiteral("/Launcher1.dat"); }
QString categoriesFile() { return paths::preferences() + QStringLiteral("/Launcher2.dat"); }
QString titlesFile() { return paths::preferences() + QStringLiteral("/LauncherCategoryTitle.dat"); }
QString memoFolder() { return paths::preferences() + QStringLiteral("/launcherMemo"); }

QString memoFileFor(const QString& path, int category) {
  return memoFolder() + u'/' + QFileInfo(path).fileName() + QStringLiteral(".%1.rtfd").arg(category, 2, 10, QChar(u'0'));
}

void LauncherStore::load() {
  paths_ = plist::readStringArray(pathsFile()).value_or(QStringList());
  categories_ = plist::readStringArray(categoriesFile()).value_or(QStringList());
  // Lists of unequal length: the paths decide, and nothing reads past either list.
  while (categories_.size() < paths_.size()) categories_.append(QStringLiteral("0"));
  categories_ = categories_.mid(0, paths_.size());
}

WriteResult LauncherStore::save() const {
  QDir().mkpath(paths::preferences());
  if (WriteResult r = plist::writeStringArray(pathsFile(), paths_); !r) return r;
  return plist::writeStringArray(categoriesFile(), categories_);
}

QStringList LauncherStore::loadTitles() { return plist::readStringArray(titlesFile()).value_or(QStringList()); }

WriteResult LauncherStore::saveTitles(const QStringList& titles) {
  QDir().mkpath(paths::preferences());
  return plist::writeStringArray(titlesFile(), titles);
}

QList<Item> LauncherStore::view(int category) const {
  QList<Item> items;
  for (int i = size() - 1; i >= 0; --i)
    if (categories_.at(i).toInt() == category) items.append(at(i));
  return items;
}

bool LauncherStore::add(const QString& path, int category) {
  const QString text = QString::number(category);
  for (int i = 0; i < size(); ++i)
    if (paths_.at(i) == path && categories_.at(i) == text) return false;
  paths_.append(path);
  categories_.append(text);
  return true;
}

int LauncherStore::indexOf(const Item& item) const {
  const int category = item.category.toInt();
  for (int i = 0; i < size(); ++i)
    if (paths_.at(i) == item.path && categories_.at(i).toInt() == category) return i;
  return -1;
}

bool LauncherStore::holds(const QString& path, int category) const { return indexOf({path, QString::number(category)}) >= 0; }

bool LauncherStore::reorder(const Item& source, const Item& target) {
  const int src = indexOf(source), dst = indexOf(target);
  if (src < 0 || dst < 0) return false;
  if (dst > src) {
    for (int k = src + 1; k <= dst; ++k) {
      paths_.swapItemsAt(k - 1, k);
      categories_.swapItemsAt(k - 1, k);
    }
  } else {
    for (int k = src - 1; k >= dst; --k) {
      paths_.swapItemsAt(k, k + 1);
      categories_.swapItemsAt(k, k + 1);
    }
  }
  return true;
}

LauncherStore::Move LauncherStore::moveToCategory(const Item& item, int category) {
  const int j = indexOf(item);
  if (j < 0) return Move::Missing;
  if (holds(item.path, category)) return Move::AlreadyThere;
  categories_[j] = QString::number(category);
  return Move::Moved;
}

bool LauncherStore::remove(const Item& item) {
  for (int i = 0; i < size(); ++i)
    if (paths_.at(i) == item.path && categories_.at(i) == item.category) {
      paths_.removeAt(i);
      categories_.removeAt(i);
      return true;
    }
  return false;
}

QList<std::pair<Item, QString>> LauncherStore::renamePath(const QString& oldPath, const QString& newPath) {
  QList<std::pair<Item, QString>> renamed;
  for (int i = 0; i < size(); ++i) {
    const QString& path = paths_.at(i);
    if (path != oldPath && !path.startsWith(oldPath + u'/')) continue;
    renamed.append({at(i), newPath + path.mid(oldPath.size())});
    paths_[i] = renamed.last().second;
  }
  return renamed;
}

bool LauncherStore::memoInUse(const QString& path, int category) const {
  const QString name = QFileInfo(path).fileName();
  for (int i = 0; i < size(); ++i)
    if (categories_.at(i).toInt() == category && QFileInfo(paths_.at(i)).fileName() == name) return true;
  return false;
}

QString launchTargetFor(const QString& path) {
  if (QFileInfo(path).suffix() != QLatin1String("url")) return path;
  QFile file(path);
  // A shortcut is a few lines; anything larger or unreadable opens as a file.
  if (!file.open(QIODevice::ReadOnly) || file.size() > 1 << 20) return path;
  const QString text = QString::fromUtf8(file.readAll());
  const qsizetype at = text.indexOf(QLatin1String("URL="));
  if (at < 0 || at >= text.size() - 4) return path;
  QString url = text.mid(at + 4);
  const qsizetype end = url.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
  if (end >= 0) url.truncate(end);
  return url.isEmpty() ? path : url;
}

QString dragTextFor(const Item& item) {
  return QStringLiteral(" [LNC:%1:%2] ").arg(item.category, QFileInfo(item.path).fileName());
}

}  // namespace pravella::launcher
