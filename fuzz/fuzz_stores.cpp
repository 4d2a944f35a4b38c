// The stores kept in Preferences, on any file contents: bookmarks, launcher items, the FTP
// host list, a memo's table sheet and the mail settings. The first byte chooses the store; the
// rest holds its files, one a part (a file whose part is missing is missing). What a store
// reads it must write and read back unchanged, also after the edits its window makes.

#include <QDate>
#include <QDir>
#include <QFile>

#include <cstdint>

#include "fuzz_support.h"
#include "net/ftp/ftp_host_list.h"
#include "net/mail/mail_settings.h"
#include "platform/paths.h"
#include "tools/bookmarks/bookmark_store.h"
#include "tools/bookmarks/launcher_store.h"
#include "tools/text/sheet_table.h"

namespace {

using pravella::fuzz::fail;
namespace bookmarks = pravella::bookmarks;
namespace launcher = pravella::launcher;

enum Store { kBookmarks, kLauncher, kHostList, kSheet, kMail, kStores };

QString sheetFolder() { return pravella::paths::preferences() + QStringLiteral("/memo.tbld"); }

QStringList filesOf(Store store) {
  switch (store) {
    case kBookmarks:
      return {bookmarks::bmFile(1), bookmarks::bmFile(2), bookmarks::bmFile(3), bookmarks::bmFile(4),
              bookmarks::titlesFile()};
    case kLauncher:
      return {launcher::pathsFile(), launcher::categoriesFile(), launcher::titlesFile()};
    case kHostList:
      return {pravella::paths::preferences() + QStringLiteral("/hostList.dat")};
    case kSheet:
      return {sheetFolder() + QStringLiteral("/table.col"), sheetFolder() + QStringLiteral("/table.dat")};
    case kMail:
      return {pravella::mail::settingsPath(), pravella::mail::passwordPath()};
    case kStores:
      break;
  }
  return {};
}

using Rows = QList<QStringList>;

Rows rowsOf(const bookmarks::BookmarkStore& s) {
  Rows rows;
  for (int i = 0; i < s.size(); ++i)
    rows << QStringList{s.at(i).markDate, s.at(i).path, s.at(i).position, s.at(i).category};
  return rows;
}

void bookmarkStore() {
  bookmarks::BookmarkStore store;
  store.load();
  const QDate day(2020, 1, 2);
  for (int category = 0; category <= bookmarks::kCategories; ++category)
    for (const bookmarks::Bookmark& b : store.view(category)) {
      bookmarks::rowOf(store.view(category), b.path);
      bookmarks::dragText(b, day);
    }
  // The edits of the bookmark window: a new mark, a rename, a move and a removal.
  const QString made = pravella::paths::diary() + QStringLiteral("/2020/1/2/memo.rtfd");
  store.add(made, QStringLiteral("3 4"), 0, day);
  if (store.size() > 1) {
    store.rename(store.at(0).path, store.at(0).path + QStringLiteral(" (2)"));
    store.move(made, store.at(0).path);
    store.remove(store.at(store.size() - 1));
  }
  const Rows held = rowsOf(store);
  if (!store.save()) fail("the bookmarks do not save");
  bookmarks::BookmarkStore again;
  again.load();
  if (rowsOf(again) != held) fail("read-back: the bookmarks changed");
}

Rows rowsOf(const launcher::LauncherStore& s) {
  Rows rows;
  for (int i = 0; i < s.size(); ++i) rows << QStringList{s.at(i).path, s.at(i).category};
  return rows;
}

void launcherStore() {
  launcher::LauncherStore store;
  store.load();
  for (int category = 0; category < launcher::kCategories; ++category)
    for (const launcher::Item& item : store.view(category)) {
      launcher::dragTextFor(item);
      launcher::memoFileFor(item.path, category);
      store.memoInUse(item.path, category);
    }
  store.add(QStringLiteral("/tmp/added"), 3);
  if (store.size() > 1) {
    store.reorder(store.at(store.size() - 1), store.at(0));
    store.moveToCategory(store.at(0), 5);
    store.remove(store.at(store.size() - 1));
  }
  const Rows held = rowsOf(store);
  if (!store.save()) fail("the launcher items do not save");
  launcher::LauncherStore again;
  again.load();
  if (rowsOf(again) != held) fail("read-back: the launcher items changed");
  const QStringList titles = launcher::LauncherStore::loadTitles();
  if (!launcher::LauncherStore::saveTitles(titles)) fail("the launcher titles do not save");
  if (launcher::LauncherStore::loadTitles() != titles) fail("read-back: the launcher titles changed");
}

void hostList() {
  pravella::ftp::HostList list(filesOf(kHostList).front());
  list.reload();
  const QStringList before = list.records();
  for (int i = 0; i < before.size(); ++i) {
    list.hostText(i);
    if (const auto pick = list.pick(i)) {
      const QString scrambled = pravella::ftp::scramblePassword(pick->password);
      if (pravella::ftp::unscramblePassword(scrambled) != pick->password)
        fail("a password does not read back");
    }
  }
  if (list.remember(QStringLiteral("added.example"), QStringLiteral("u\u00e9"), QStringLiteral("p\u00e4ss"),
                    QStringLiteral("/pub"))) {
    pravella::ftp::HostList again(list.path());
    again.reload();
    if (again.records() != list.records()) fail("read-back: the host list changed");
    const auto pick = again.pick(static_cast<int>(again.records().size()) - 1);
    if (!pick || pick->password != QStringLiteral("p\u00e4ss")) fail("read-back: the new password changed");
    again.remove(QStringLiteral("added.example"), QStringLiteral("u\u00e9"));
    pravella::ftp::HostList third(list.path());
    third.reload();
    if (third.records() != again.records()) fail("read-back: the host list changed after a removal");
  }
}

Rows rowsOf(const pravella::sheet::SheetTable& t) {
  Rows rows;
  QStringList titles;
  for (const auto& c : t.columns()) titles << c.title;
  rows << titles;
  for (int r = 0; r < t.rows(); ++r) {
    QStringList cells;
    for (const auto& c : t.columns())
      if (c.id != 0) cells << t.cell(r, c.id);
    rows << cells;
  }
  return rows;
}

void sheet() {
  pravella::sheet::SheetTable table;
  if (!table.load(sheetFolder(), QStringLiteral("table"))) return;
  // The edits of the sheet window.
  table.addRow(0);
  table.addColumn(1);
  table.setCell(0, 1, QStringLiteral("cell"));
  table.retitle(1, QStringLiteral("title"));
  if (table.columns().size() > 2) table.deleteColumn(2);
  table.deleteRow(table.rows() - 1);
  const Rows held = rowsOf(table);
  if (!table.save(sheetFolder(), QStringLiteral("table"))) fail("the table does not save");
  pravella::sheet::SheetTable again;
  if (!again.load(sheetFolder(), QStringLiteral("table"))) fail("read-back: the saved table does not load");
  if (rowsOf(again) != held) fail("read-back: the table changed");
}

QStringList fieldsOf(const pravella::mail::MailSettings& s) {
  return {s.host, s.sender,  QString::number(s.port), pravella::mail::securityName(s.security),
          s.user, s.password};
}

void mailSettings() {
  const pravella::mail::MailSettings settings = pravella::mail::readMailSettings();
  settings.configured();
  settings.effectivePort();
  pravella::mail::settingsProblem(settings);
  if (!pravella::mail::writeMailSettings(settings)) fail("the mail settings do not save");
  if (fieldsOf(pravella::mail::readMailSettings()) != fieldsOf(settings))
    fail("read-back: the mail settings changed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pravella::fuzz::prepare();
  QByteArray bytes = pravella::fuzz::bytesOf(data, size);
  const auto store = static_cast<Store>(pravella::fuzz::takeFirstByte(bytes) % kStores);
  QDir(pravella::paths::preferences()).removeRecursively();
  const QStringList files = filesOf(store);
  const QList<QByteArray> parts = pravella::fuzz::splitParts(bytes);
  for (int i = 0; i < files.size() && i < parts.size(); ++i)
    if (!pravella::fuzz::writeFile(files.at(i), parts.at(i))) fail("a store file cannot be written");
  switch (store) {
    case kBookmarks:
      bookmarkStore();
      break;
    case kLauncher:
      launcherStore();
      break;
    case kHostList:
      hostList();
      break;
    case kSheet:
      sheet();
      break;
    case kMail:
      mailSettings();
      break;
    case kStores:
      break;
  }
  return 0;
}
