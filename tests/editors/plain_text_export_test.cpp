#include "editors/plain_text_export.h"

#include <gtest/gtest.h>

#include <QFile>

#include "support/test_home.h"

namespace {

TEST(PlainTextExport, ExportPathReplacesTheLastExtension) {
  EXPECT_EQ(pravella::textExportPath("/d/2008/05/01/notes.rtfd"), "/d/2008/05/01/notes.txt");
  EXPECT_EQ(pravella::textExportPath("/d/m.vk.rtf"), "/d/m.vk.txt");
  EXPECT_EQ(pravella::textExportPath("/d/plain"), "/d/plain.txt");
  EXPECT_EQ(pravella::textExportPath("/d.x/.hidden"), "/d.x/.hidden.txt");
}

TEST(PlainTextExport, ImportRecognisesTheEncodingsOfOldTextFiles) {
  struct Case {
    QByteArray bytes;
    const char* text;
  };
  const Case cases[] = {
      {"\x82\xA0\x82\xA2 sjis", "\xE3\x81\x82\xE3\x81\x84 sjis"},
      {"\xA4\xA2\xA4\xA4 euc", "\xE3\x81\x82\xE3\x81\x84 euc"},
      {"\x1B$B$\"$$\x1B(B jis", "\xE3\x81\x82\xE3\x81\x84 jis"},
      {"\xE3\x81\x82 utf8", "\xE3\x81\x82 utf8"},
      {"\xEF\xBB\xBF"
       "bom",
       "bom"},
      {QByteArray("\xFF\xFE"
                  "a\0b\0",
                  6),
       "ab"},
      {"caf\xE9", "caf\xC3\xA9"},
  };
  const QString path = pravella::test::home() + "/in.txt";
  for (const Case& c : cases) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(c.bytes);
    f.close();
    const std::optional<QString> text = pravella::readTextFileForImport(path);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->toStdString(), c.text) << c.bytes.toHex().toStdString();
  }
  EXPECT_FALSE(pravella::readTextFileForImport(pravella::test::home() + "/none.txt").has_value());
}

TEST(PlainTextExport, ReplacementsAreCountedAndTheOldFileSurvivesAFailure) {
  const QString path = pravella::test::home() + "/out.txt";
  int replaced = -1;
  ASSERT_TRUE(
      pravella::writeShiftJISText(path, QString::fromUtf8("a\xC3\xA9\xE2\x82\xAC\xE6\x97\xA5"), &replaced));
  EXPECT_EQ(replaced, 2);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("a??\x93\xFA"));
  EXPECT_FALSE(pravella::writeShiftJISText(pravella::test::home() + "/no/folder/x.txt", "x"));
}

}  // namespace
