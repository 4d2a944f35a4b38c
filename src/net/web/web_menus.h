#pragma once
// The lists behind the web sheet's menus: the user's search-site lines, the five own bookmark
// buttons, the bookmarks of a browser (a property list, read only) and the history menu of the
// pages visited since launch. No widgets here: the sheet turns these into menu items.

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <vector>

namespace pravella::web {

// --- Search sites: one entry a line; empty lines vanish; a line starting "-" is a separator.
struct SearchSiteItem {
  enum class Kind { EditBookmark, Separator, Entry };
  Kind kind = Kind::Entry;
  QString text;  // the entry's title and what it loads
};
// The menu of the list's plain text: "EditBookmark", a separator, then the lines. Even an
// empty text has one (empty) line, so the first two items are always there.
std::vector<SearchSiteItem> searchSiteMenu(const QString& plainText);
// The list written when the user has none: search words, two news sites, the product name.
QString defaultSearchSiteText();

// --- Own bookmarks: an array of {"name", "url"} dictionaries; the buttons use the first five.
struct WebBookmark {
  QString name;
  QString url;
};
inline constexpr int kBookmarkButtons = 5;
std::vector<WebBookmark> defaultWebBookmarks();
// Entries of a parsed property list; nullopt-like empty result when the root is no array.
std::vector<WebBookmark> webBookmarksFrom(const QVariant& root, bool* ok = nullptr);
QVariant webBookmarksToVariant(const std::vector<WebBookmark>& marks);
// Reads the file; when it is missing the defaults are written to it. A file that does not
// read gives the defaults and is left as it is.
std::vector<WebBookmark> loadWebBookmarks(const QString& path);

// --- A browser's bookmarks: folders ("WebBookmarkTypeList") and leaves ("WebBookmarkTypeLeaf").
struct BrowserBookmark {
  bool folder = false;
  QString title;  // a folder without a title is "(?????)"
  QString url;    // leaves only
  std::vector<BrowserBookmark> children;
};
// The top-level nodes of the root dictionary's "Children"; leaves without a title and nodes
// of other types are left out.
std::vector<BrowserBookmark> browserBookmarksFrom(const QVariant& root);
// Reads the file (empty when it is missing or broken).
std::vector<BrowserBookmark> readBrowserBookmarks(const QString& path);

// --- History: the pages visited since launch, newest first, one menu entry per address.
class WebHistoryMenu {
 public:
  struct Entry {
    QString url;
    QString title;      // the page's own title, empty until it has one
    QString menuTitle;  // what the history menu shows
    QDateTime lastVisited;
  };
  static constexpr int kContextTitleLength = 25;

  // A page was visited. An address already listed only gets its time; a new one is listed
  // under its title, or under its address until the page has a title.
  void visited(const QString& url, const QString& title, const QDateTime& when);
  // The page at `url` received its title.
  void titleReceived(const QString& url, const QString& title);
  // A page finished loading: entries listed under their address take their titles.
  void loadFinished();
  void clear();

  const std::vector<Entry>& entries() const { return entries_; }
  // The context menu's entries: titled ones only, titles cut to 25 characters.
  std::vector<Entry> contextEntries() const;

 private:
  std::vector<Entry> entries_;
  std::vector<QString> suspended_;  // addresses listed before their page had a title
};

}  // namespace pravella::web
