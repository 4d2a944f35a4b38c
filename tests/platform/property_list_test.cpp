#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>

#include "platform/property_list.h"
#include "support/test_home.h"

namespace {

using pravella::plist::parse;

TEST(PropertyList, StringArrayRoundTripsThroughAFile) {
  const QString path = pravella::test::home() + "/recentMemo.dat";
  const QStringList memos = {"/home/u/Documents/diary/2026/12/09/memo.rtfd", "<&> \"quoted\" 日本語", ""};
  ASSERT_TRUE(pravella::plist::writeStringArray(path, memos));
  QString error;
  auto back = pravella::plist::readStringArray(path, &error);
  ASSERT_TRUE(back) << error.toStdString();
  EXPECT_EQ(*back, memos);
}

TEST(PropertyList, ReadsTheCommonFormWithDoctypeAndAllValueKinds) {
  const QByteArray xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//X//DTD PLIST 1.0//EN\" \"plist.dtd\">\n"
      "<plist version=\"1.0\">\n<dict>\n"
      "\t<key>name</key><string>host</string>\n"
      "\t<key>port</key><integer>21</integer>\n"
      "\t<key>scale</key><real>1.5</real>\n"
      "\t<key>on</key><true/>\n"
      "\t<key>raw</key><data>AAEC</data>\n"
      "\t<key>when</key><date>2026-12-09T10:00:00Z</date>\n"
      "\t<key>list</key><array><string>a</string><array/></array>\n"
      "</dict>\n</plist>\n";
  auto r = parse(xml);
  ASSERT_TRUE(r.value) << r.error.toStdString();
  const QVariantMap m = r.value->toMap();
  EXPECT_EQ(m["name"].toString(), "host");
  EXPECT_EQ(m["port"].toLongLong(), 21);
  EXPECT_DOUBLE_EQ(m["scale"].toDouble(), 1.5);
  EXPECT_TRUE(m["on"].toBool());
  EXPECT_EQ(m["raw"].toByteArray(), QByteArray("\x00\x01\x02", 3));
  EXPECT_EQ(m["when"].toDateTime(), QDateTime(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC));
  EXPECT_EQ(m["list"].toList().size(), 2);
  // What we write we read back the same.
  auto again = parse(pravella::plist::serialize(*r.value));
  ASSERT_TRUE(again.value) << again.error.toStdString();
  EXPECT_EQ(*again.value, *r.value);
}

TEST(PropertyList, RefusesMalformedText) {
  const char* cases[] = {
      "",
      "not xml at all",
      "<plist version=\"1.0\"><array><string>a</string></plist>",             // unclosed array
      "<root><array/></root>",                                                 // wrong root
      "<plist><array><string>a<b/></string></array></plist>",                 // element in a string
      "<plist><array><integer>12x</integer></array></plist>",                 // bad number
      "<plist><dict><string>no key</string></dict></plist>",                  // dict without key
      "<plist><dict><key>k</key></dict></plist>",                             // key without value
      "<plist><array/><array/></plist>",                                       // two roots
      "<plist><array>text<string>a</string></array></plist>",                 // stray text
      "<plist><banana/></plist>",                                              // unknown element
      "<plist><data>!!!</data></plist>",                                       // not base64
  };
  for (const char* text : cases) {
    auto r = parse(QByteArray(text));
    EXPECT_FALSE(r.value) << "accepted: " << text;
    EXPECT_FALSE(r.error.isEmpty()) << text;
  }
}

TEST(PropertyList, StringArrayReaderRefusesOtherShapesAndMissingFiles) {
  const QString path = pravella::test::home() + "/x.dat";
  QString error;
  EXPECT_FALSE(pravella::plist::readStringArray(path, &error));
  EXPECT_TRUE(error.contains("x.dat"));

  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<plist><array><string>a</string><integer>1</integer></array></plist>");
  f.close();
  EXPECT_FALSE(pravella::plist::readStringArray(path, &error));
  EXPECT_TRUE(error.contains("other than strings"));
}

}  // namespace
