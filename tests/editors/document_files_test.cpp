// The file services of the main-document commands.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "editors/document_files.h"
#include "lang/values.h"
#include "platform/text_encoding.h"

namespace {

using namespace pravella;

class DocumentFiles : public testing::Test {
 protected:
  void SetUp() override {
    savedTNumber_ = TNumber;
    savedPath_ = current_fullPath;
    folder_ = QDir::homePath() + "/work";
    QDir().mkpath(folder_);
    current_fullPath = folder_.toStdString();
  }
  void TearDown() override {
    TNumber = savedTNumber_;
    current_fullPath = savedPath_;
  }
  void write(const QString& name, const QByteArray& bytes) {
    QFile f(folder_ + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QString folder_;

 private:
  int savedTNumber_ = 0;
  std::string savedPath_;
};

TEST_F(DocumentFiles, AShiftJisFileLoadsByARelativeName) {
  const QString text = QString::fromUtf8("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E text");  // 日本語
  write("sjis.txt", encoding::encode(text, encoding::kShiftJIS));
  const LoadedText loaded = loadEncodedTextFile("sjis.txt", encoding::kShiftJIS);
  ASSERT_TRUE(loaded.ok) << loaded.why.toStdString();
  EXPECT_EQ(loaded.text, text);
  // The same by its full name.
  EXPECT_EQ(loadEncodedTextFile(folder_ + "/sjis.txt", encoding::kShiftJIS).text, text);
}

TEST_F(DocumentFiles, LoadersFailOnBadBytesMissingFilesAndLongFiles) {
  write("bad.txt", QByteArray("ok \x82", 4));  // a Shift-JIS lead byte without its trail
  EXPECT_FALSE(loadEncodedTextFile("bad.txt", encoding::kShiftJIS).ok);
  EXPECT_FALSE(loadEncodedTextFile("missing.txt", encoding::kEucJP).ok);
  write("long.txt", QByteArray(16, 'a'));
  TNumber = 2;  // 16 bytes: 15 characters and the terminator
  EXPECT_FALSE(loadEncodedTextFile("long.txt", encoding::kEucJP).ok);
  write("fits.txt", QByteArray(15, 'a'));
  EXPECT_TRUE(loadEncodedTextFile("fits.txt", encoding::kEucJP).ok);
}

TEST_F(DocumentFiles, FolderListInNameOrderWithHiddenEntries) {
  EXPECT_EQ(folderListText(folder_), std::string());
  write("b.txt", "");
  write(".hidden", "");
  write("a.txt", "");
  QDir().mkpath(folder_ + "/c/d");
  const std::string base = folder_.toStdString() + "/";
  EXPECT_EQ(folderListText(folder_), base + ".hidden\n" + base + "a.txt\n" + base + "b.txt\n" + base + "c\n");
  EXPECT_EQ(folderListText(folder_ + "/missing"), std::string());
  TNumber = 8;  // 63 bytes are too few for the four entries
  EXPECT_EQ(folderListText(folder_), std::nullopt);
}

}  // namespace
