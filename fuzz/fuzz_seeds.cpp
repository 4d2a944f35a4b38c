// Writes the seed corpora of the fuzz targets that read files, from the fixtures the tests
// build them with: fuzz_seeds <folder> makes <folder>/<target>/<seed> for each. A seed is an
// input as the target takes it (a first byte that chooses, the file, or files as parts).

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cstdio>
#include <string>

#include "edic_book.h"
#include "fuzz_support.h"
#include "imaging/med_fixtures.h"
#include "net/ftp/ftp_host_list.h"
#include "net/mail/mail_settings.h"
#include "platform/paths.h"
#include "tools/bookmarks/bookmark_store.h"
#include "tools/bookmarks/launcher_store.h"
#include "tools/text/sheet_table.h"

namespace {

QString out;
bool ok = true;

void seed(const char* target, const QString& name, const QByteArray& bytes) {
  const QString path = out + u'/' + QLatin1String(target) + u'/' + name;
  if (!pravella::fuzz::writeFile(path, bytes)) {
    std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", qPrintable(path));
    ok = false;
  }
}

QByteArray withFirst(int first, const std::string& bytes) {
  return QByteArray(1, static_cast<char>(first)) + QByteArray::fromStdString(bytes);
}

QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray filesAsParts(int first, const QStringList& paths) {
  QList<QByteArray> parts;
  for (const QString& p : paths) parts << fileBytes(p);
  return QByteArray(1, static_cast<char>(first)) + pravella::fuzz::joinParts(parts);
}

void medicalImages() {
  using medfix::Bytes;
  seed("med_image", "volume", withFirst(0, medfix::volumeFile(2, 3, 4, 24).data));
  seed("med_image", "volume-big", withFirst(1, medfix::volumeFile(2, 3, 4, 24, true).data));
  seed("med_image", "tovimed", withFirst(0, medfix::tovimed(1100, 2, 2, 4, 3).padTo(1100).ramp(24).data));
  seed("med_image", "acr-nema", withFirst(0, medfix::acrNema(true, true).bytes.data));
  seed("med_image", "acr-nema-plain", withFirst(0, medfix::acrNema(false, false).bytes.data));
  seed("med_image", "acr-nema-big", withFirst(1, medfix::acrNema(true, false, true).bytes.data));
  const std::string preamble = std::string(128, '\0') + "DICM" + "TAG!";
  Bytes elements;
  elements.element16(0x0028, 0x0010, 2).element(0x8001, 0x9002, "ab").element32(0x0029, 0x0030, 7);
  elements.element32(0x0008, 0x0000, 18).element16(0x0028, 0x0010, 99).zeros(8);
  elements.element(0x0028, 0x0030, "0.25\\0.75").element(0x0029, 0x0100, "3");
  seed("med_image", "dicom-elements", withFirst(0, preamble + elements.data));
}

void volumeFiles() {
  // Five bytes before the file: flags, rows - 1, columns - 1, offset, slice - 1.
  const std::string raw(std::string("\0\1\2\14\2", 5));
  seed("volume_file", "volume", withFirst(0, raw.substr(1) + medfix::volumeFile(2, 3, 4, 24).data));
  seed("volume_file", "volume-big", withFirst(3, raw.substr(1) + medfix::volumeFile(2, 3, 4, 24, true).data));
  seed("volume_file", "raw", withFirst(0, raw.substr(1) + medfix::Bytes().ramp(24).data));
}

void dictionaryBooks() {
  namespace book = pravella::fuzz::edic;
  static const char* const names[] = {"catalog",         "plain-body", "compressed-body", "full-width-font",
                                      "half-width-font", "pictures",   "gaiji-table",     "tagged-body"};
  for (int m = 0; m < book::kModes; ++m)
    seed("edic", QLatin1String(names[m]),
         QByteArray(1, static_cast<char>(m)) + book::fileOf(static_cast<book::Mode>(m)));
  seed("edic", "plain-standard-book",
       QByteArray(1, book::kPlainBody) + book::bytes(book::standardBook().bytes));
}

void ftpListings() {
  const QByteArray listing =
      "Connected to h.\n220 hi\n331 pw\n230 ok\n"
      "drwxr-xr-x    2 ftp      ftp          4096 Jan 01  2020 pub\n"
      "-rw-r--r-- 1 u g 12 Mar 3 10:00 my notes.txt\n"
      "-rw-r--r-- 1 u g 12 Mar 3 10:00 two  blanks \n"
      "lrwxrwxrwx 1 u g 4 Mar 3 10:00 link -> target/x\n"
      "-rw-r--r-- 1 u g 12 Mar 3 10:00 .profile\n"
      "drwxr-xr-x 1 u g 0 Jan 1 2020 ..\n"
      "-rw-r--r-- 1 u g 12 Mar 3 10:00 name\r\n"
      "brw\ncrw\nsrw\nwrw\n226 done\n";
  const QByteArray names = "257 \"/a \"\"q\"\"\" ok\nRemote directory: /pub/x\n221 Goodbye.\n";
  seed("ftp_listing", "listing", pravella::fuzz::joinParts({listing, names}));
  seed("ftp_listing", "refused", pravella::fuzz::joinParts({"530 Login incorrect.\n", "257 unquoted\n"}));
}

void stores() {
  namespace bookmarks = pravella::bookmarks;
  namespace launcher = pravella::launcher;
  const QDate day(2026, 12, 10);
  bookmarks::BookmarkStore marks;
  marks.add("/h/diary/2008/03/05/a.rtfd", "3 4", 0, day);
  marks.add("/h/diary/2008/03/06/b.rtfd", "0 0", 2, day);
  QDir().mkpath(pravella::paths::preferences());
  marks.save();
  seed("stores", "bookmarks",
       filesAsParts(
           0, {bookmarks::bmFile(1), bookmarks::bmFile(2), bookmarks::bmFile(3), bookmarks::bmFile(4)}));

  launcher::LauncherStore items;
  items.add("/usr/share/doc", 1);
  items.add("/h/Desktop/site.url", 2);
  items.save();
  launcher::LauncherStore::saveTitles({"All", "Documents", "Web"});
  seed("stores", "launcher",
       filesAsParts(1, {launcher::pathsFile(), launcher::categoriesFile(), launcher::titlesFile()}));

  const QString hosts = pravella::paths::preferences() + "/hostList.dat";
  pravella::ftp::HostList list(hosts);
  list.remember("ftp.example.org", "anonymous", "me@example.org", "/pub");
  list.remember("[::1]:2121", "user", "p\u00e4ss\tword", "");
  seed("stores", "host-list", filesAsParts(2, {hosts}));

  pravella::sheet::SheetTable table;
  table.setCell(0, 1, "a");
  table.setCell(1, 2, "b\nc");
  table.addColumn(2);
  const QString folder = pravella::paths::preferences() + "/memo.tbld";
  table.save(folder, "table");
  seed("stores", "sheet", filesAsParts(3, {folder + "/table.col", folder + "/table.dat"}));

  pravella::mail::MailSettings mail;
  mail.host = "smtp.example.org";
  mail.sender = "Me <me@example.org>";
  mail.port = 587;
  mail.user = "me";
  mail.password = "secret";
  pravella::mail::writeMailSettings(mail);
  seed("stores", "mail", filesAsParts(4, {pravella::mail::settingsPath(), pravella::mail::passwordPath()}));
}

void webArchives() {
  using pravella::fuzz::joinParts;
  QImage picture(8, 4, QImage::Format_RGB32);
  picture.fill(Qt::red);
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "JPEG");
  // As the document export writes a memo: its pictures as JPEG parts named by content ids.
  seed("web_archive", "memo",
       joinParts({"Memo",
                  "<html><body><p>\xe6\x97\xa5\xe6\x9c\xac</p><img "
                  "src=\"cid:picture001.jpg@pravella\"></body></html>",
                  "file:///home/user/Desktop/Memo.mht", "image/jpeg", "picture001.jpg@pravella", jpeg}));
  seed("web_archive", "awkward",
       joinParts({QByteArray(1200, 'T'), "<p>x</p>", "file:///a%20b/line\nbreak.mht", "image/png",
                  "id with blank <and> brackets %", "\x89PNG"}));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
    return 2;
  }
  // Taken before the scratch home becomes the working folder.
  out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
  pravella::fuzz::prepare();
  QDir(out).removeRecursively();
  medicalImages();
  volumeFiles();
  dictionaryBooks();
  ftpListings();
  stores();
  webArchives();
  return ok ? 0 : 1;
}
