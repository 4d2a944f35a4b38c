// Type and creator codes as user extended attributes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cerrno>

#include "platform/finder_info.h"

namespace {

using namespace pravella;

QString makeFile(const QString& name) {
  const QString path = QDir::homePath() + "/" + name;
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write("x");
  return path;
}

TEST(FinderInfo, QuotedForms) {
  EXPECT_EQ(quotedFourCharCode("TEXT"), "'TEXT'");
  EXPECT_EQ(quotedFourCharCode("TEX"), "");
  EXPECT_EQ(unquotedFourCharCode("'ttxt'"), "ttxt");
  EXPECT_EQ(unquotedFourCharCode("''"), "");
  EXPECT_EQ(unquotedFourCharCode("TEXT12"), "");
}

TEST(FinderInfo, AFileWithoutCodesAnswersNone) {
  const QString path = makeFile("plain.txt");
  QByteArray type, creator;
  EXPECT_TRUE(getFinderInfo(path, &type, &creator));
  EXPECT_TRUE(type.isEmpty());
  EXPECT_TRUE(creator.isEmpty());
  EXPECT_FALSE(getFinderInfo(path + ".missing", &type, &creator));
  EXPECT_FALSE(setFinderInfo(path + ".missing", "'TEXT'", "''"));
}

TEST(FinderInfo, SettingOneCodeKeepsTheOther) {
  const QString path = makeFile("coded.txt");
  int error = 0;
  if (!setFinderInfo(path, "'TEXT'", "''", &error) && (error == ENOTSUP || error == EOPNOTSUPP))
    GTEST_SKIP() << "this file system holds no user attributes";
  ASSERT_EQ(error, 0);
  ASSERT_TRUE(setFinderInfo(path, "''", "'ttxt'"));
  ASSERT_TRUE(setFinderInfo(path, "''", "'toolong'"));  // not four characters: ignored
  QByteArray type, creator;
  ASSERT_TRUE(getFinderInfo(path, &type, &creator));
  EXPECT_EQ(type, "'TEXT'");
  EXPECT_EQ(creator, "'ttxt'");
}

}  // namespace
