#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextCursor>
#include <QTextDocument>

#include <cstring>
#include <string>
#include <utility>

#include "editors/text_services.h"
#include "lang/values.h"
#include "platform/rich_text_file.h"
#include "platform/rtf.h"
#include "support/test_home.h"

namespace {

// "あいう" and friends, spelt out so that the source file's encoding does not matter.
const char* const kAiu = "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86";
const char* const kU = "\xE3\x81\x86";

class TextServices : public testing::Test {
 protected:
  void SetUp() override {
    savedTNumber_ = TNumber;
    savedPath_ = current_fullPath;
  }
  void TearDown() override {
    TNumber = savedTNumber_;
    current_fullPath = savedPath_;
  }
  int savedTNumber_ = 0;
  std::string savedPath_;
};

void touch(const QString& path, const QByteArray& data = "x") {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(data);
}

TEST_F(TextServices, CountsSearchesAndCutsInUtf16Units) {
  EXPECT_EQ(strlenUTF8(kAiu), 3);
  EXPECT_EQ(strlenUTF8(""), 0);
  EXPECT_EQ(strlenUTF8("a\xF0\x9F\x98\x8A"
                       "b"),
            4);  // a character outside the BMP counts twice
  EXPECT_EQ(searchStringUTF8(kAiu, kU), 2);
  EXPECT_EQ(searchStringUTF8(kAiu, ""), -1);
  EXPECT_EQ(searchStringUTF8("ab", "abc"), -1);
  EXPECT_EQ(searchStringUTF8("abcabc", "ca"), 2);
  EXPECT_EQ(searchStringUTF8("abc", "x"), -1);

  std::string out = "unchanged";
  EXPECT_EQ(leftStringUTF8(kAiu, -5, out), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(leftStringUTF8(kAiu, 99, out), 1);
  EXPECT_EQ(out, kAiu);
  EXPECT_EQ(leftStringUTF8(kAiu, 2, out), 1);
  EXPECT_EQ(out, "\xE3\x81\x82\xE3\x81\x84");
  EXPECT_EQ(rightStringUTF8(kAiu, 1, out), 1);
  EXPECT_EQ(out, kU);
  EXPECT_EQ(rightStringUTF8(kAiu, -1, out), 1);
  EXPECT_EQ(out, "");

  // The limit: the result must stay below TNumber x 8 bytes (9 bytes of "あいう" need 2 x 8).
  TNumber = 1;
  out = "kept";
  EXPECT_EQ(leftStringUTF8(kAiu, 3, out), 0);
  EXPECT_EQ(out, "kept");
  EXPECT_EQ(leftStringUTF8("1234567", 7, out), 1);
  EXPECT_EQ(leftStringUTF8("12345678", 8, out), 0);

  // The buffer forms write a terminator.
  TNumber = 4;
  char buffer[32];
  std::memset(buffer, 'z', sizeof buffer);
  EXPECT_EQ(rightStringUTF8(kAiu, 2, buffer), 1);
  EXPECT_STREQ(buffer, "\xE3\x81\x84\xE3\x81\x86");
}

TEST_F(TextServices, JapaneseEncodingsBothWays) {
  std::string sjis, jis, euc, back;
  ASSERT_EQ(stringToShiftJIS(kAiu, sjis), 1);
  EXPECT_EQ(sjis, "\x82\xA0\x82\xA2\x82\xA4");
  ASSERT_EQ(stringToEUC(kAiu, euc), 1);
  EXPECT_EQ(euc, "\xA4\xA2\xA4\xA4\xA4\xA6");
  ASSERT_EQ(stringToJIS(kAiu, jis), 1);
  EXPECT_EQ(jis, "\x1B$B$\"$$$&\x1B(B");  // ends back in ASCII
  using Decode = int (*)(const char*, std::string&);
  const std::pair<std::string, Decode> decoders[] = {
      {sjis, &stringFromShiftJIS}, {euc, &stringFromEUC}, {jis, &stringFromJIS}};
  for (const auto& [bytes, from] : decoders) {
    std::string text;
    ASSERT_EQ(from(bytes.c_str(), text), 1);
    EXPECT_EQ(text, kAiu);
  }
  // ASCII backslash stays a backslash (0x5C is no yen sign here).
  ASSERT_EQ(stringToShiftJIS("a\\b", sjis), 1);
  EXPECT_EQ(sjis, "a\\b");

  // Characters Shift-JIS cannot hold are replaced, not dropped.
  ASSERT_EQ(stringToShiftJIS("x\xF0\x9F\x98\x8Ay\xC3\xA9", sjis), 1);
  EXPECT_EQ(sjis, "x?y?");
  // Bytes that do not decode give the empty text, and still 1.
  back = "old";
  EXPECT_EQ(stringFromShiftJIS("\x82", back), 1);
  EXPECT_EQ(back, "");
  EXPECT_EQ(stringFromEUC("\xA4", back), 1);
  EXPECT_EQ(back, "");

  TNumber = 1;  // 8 bytes: "あいう" in UTF-8 is 9
  back = "kept";
  EXPECT_EQ(stringFromShiftJIS("\x82\xA0\x82\xA2\x82\xA4", back), 0);
  EXPECT_EQ(back, "kept");
  EXPECT_EQ(stringToShiftJIS("12345678", sjis), 0);
}

TEST_F(TextServices, PlainTextOfAnRtfdDocument) {
  QTextDocument doc;
  QTextCursor c(&doc);
  c.insertText(QString::fromUtf8("first \xE6\x97\xA5"));
  c.insertBlock();
  c.insertText("second");
  const QString path = pravella::test::home() + "/note.rtfd";
  ASSERT_TRUE(pravella::writeRtfdFile(path, doc));

  std::string out;
  ASSERT_EQ(getRTFDDocumentFromFilePath(path.toUtf8().constData(), out), 1);
  EXPECT_EQ(out, "first \xE6\x97\xA5\nsecond");
  // The extension test is exact.
  QDir().rename(path, pravella::test::home() + "/NOTE.RTFD");
  EXPECT_EQ(getRTFDDocumentFromFilePath((pravella::test::home() + "/NOTE.RTFD").toUtf8().constData(), out),
            0);
  // An unreadable document gives the empty text.
  out = "old";
  EXPECT_EQ(getRTFDDocumentFromFilePath((pravella::test::home() + "/none.rtfd").toUtf8().constData(), out),
            1);
  EXPECT_EQ(out, "");
  // More than TNumber bytes: refused; exactly TNumber: taken.
  QDir().rename(pravella::test::home() + "/NOTE.RTFD", path);
  TNumber = 15;  // the text is 16 bytes
  EXPECT_EQ(getRTFDDocumentFromFilePath(path.toUtf8().constData(), out), 0);
  TNumber = 16;
  EXPECT_EQ(getRTFDDocumentFromFilePath(path.toUtf8().constData(), out), 1);
}

TEST_F(TextServices, MovesFilesInTheWorkingFolder) {
  const QString work = pravella::test::home() + "/work";
  QDir().mkpath(work);
  current_fullPath = work.toStdString();
  touch(work + "/a.txt", "A");
  touch(work + "/taken.txt", "T");
  EXPECT_EQ(moveFileForVK("a.txt", "b.txt"), 1);
  EXPECT_FALSE(QFile::exists(work + "/a.txt"));
  EXPECT_TRUE(QFile::exists(work + "/b.txt"));
  // The target exists: refused, both files as they were.
  EXPECT_EQ(moveFileForVK("b.txt", "taken.txt"), 0);
  QFile t(work + "/taken.txt");
  ASSERT_TRUE(t.open(QIODevice::ReadOnly));
  EXPECT_EQ(t.readAll(), "T");
  // A dangling symbolic link is something at the target too.
  QFile::link(work + "/nowhere", work + "/dangling");
  EXPECT_EQ(moveFileForVK("b.txt", "dangling"), 0);
  EXPECT_TRUE(QFile::exists(work + "/b.txt"));
  // Absolute paths are used as they stand; a missing source fails.
  EXPECT_EQ(moveFileForVK((work + "/b.txt").toUtf8().constData(),
                          (pravella::test::home() + "/c.txt").toUtf8().constData()),
            1);
  EXPECT_EQ(moveFileForVK("missing.txt", "d.txt"), 0);
}

TEST_F(TextServices, DiaryPathFileKindsAndDateColour) {
  std::string path;
  getUserDiaryPath(path);
  EXPECT_EQ(path, (pravella::test::home() + "/Documents/diary").toStdString());

  touch(pravella::test::home() + "/f");
  EXPECT_EQ(fileExistsAtFullPath((pravella::test::home() + "/f").toUtf8().constData()), 1);
  EXPECT_EQ(fileExistsAtFullPath(pravella::test::home().toUtf8().constData()), 2);
  EXPECT_EQ(fileExistsAtFullPath((pravella::test::home() + "/none").toUtf8().constData()), 0);

  setDateFontColor(0.1, 0.2, 0.3);
  EXPECT_FLOAT_EQ(dateFontColor[0], 0.1f);
  setDateFontColor(0.5, 1.2, 0);
  EXPECT_FLOAT_EQ(dateFontColor[0], 0.1f);
  EXPECT_FLOAT_EQ(dateFontColor[1], 0.2f);
  setDateFontColor(0.3, 0.2, 0.7);
}

}  // namespace
