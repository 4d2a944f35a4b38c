// The remembered hosts: scrambling, record forms, remembering, picking and deleting.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "net/ftp/ftp_host_list.h"
#include "platform/property_list.h"
#include "support/test_home.h"

using namespace pravella::ftp;

namespace {

QString listPath() { return pravella::test::home() + "/Documents/diary/Preferences/hostList.dat"; }

TEST(FtpHostList, ScrambleRoundTrips) {
  const QString cases[] = {"", "pw", "exactly-twenty-one-by", "a password longer than the key itself",
                           QString::fromUtf8("p\xc3\xa4sswort"), "PravellaHost314159265"};
  for (const QString& pw : cases) {
    const QString stored = scramblePassword(pw);
    EXPECT_TRUE(stored.startsWith("hex:"));
    EXPECT_FALSE(stored.contains('\t'));
    EXPECT_EQ(unscramblePassword(stored), pw);
    // The old form: the raw scrambled bytes read as text.
    const QByteArray raw = scrambleBytes(pw.toUtf8());
    if (!raw.contains('\0') && !raw.contains('\t') && !raw.contains('\n') && QString::fromUtf8(raw).toUtf8() == raw) {
      EXPECT_EQ(unscramblePassword(QString::fromUtf8(raw)), pw) << pw.toStdString();
    }
  }
}

TEST(FtpHostList, BytesFromThe22ndStayAsTheyAre) {
  const QByteArray pw = "0123456789abcdefghijKLMNOPQ";
  const QByteArray s = scrambleBytes(pw);
  EXPECT_EQ(s.mid(21), pw.mid(21));
  EXPECT_NE(s.left(21), pw.left(21));
}

TEST(FtpHostList, RememberPickAndRemove) {
  HostList list(listPath());
  list.reload();
  EXPECT_TRUE(list.records().isEmpty());
  EXPECT_TRUE(list.remember("h x", "ann", "pw1", "/pub"));
  EXPECT_FALSE(list.remember("h x", "ann", "other", "/else"));  // known host and user stay
  EXPECT_TRUE(list.remember("h x", "bob", "pw2", "/"));

  HostList again(listPath());
  again.reload();
  ASSERT_EQ(again.records().size(), 2);
  EXPECT_EQ(again.hostText(0), "h x");
  const auto p = again.pick(0);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->user, "ann");
  EXPECT_EQ(p->password, "pw1");
  EXPECT_EQ(p->directory, "/pub");
  EXPECT_FALSE(again.pick(2));

  EXPECT_FALSE(again.remove("h x", "nobody"));
  EXPECT_TRUE(again.remove("h x", "ann"));
  HostList third(listPath());
  third.reload();
  ASSERT_EQ(third.records().size(), 1);
  EXPECT_EQ(third.pick(0)->user, "bob");
}

TEST(FtpHostList, ShortAndOldRecordsRead) {
  const QByteArray oldPw = scrambleBytes("123456");  // printable once scrambled, as XML must be
  ASSERT_TRUE(QDir().mkpath(pravella::test::home() + "/Documents/diary/Preferences"));
  ASSERT_TRUE(pravella::plist::writeStringArray(
      listPath(), {"two\tuser", "three\tuser\t" + QString::fromUtf8(oldPw), "four\tu\t" + QString::fromUtf8(oldPw) + "\t/d"}));
  HostList list(listPath());
  list.reload();
  ASSERT_EQ(list.records().size(), 3);
  const struct {
    int index;
    const char *user, *password, *directory;
  } cases[] = {{0, "user", "", "~/"}, {1, "user", "123456", "~/"}, {2, "u", "123456", "/d"}};
  for (const auto& k : cases) {
    const auto p = list.pick(k.index);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->user, QString(k.user));
    EXPECT_EQ(p->password, QString(k.password));
    EXPECT_EQ(p->directory, QString(k.directory));
  }
}

TEST(FtpHostList, UnreadableFileGivesEmptyList) {
  QFile f(listPath());
  ASSERT_TRUE(QDir().mkpath(pravella::test::home() + "/Documents/diary/Preferences"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("not a list");
  f.close();
  HostList list(listPath());
  list.reload();
  EXPECT_TRUE(list.records().isEmpty());
}

}  // namespace
