// The lists behind the web sheet's menus: search-site lines, own bookmarks, a browser's
// bookmark tree and the history menu.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "net/web/web_menus.h"
#include "platform/property_list.h"

namespace {

using namespace pravella::web;
using Kind = SearchSiteItem::Kind;

QString describe(const std::vector<SearchSiteItem>& items) {
  QStringList out;
  for (const SearchSiteItem& i : items)
    out << (i.kind == Kind::Separator ? QStringLiteral("--") : i.text);
  return out.join(QLatin1Char('|'));
}

TEST(WebMenus, SearchSiteLines) {
  struct Case {
    const char* text;
    const char* menu;
  };
  const Case cases[] = {
      {"word\n\n-\nhttp://example.org/", "EditBookmark|--|word|--|http://example.org/"},
      {"", "EditBookmark|--"},
      {"-a separator too\nlast", "EditBookmark|--|--|last"},
      {"one\n", "EditBookmark|--|one"},
  };
  for (const Case& c : cases) EXPECT_EQ(describe(searchSiteMenu(QString::fromUtf8(c.text))), QLatin1String(c.menu)) << c.text;
  EXPECT_EQ(searchSiteMenu(defaultSearchSiteText()).size(), 5u);
  EXPECT_TRUE(defaultSearchSiteText().endsWith(QLatin1String("\nPravella")));
}

TEST(WebMenus, OwnBookmarksDefaultsAreWrittenOnlyWhenTheFileIsMissing) {
  const std::vector<WebBookmark> defaults = defaultWebBookmarks();
  ASSERT_EQ(defaults.size(), 5u);
  const char* names[] = {"Pravella", "Links", "Yahoo", "Google", "Wiki"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(defaults[i].name, QLatin1String(names[i]));
  EXPECT_TRUE(defaults[4].url.endsWith(QLatin1String("/wiki/")));

  const QString path = QDir::home().filePath(QStringLiteral("webBookmark.plist"));
  EXPECT_EQ(loadWebBookmarks(path).size(), 5u);
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_EQ(webBookmarksFrom(*pravella::plist::readFile(path)).size(), 5u);

  // The user's own list is read as it is, however long.
  std::vector<WebBookmark> mine{{QStringLiteral("A"), QStringLiteral("http://a/")}};
  ASSERT_TRUE(pravella::plist::writeFile(path, webBookmarksToVariant(mine)));
  const std::vector<WebBookmark> read = loadWebBookmarks(path);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].url, QStringLiteral("http://a/"));

  // A broken file gives the defaults and is kept for the user to mend.
  QFile broken(path);
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("<plist><array><dict>");
  broken.close();
  EXPECT_EQ(loadWebBookmarks(path).size(), 5u);
  QFile again(path);
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), QByteArray("<plist><array><dict>"));
}

TEST(WebMenus, BrowserBookmarkTree) {
  const auto leaf = [](const QVariant& title, const char* url) {
    QVariantMap uri;
    if (title.isValid()) uri[QStringLiteral("title")] = title;
    return QVariantMap{{QStringLiteral("WebBookmarkType"), QStringLiteral("WebBookmarkTypeLeaf")},
                       {QStringLiteral("URIDictionary"), uri},
                       {QStringLiteral("URLString"), QLatin1String(url)}};
  };
  const QVariantMap untitled{{QStringLiteral("WebBookmarkType"), QStringLiteral("WebBookmarkTypeList")},
                             {QStringLiteral("Children"), QVariantList{leaf(QStringLiteral("Inner"), "http://i/")}}};
  const QVariantMap bar{{QStringLiteral("WebBookmarkType"), QStringLiteral("WebBookmarkTypeList")},
                        {QStringLiteral("Title"), QStringLiteral("Bar")},
                        {QStringLiteral("Children"), QVariantList{untitled, leaf(QVariant(), "http://skip/")}}};
  const QVariantMap proxy{{QStringLiteral("WebBookmarkType"), QStringLiteral("WebBookmarkTypeProxy")},
                          {QStringLiteral("Title"), QStringLiteral("History")}};
  const QVariantMap root{{QStringLiteral("Children"), QVariantList{bar, proxy, leaf(QStringLiteral("Top"), "http://t/")}}};

  const std::vector<BrowserBookmark> nodes = browserBookmarksFrom(root);
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_TRUE(nodes[0].folder);
  EXPECT_EQ(nodes[0].title, QStringLiteral("Bar"));
  ASSERT_EQ(nodes[0].children.size(), 1u);
  EXPECT_EQ(nodes[0].children[0].title, QStringLiteral("(\?\?\?\?\?)"));
  ASSERT_EQ(nodes[0].children[0].children.size(), 1u);
  EXPECT_EQ(nodes[0].children[0].children[0].url, QStringLiteral("http://i/"));
  EXPECT_FALSE(nodes[1].folder);
  EXPECT_EQ(nodes[1].title, QStringLiteral("Top"));

  EXPECT_TRUE(browserBookmarksFrom(QVariantMap{}).empty());
  EXPECT_TRUE(browserBookmarksFrom(QVariantList{}).empty());
  EXPECT_TRUE(readBrowserBookmarks(QDir::home().filePath(QStringLiteral("missing.plist"))).empty());
}

TEST(WebMenus, HistoryListsNewestFirstAndCompletesTitlesWhenLoaded) {
  WebHistoryMenu h;
  const QDateTime t0 = QDateTime::fromSecsSinceEpoch(1000);
  h.visited(QStringLiteral("http://a/"), QStringLiteral("A page"), t0);
  h.visited(QStringLiteral("http://b/"), QString(), t0);
  ASSERT_EQ(h.entries().size(), 2u);
  EXPECT_EQ(h.entries()[0].menuTitle, QStringLiteral("http://b/"));
  EXPECT_EQ(h.entries()[1].menuTitle, QStringLiteral("A page"));

  const QString thirty = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123");
  h.titleReceived(QStringLiteral("http://b/"), thirty);
  EXPECT_EQ(h.entries()[0].menuTitle, QStringLiteral("http://b/"));  // until the load finishes
  h.loadFinished();
  EXPECT_EQ(h.entries()[0].menuTitle, thirty);

  // A second visit keeps one entry.
  h.visited(QStringLiteral("http://a/"), QStringLiteral("A page"), t0.addSecs(5));
  EXPECT_EQ(h.entries().size(), 2u);
  EXPECT_EQ(h.entries()[1].lastVisited, t0.addSecs(5));

  h.visited(QStringLiteral("http://c/"), QString(), t0);
  const std::vector<WebHistoryMenu::Entry> context = h.contextEntries();
  ASSERT_EQ(context.size(), 2u);  // the untitled page is left out
  EXPECT_EQ(context[0].title, thirty.left(25));
  EXPECT_EQ(context[1].title, QStringLiteral("A page"));

  h.clear();
  EXPECT_TRUE(h.entries().empty());
}

}  // namespace
