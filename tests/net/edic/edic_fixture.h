#pragma once
// Fixture books in the test's home: the dictionary folder ~/Documents/eDicFile holds one
// folder per book with its catalog and body file; the standard book is in
// support/edic_standard_book.h.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>

#include <string>
#include <vector>

#include "net/edic/compressed_text.h"
#include "net/edic/dictionary_table.h"
#include "platform/paths.h"
#include "support/edic_book_writer.h"
#include "support/edic_standard_book.h"

namespace pravella::test::edic {

inline QString dictionaryFolder() { return paths::home() + "/Documents/eDicFile"; }

// Writes a book with one catalog record into folder/bookDir.
inline void writeBook(const QString& bookDir, const QString& title, const Bytes& body, bool compressed,
                      const QString& folder = dictionaryFolder()) {
  const QString root = folder + "/" + bookDir;
  writeFile(root + "/CATALOGS", catalog(true, {{title, "MAIN", "", ""}}));
  // One body file: a plain one beside a compressed one would be taken first.
  QFile::remove(root + "/MAIN/DATA/" + (compressed ? "HONMON" : "HONMON2"));
  writeFile(root + "/MAIN/DATA/" + (compressed ? "HONMON2" : "HONMON"), body);
}

class EdicTest : public testing::Test {
 protected:
  void SetUp() override {
    setEDicPath("");
    Initialize_ZIP_Data();
  }
  void TearDown() override { Initialize_ZIP_Data(); }

  // Rebuilds the table from the folder; the titles, one a line.
  std::string reload() {
    std::string titles;
    checkEBDictionary(titles);
    return titles;
  }
};

}  // namespace pravella::test::edic
