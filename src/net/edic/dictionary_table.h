#pragma once
// The books of the dictionary folder: one row per book found in the folders' catalogs (at
// most 100), the folder setting, and the opening of a book's files by its title. Titles are
// UTF-8. Every entry takes the reader lock (net/edic/reader_lock.h).

#include <QStringList>

#include <memory>
#include <string>
#include <vector>

#include "net/edic/book_file.h"

namespace pravella::edic {

// The table stops growing at this many books.
inline constexpr int kMaxBooks = 100;

// Posted (strings: the titles) after checkEBDictionary rebuilt the table, once the reader's
// lock is released; the dictionary window refills its book pop-up.
inline constexpr const char* kEDicCatalogReloaded = "eDicCatalogReloaded";

struct BookRow {
  std::string name;          // the title, UTF-8
  std::string bodyPath;      // HONMON or HONMON2 (EPWING), START (EB)
  std::string zenGaijiPath;  // full-width gaiji font file, empty when the catalog names none
  std::string hanGaijiPath;  // half-width one
};

// A copy of the table as it stands.
std::vector<BookRow> bookTable();
QStringList dictionaryTitles();

// Reads the catalogs of every book folder of `folder` into the table (which it replaces) and
// appends each accepted title and "\n" to *titles when given. Returns 1.
int getEDictionaryPath(const std::string& folder, std::string* titles);

// The folder a program sees when no window has set one: the text of
// Preferences/eDicPathData.txt, else ~/Documents/eDicFile/.
std::string storedEDicFolder();

}  // namespace pravella::edic

// The dictionary folder. Until something sets it (or after it is set to the empty text),
// getEDicPath answers the stored one.
int setEDicPath(std::string path);
std::string getEDicPath();

// Rebuilds the table from the current folder, appending the titles (each with "\n") to
// `buffer`, and announces the new table (kEDicCatalogReloaded). Returns 1.
int checkEBDictionary(std::string& buffer);

// The book's files, opened for reading; null when the title is not in the table or the file
// does not open. The body file look-up rebuilds an empty table first.
std::unique_ptr<pravella::edic::BookFile> EBDictionaryFile(const std::string& name);
std::unique_ptr<pravella::edic::BookFile> EBDictionaryZenKakuGaijiFile(const std::string& name);
std::unique_ptr<pravella::edic::BookFile> EBDictionaryHanKakuGaijiFile(const std::string& name);
// The path of the pictures file HONMONG beside the book's body file; 0 when the book is not
// in the table (the table is not rebuilt).
int EBDictionaryGraphFileSpec(const std::string& name, std::string& path);
// 1 when the book keeps its text compressed (its body file is HONMON2).
int is_That_HONMON2_EPWING_V6(const std::string& name);
