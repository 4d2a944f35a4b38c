#include "net/web/web_menus.h"

#include <QFileInfo>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>

#include "net/web/web_sites.h"
#include "platform/property_list.h"

namespace pravella::web {

std::vector<SearchSiteItem> searchSiteMenu(const QString& plainText) {
  std::vector<SearchSiteItem> items{{SearchSiteItem::Kind::EditBookmark, QStringLiteral("EditBookmark")},
                                    {SearchSiteItem::Kind::Separator, {}}};
  for (const QString& line : plainText.split(QLatin1Char('\n'))) {
    if (line.isEmpty()) continue;
    if (line.startsWith(QLatin1Char('-')))
      items.push_back({SearchSiteItem::Kind::Separator, {}});
    else
      items.push_back({SearchSiteItem::Kind::Entry, line});
  }
  return items;
}

QString defaultSearchSiteText() { return QStringLiteral("BBC News\nReuters\nPravella"); }

std::vector<WebBookmark> defaultWebBookmarks() {
  return {{QStringLiteral("Pravella"), QLatin1String(kProductPage)},
          {QStringLiteral("Links"), QLatin1String(kLinksPage)},
          {QStringLiteral("Yahoo"), QLatin1String(kPortalPage)},
          {QStringLiteral("Google"), QLatin1String(kNewsPage)},
          {QStringLiteral("Wiki"), QStringLiteral("http://") + QLatin1String(kEncyclopediaHost) +
                                       QStringLiteral("/wiki/")}};
}

std::vector<WebBookmark> webBookmarksFrom(const QVariant& root, bool* ok) {
  std::vector<WebBookmark> marks;
  const bool isList = root.typeId() == QMetaType::QVariantList;
  if (ok) *ok = isList;
  if (!isList) return marks;
  for (const QVariant& v : root.toList()) {
    const QVariantMap m = v.toMap();
    marks.push_back({m.value(QStringLiteral("name")).toString(), m.value(QStringLiteral("url")).toString()});
  }
  return marks;
}

QVariant webBookmarksToVariant(const std::vector<WebBookmark>& marks) {
  QVariantList list;
  for (const WebBookmark& m : marks)
    list.append(QVariantMap{{QStringLiteral("name"), m.name}, {QStringLiteral("url"), m.url}});
  return list;
}

std::vector<WebBookmark> loadWebBookmarks(const QString& path) {
  if (!QFileInfo::exists(path)) {
    std::vector<WebBookmark> marks = defaultWebBookmarks();
    plist::writeFile(path, webBookmarksToVariant(marks));
    return marks;
  }
  bool ok = false;
  const std::optional<QVariant> root = plist::readFile(path);
  std::vector<WebBookmark> marks = root ? webBookmarksFrom(*root, &ok) : std::vector<WebBookmark>{};
  return ok ? marks : defaultWebBookmarks();
}

namespace {

void readNode(const QVariantMap& node, std::vector<BrowserBookmark>& into) {
  const QString type = node.value(QStringLiteral("WebBookmarkType")).toString();
  if (type == QLatin1String("WebBookmarkTypeList")) {
    BrowserBookmark folder;
    folder.folder = true;
    folder.title = node.value(QStringLiteral("Title")).toString();
    if (!node.contains(QStringLiteral("Title"))) folder.title = QStringLiteral("(\?\?\?\?\?)");
    for (const QVariant& child : node.value(QStringLiteral("Children")).toList())
      readNode(child.toMap(), folder.children);
    into.push_back(std::move(folder));
  } else if (type == QLatin1String("WebBookmarkTypeLeaf")) {
    const QVariantMap uri = node.value(QStringLiteral("URIDictionary")).toMap();
    if (!uri.contains(QStringLiteral("title"))) return;
    into.push_back({false, uri.value(QStringLiteral("title")).toString(),
                    node.value(QStringLiteral("URLString")).toString(), {}});
  }
}

}  // namespace

std::vector<BrowserBookmark> browserBookmarksFrom(const QVariant& root) {
  std::vector<BrowserBookmark> nodes;
  for (const QVariant& child : root.toMap().value(QStringLiteral("Children")).toList())
    readNode(child.toMap(), nodes);
  return nodes;
}

std::vector<BrowserBookmark> readBrowserBookmarks(const QString& path) {
  if (!QFileInfo::exists(path)) return {};
  const std::optional<QVariant> root = plist::readFile(path);
  return root ? browserBookmarksFrom(*root) : std::vector<BrowserBookmark>{};
}

void WebHistoryMenu::visited(const QString& url, const QString& title, const QDateTime& when) {
  for (Entry& e : entries_)
    if (e.url == url) {
      e.lastVisited = when;
      return;
    }
  Entry e{url, title, title.isEmpty() ? url : title, when};
  if (title.isEmpty()) suspended_.push_back(url);
  entries_.insert(entries_.begin(), std::move(e));
}

void WebHistoryMenu::titleReceived(const QString& url, const QString& title) {
  for (Entry& e : entries_)
    if (e.url == url) e.title = title;
}

void WebHistoryMenu::loadFinished() {
  for (const QString& url : suspended_)
    for (Entry& e : entries_)
      if (e.url == url && !e.title.isEmpty()) e.menuTitle = e.title;
  suspended_.clear();
}

void WebHistoryMenu::clear() {
  entries_.clear();
  suspended_.clear();
}

std::vector<WebHistoryMenu::Entry> WebHistoryMenu::contextEntries() const {
  std::vector<Entry> out;
  for (const Entry& e : entries_) {
    if (e.title.isEmpty()) continue;
    Entry cut = e;
    cut.title = e.title.left(kContextTitleLength);
    cut.menuTitle = cut.title;
    out.push_back(std::move(cut));
  }
  return out;
}

}  // namespace pravella::web
