// Reading tnftp's output: listing lines, entry names, the current directory, failures.

#include <gtest/gtest.h>

#include "net/ftp/ftp_listing.h"

using namespace pravella::ftp;

namespace {

TEST(FtpListing, NamesFromLines) {
  const struct {
    const char* line;
    const char* name;  // nullptr: skipped
  } cases[] = {
      {"drwxr-xr-x    2 ftp      ftp          4096 Jan 01  2020 pub", "pub"},
      {"-rw-r--r-- 1 u g 12 Mar 3 10:00 my notes.txt", "my notes.txt"},
      {"-rw-r--r-- 1 u g 12 Mar 3 10:00 two  blanks ", "two  blanks "},
      {"lrwxrwxrwx 1 u g 4 Mar 3 10:00 link -> target/x", "link"},
      {"-rw-r--r-- 1 u g 12 Mar 3 10:00 a -> b", "a -> b"},
      {"-rw-r--r-- 1 u g 12 Mar 3 10:00", nullptr},
      {"-rw-r--r-- 1 u g 12 Mar 3 10:00   ", nullptr},
      {"-rw-r--r--\t1 u g 12 Mar 3 10:00 tabbed", nullptr},
      {"-rw-r--r-- 1 u g 12 Mar 3 10:00 |x", "|x"},
      {"-rw-r--r-- 1 u g 12 Mar 3 10:00 name\r", "name"},
      // One blank ends the time field; the blanks after it begin the name.
      {"-rw-r--r--   1 root     root  9 Dec 11 01:59  lead.txt", " lead.txt"},
      {"-rw-r--r--   1 root     root  9 Dec 11 01:59 lead.txt", "lead.txt"},
      {"drwxr-xr-x 2 ftp ftp 4096 Jan  1  2020   two", "  two"},
      {"lrwxrwxrwx 1 u g 4 Mar 3 10:00  sp -> x", " sp"},
      {"lrwxrwxrwx 1 u g 4 Mar 3 10:00 sp  -> x", "sp "},
      // A link with nothing before its arrow names no entry.
      {"lrwxrwxrwx 1 u g 4 Mar 3 10:00  -> target", nullptr},
      {"lrwxrwxrwx 1 u g 4 Mar 3 10:00   -> target", nullptr},
  };
  for (const auto& k : cases) {
    const QVector<Entry> e = parseListing(QString(k.line) + "\n");
    if (!k.name) {
      EXPECT_TRUE(e.isEmpty()) << k.line;
      continue;
    }
    ASSERT_EQ(e.size(), 1) << k.line;
    EXPECT_EQ(e[0].name, QString(k.name));
  }
}

TEST(FtpListing, LastLineWithoutLineFeedIsNotExamined) {
  const QVector<Entry> e = parseListing(
      "-rw-r--r-- 1 u g 1 Mar 3 10:00 first\n"
      "-rw-r--r-- 1 u g 1 Mar 3 10:00 second");
  ASSERT_EQ(e.size(), 1);
  EXPECT_EQ(e[0].name, "first");
  EXPECT_EQ(e[0].line, "-rw-r--r-- 1 u g 1 Mar 3 10:00 first");
}

TEST(FtpListing, FilterKeepsOnlyListingKinds) {
  const QString out =
      "Connected to h.\n220 hi\n331 pw\n230 ok\ndrwx 1 u g 0 Jan 1 2020 d\n-rw 1 u g 0 Jan 1 2020 f\n"
      "lrw 1 u g 0 Jan 1 2020 l -> f\nbrw\ncrw\nsrw\nwrw\nRemote system type\n226 done\n";
  EXPECT_EQ(listingLines(out), QStringList({"drwx 1 u g 0 Jan 1 2020 d", "-rw 1 u g 0 Jan 1 2020 f",
                                            "lrw 1 u g 0 Jan 1 2020 l -> f", "brw", "crw", "srw", "wrw"}));
}

TEST(FtpListing, HiddenEntriesGoButTheWayUp) {
  const QVector<Entry> all = {{"l1", "."}, {"l2", ".."}, {"l3", ".profile"}, {"l4", "pub"}};
  const QVector<Entry> kept = withoutHidden(all);
  ASSERT_EQ(kept.size(), 2);
  EXPECT_EQ(kept[0].name, "..");
  EXPECT_EQ(kept[1].name, "pub");
}

TEST(FtpListing, CurrentDirectoryForms) {
  const struct {
    const char* output;
    const char* dir;  // nullptr: none
  } cases[] = {
      {"a\nb\nRemote directory: /pub/x\n221 Goodbye.\n", "/pub/x"},
      {"Remote directory: /a\nRemote directory: /b c\n", "/b c"},
      {"257 \"/pub\" is the current directory.\n", "/pub"},
      {"257 \"/a \"\"q\"\"\" ok\n", "/a \"q\""},
      {"257 \"/one\" x\n257 \"/two\" y\n", "/two"},
      {"257 \"/r\" x\nRemote directory: /tn\n", "/tn"},
      {"257 unquoted\n", nullptr},
      {"230 Login ok\n", nullptr},
      {"", nullptr},
  };
  for (const auto& k : cases) {
    const auto d = currentDirectory(k.output);
    if (!k.dir) {
      EXPECT_FALSE(d.has_value()) << k.output;
    } else {
      ASSERT_TRUE(d.has_value()) << k.output;
      EXPECT_EQ(*d, QString(k.dir));
    }
  }
}

TEST(FtpListing, FailureReplies) {
  const struct {
    const char* output;
    bool failed;
  } cases[] = {
      {"220 hi\n230 ok\n226 done\n221 bye\n", false},
      {"530 Login incorrect.\n", true},
      {"550 No such file or directory.\n", true},
      {"421-closing\n", true},
      {"Not connected.\n", true},
      {"ftp: Can't connect to `h:21': Connection refused\n", true},
      {"-rw 1 u g 550 Jan 1 2020 550 x\n", false},
      {"5500 bytes\n", false},
  };
  for (const auto& k : cases) EXPECT_EQ(outputReportsFailure(k.output), k.failed) << k.output;
}

TEST(FtpListing, ResultTextStopsAtNulAndRefusesBadUtf8) {
  EXPECT_EQ(resultText(QByteArray("ab\0cd", 5)), "ab");
  EXPECT_EQ(resultText("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
  EXPECT_TRUE(resultText("bad \xff byte").isEmpty());
}

TEST(FtpListing, JoinRemote) {
  const struct {
    const char *dir, *name, *joined;
  } cases[] = {
      {"/pub", "x", "/pub/x"}, {"/pub/", "x", "/pub/x"},  {"/", "x", "/x"}, {"pub", "x/", "pub/x"},
      {"~/", "x", "~/x"},      {"/pub", "..", "/pub/.."}, {"", "x", "x"},
  };
  for (const auto& k : cases)
    EXPECT_EQ(joinRemote(k.dir, k.name), QString(k.joined)) << k.dir << " " << k.name;
}

}  // namespace
