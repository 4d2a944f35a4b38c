#include "net/edic/dictionary_table.h"

#include <QDir>
#include <QFile>

#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "lang/stdlib/kanji_code.h"
#include "net/edic/reader_lock.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

namespace pravella::edic {
namespace {

std::vector<BookRow>& table() {
  static std::vector<BookRow> rows;
  return rows;
}

std::optional<std::string>& folderSetting() {
  static std::optional<std::string> folder;
  return folder;
}

bool isFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// A catalog field cut at its first space byte.
std::string field(const unsigned char* bytes, int n) {
  std::string text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n));
  const std::size_t space = text.find(' ');
  if (space != std::string::npos) text.resize(space);
  return text;
}

// A folder or file name from a catalog, usable only inside the book folder: an empty or
// NUL-padded field names nothing; "/", ".." or a NUL inside would leave the folder.
enum class NameKind { None, Good, Bad };
NameKind nameKind(const std::string& name) {
  if (name.empty() || name[0] == '\0') return NameKind::None;
  if (name.find('\0') != std::string::npos || name.find('/') != std::string::npos ||
      name.find("..") != std::string::npos)
    return NameKind::Bad;
  return NameKind::Good;
}

std::string titleOf(const unsigned char* bytes, int n) {
  std::string jis = field(bytes, n);
  jis.resize(std::strlen(jis.c_str()));
  if (jis.empty()) return {};
  DoJis2sJis(jis.data());
  jis.resize(std::strlen(jis.c_str()));
  return encoding::decodeLossy(QByteArray::fromStdString(jis), encoding::kShiftJIS).toStdString();
}

void accept(std::vector<BookRow>& rows, BookRow row, std::string* titles) {
  if (titles) *titles += row.name + "\n";
  rows.push_back(std::move(row));
}

void readEpwingRecords(BookFile& catalog, const std::string& bookFolder, int count,
                       std::vector<BookRow>& rows, std::string* titles) {
  for (int i = 0; i < count && static_cast<int>(rows.size()) < kMaxBooks; ++i) {
    unsigned char record[164];
    if (!catalog.read(record, sizeof record)) return;
    BookRow row;
    row.name = titleOf(record + 2, 80);
    const std::string dir = field(record + 82, 8);
    if (row.name.empty() || nameKind(dir) != NameKind::Good) continue;
    const std::string data = bookFolder + "/" + dir + "/DATA/";
    if (isFile(data + "HONMON"))
      row.bodyPath = data + "HONMON";
    else if (isFile(data + "HONMON2"))
      row.bodyPath = data + "HONMON2";
    else
      continue;
    const std::string zen = field(record + 100, 8), han = field(record + 132, 8);
    const std::string gaiji = bookFolder + "/" + dir + "/GAIJI/";
    if (nameKind(zen) == NameKind::Good) row.zenGaijiPath = gaiji + zen;
    if (nameKind(han) == NameKind::Good) row.hanGaijiPath = gaiji + han;
    accept(rows, std::move(row), titles);
  }
}

void readEbRecords(BookFile& catalog, const std::string& bookFolder, int count, std::vector<BookRow>& rows,
                   std::string* titles) {
  for (int i = 0; i < count && static_cast<int>(rows.size()) < kMaxBooks; ++i) {
    unsigned char record[40];
    if (!catalog.read(record, sizeof record)) return;
    BookRow row;
    row.name = titleOf(record + 2, 30);
    const std::string dir = field(record + 32, 8);
    if (row.name.empty() || nameKind(dir) != NameKind::Good) continue;
    row.bodyPath = bookFolder + "/" + dir + "/START";
    if (!isFile(row.bodyPath)) continue;
    accept(rows, std::move(row), titles);
  }
}

const BookRow* findRow(const std::string& name) {
  for (const BookRow& row : table())
    if (row.name == name) return &row;
  return nullptr;
}

std::unique_ptr<BookFile> openRowFile(const std::string& name, std::string BookRow::*file) {
  ReaderLock lock;
  if (table().empty()) {
    std::string ignored;
    checkEBDictionary(ignored);
  }
  const BookRow* row = findRow(name);
  if (!row || (row->*file).empty()) return nullptr;
  return BookFile::open(row->*file);
}

}  // namespace

std::vector<BookRow> bookTable() {
  ReaderLock lock;
  return table();
}

QStringList dictionaryTitles() {
  QStringList titles;
  for (const BookRow& row : bookTable()) titles << QString::fromStdString(row.name);
  return titles;
}

int getEDictionaryPath(const std::string& folder, std::string* titles) {
  ReaderLock lock;
  std::vector<BookRow> rows;
  const QDir dir(QString::fromStdString(folder));
  // Sorted by name, so that the table's order does not depend on the file system.
  const QStringList entries =
      dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  for (const QString& entry : entries) {
    if (static_cast<int>(rows.size()) >= kMaxBooks) break;
    std::string bookFolder = folder;
    if (!bookFolder.empty() && bookFolder.back() != '/') bookFolder += '/';
    bookFolder += entry.toStdString();
    std::string catalogPath = bookFolder + "/CATALOG";
    if (!isFile(catalogPath)) catalogPath = bookFolder + "/CATALOGS";
    if (!isFile(catalogPath)) continue;
    auto catalog = BookFile::open(catalogPath);
    if (!catalog) continue;
    unsigned char header[16];
    if (!catalog->read(header, sizeof header)) continue;
    const int count = static_cast<int>(bigEndian(header, 2));
    const auto format = static_cast<int16_t>(bigEndian(header + 2, 2));
    if (format > 0)
      readEpwingRecords(*catalog, bookFolder, count, rows, titles);
    else
      readEbRecords(*catalog, bookFolder, count, rows, titles);
  }
  table() = std::move(rows);
  return 1;
}

std::string storedEDicFolder() {
  QFile file(paths::preferences() + "/eDicPathData.txt");
  if (file.open(QIODevice::ReadOnly)) {
    QByteArray text = file.readAll();
    // A hand-edited file may end in a line end, which no folder name means.
    while (text.endsWith('\n') || text.endsWith('\r')) text.chop(1);
    if (!text.isEmpty()) return text.toStdString();
  }
  return (paths::home() + "/Documents/eDicFile/").toStdString();
}

}  // namespace pravella::edic

using namespace pravella::edic;

int setEDicPath(std::string path) {
  ReaderLock lock;
  if (path.empty())
    folderSetting().reset();
  else
    folderSetting() = std::move(path);
  return 1;
}

std::string getEDicPath() {
  ReaderLock lock;
  return folderSetting() ? *folderSetting() : storedEDicFolder();
}

int checkEBDictionary(std::string& buffer) {
  ReaderLock lock;
  getEDictionaryPath(getEDicPath(), &buffer);
  postAfterUnlock(kEDicCatalogReloaded, dictionaryTitles());
  return 1;
}

std::unique_ptr<BookFile> EBDictionaryFile(const std::string& name) {
  return openRowFile(name, &BookRow::bodyPath);
}

std::unique_ptr<BookFile> EBDictionaryZenKakuGaijiFile(const std::string& name) {
  return openRowFile(name, &BookRow::zenGaijiPath);
}

std::unique_ptr<BookFile> EBDictionaryHanKakuGaijiFile(const std::string& name) {
  return openRowFile(name, &BookRow::hanGaijiPath);
}

int EBDictionaryGraphFileSpec(const std::string& name, std::string& path) {
  ReaderLock lock;
  const BookRow* row = findRow(name);
  if (!row) return 0;
  path = std::filesystem::path(row->bodyPath).parent_path().string() + "/HONMONG";
  return 1;
}

int is_That_HONMON2_EPWING_V6(const std::string& name) {
  ReaderLock lock;
  if (table().empty()) {
    std::string ignored;
    checkEBDictionary(ignored);
  }
  const BookRow* row = findRow(name);
  return row && std::filesystem::path(row->bodyPath).filename() == "HONMON2" ? 1 : 0;
}
