#include "platform/folder_listing.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <map>
#include <vector>

namespace {

using pravella::FolderEntry;

TEST(FolderListing, EveryEntryWithTheTypeItsListingTells) {
  QTemporaryDir dir;
  const QString root = dir.path();
  ASSERT_TRUE(QDir().mkpath(root + "/day.rtfd"));
  ASSERT_TRUE(QDir().mkpath(root + "/.hidden folder"));
  QFile file(root + "/日記.txt");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  ASSERT_TRUE(QFile::copy(root + "/日記.txt", root + "/day.rtfd/TXT.rtf"));
  ASSERT_TRUE(QFile::link(root + "/day.rtfd", root + "/linked.rtfd"));
  ASSERT_TRUE(QFile::link(root + "/gone", root + "/broken"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(root + "/pipe").constData(), 0600), 0);

  std::map<QString, FolderEntry::Type> got;
  for (const FolderEntry& e : pravella::listFolder(root)) got[e.name] = e.type;
  const std::map<QString, FolderEntry::Type> expected = {
      {"day.rtfd", FolderEntry::Type::Folder}, {".hidden folder", FolderEntry::Type::Folder},
      {"日記.txt", FolderEntry::Type::Other},  {"linked.rtfd", FolderEntry::Type::Link},
      {"broken", FolderEntry::Type::Link},     {"pipe", FolderEntry::Type::Other}};
  EXPECT_EQ(got, expected);

  EXPECT_TRUE(pravella::listFolder(root + "/none").empty());
  EXPECT_TRUE(pravella::listFolder(root + "/日記.txt").empty());
  // Listed through a link, a folder shows what it holds.
  const std::vector<FolderEntry> inside = pravella::listFolder(root + "/linked.rtfd");
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(inside[0].name, QStringLiteral("TXT.rtf"));
}

}  // namespace
