// Files dropped on a day's list become links in the day's folder; names already there stay.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "diary/dropped_links.h"
#include "support/test_home.h"

namespace {

using pravella::test::home;

void touch(const QString& path, const QByteArray& bytes = "x") {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST(DroppedLinks, ThreeFilesLinkedAndAnExistingNameSkipped) {
  const QString day = home() + "/day";
  const QString from = home() + "/from";
  QDir().mkpath(day);
  QDir().mkpath(from + "/sub");
  touch(from + "/a.txt");
  touch(from + "/b.pdf");
  touch(day + "/c.txt", "mine");
  touch(from + "/c.txt", "theirs");

  EXPECT_EQ(pravella::linkDroppedFiles(day, {from + "/a.txt", from + "/b.pdf", from + "/sub/"}).made, 3);
  for (const QString& name : {QString("a.txt"), QString("b.pdf"), QString("sub")}) {
    const QFileInfo link(day + "/" + name);
    EXPECT_TRUE(link.isSymLink()) << name.toStdString();
  }
  EXPECT_EQ(QFileInfo(day + "/a.txt").symLinkTarget(), from + "/a.txt");
  EXPECT_EQ(QFileInfo(day + "/sub").symLinkTarget(), from + "/sub");

  const pravella::DroppedLinks none = pravella::linkDroppedFiles(day, {from + "/c.txt"});
  EXPECT_EQ(none.made, 0);
  EXPECT_TRUE(none.refused.isEmpty());
  EXPECT_FALSE(QFileInfo(day + "/c.txt").isSymLink());
  QFile mine(day + "/c.txt");
  ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
  EXPECT_EQ(mine.readAll(), "mine");
}

TEST(DroppedLinks, ADayWithoutAFolderLinksNothing) {
  touch(home() + "/a.txt");
  const pravella::DroppedLinks none = pravella::linkDroppedFiles(home() + "/no-day", {home() + "/a.txt"});
  EXPECT_EQ(none.made, 0);
  EXPECT_TRUE(none.refused.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(home() + "/no-day"));
}

TEST(DroppedLinks, AMemosTablesAreLinkedWithItOrItIsNotLinked) {
  const QString day = home() + "/day";
  const QString from = home() + "/from";
  QDir().mkpath(day);
  QDir().mkpath(from + "/Tables.rtfd");
  QDir().mkpath(from + "/Tables.tbld");
  QDir().mkpath(from + "/Two.rtfd");
  QDir().mkpath(from + "/Two.tbld");
  QDir().mkpath(day + "/Two.tbld");  // another memo's tables, once

  const pravella::DroppedLinks links = pravella::linkDroppedFiles(day, {from + "/Tables.rtfd", from + "/Two.rtfd"});
  EXPECT_EQ(links.made, 1);
  EXPECT_EQ(QFileInfo(day + "/Tables.rtfd").symLinkTarget(), from + "/Tables.rtfd");
  EXPECT_EQ(QFileInfo(day + "/Tables.tbld").symLinkTarget(), from + "/Tables.tbld");
  EXPECT_EQ(links.refused,
            QStringList{"\"Two\" is not linked: its tables cannot follow it, because \"Two.tbld\" already exists."});
  EXPECT_FALSE(QFileInfo(day + "/Two.rtfd").isSymLink());
  EXPECT_FALSE(QFileInfo(day + "/Two.tbld").isSymLink());
}

}  // namespace
