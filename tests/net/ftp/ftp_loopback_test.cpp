// The FTP operations against a loopback server run by /usr/bin/python3 with pyftpdlib, with
// the real tnftp and wget.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <memory>

#include "net/ftp/ftp_host_list.h"
#include "net/ftp/ftp_runner.h"
#include "support/loopback_ftp.h"
#include "support/test_home.h"

using namespace pravella::ftp;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class FtpLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = pravella::test::home();
    root_ = home_ + "/server";
    local_ = home_ + "/local";
    QDir().mkpath(local_);
    writeFile(root_ + "/pub/a.txt", "hello\n");
    writeFile(root_ + "/pub/a b.txt", "blank\n");
    writeFile(root_ + "/pub/.hidden", "h\n");
    writeFile(root_ + "/pub/|x", "pipe\n");
    writeFile(root_ + "/pub/sub/deep/f.txt", "deep\n");
    writeFile(root_ + "/pub/sub/g.txt", "g\n");
    server_ = std::make_unique<pravella::test::LoopbackFtp>(root_, "ann", "s3cret", slow() ? 20000 : 0);
    port_ = server_->port();
    ASSERT_FALSE(port_.isEmpty()) << server_->error().toStdString();
  }
  virtual bool slow() const { return false; }
  void TearDown() override { server_.reset(); }
  Connection conn(const QString& dir = "/pub") const {
    return {"127.0.0.1:" + port_ + " office", "ann", "s3cret", dir, local_};
  }
  static QStringList names(const QVector<Entry>& entries) {
    QStringList n;
    for (const Entry& e : entries) n << e.name;
    return n;
  }
  void expectWorkRootClean() const {
    EXPECT_TRUE(QDir(workRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
  }

  QString home_, root_, local_, port_;
  std::unique_ptr<pravella::test::LoopbackFtp> server_;
};

TEST_F(FtpLoopback, ListsEntersAndLeavesFolders) {
  const Listing top = listDirectory(conn());
  ASSERT_TRUE(top.report.ok) << top.report.monitor.toStdString();
  EXPECT_EQ(top.report.sound, "Tink");
  EXPECT_EQ(names(top.entries), QStringList({".hidden", "a b.txt", "a.txt", "sub", "|x"}));
  EXPECT_EQ(names(withoutHidden(top.entries)), QStringList({"a b.txt", "a.txt", "sub", "|x"}));
  EXPECT_EQ(top.directory, QString("/pub"));
  EXPECT_FALSE(top.report.monitor.contains("s3cret"));
  expectWorkRootClean();

  const Listing sub = listDirectory(conn(joinRemote("/pub", "sub")));
  ASSERT_TRUE(sub.report.ok);
  EXPECT_EQ(names(sub.entries), QStringList({"deep", "g.txt"}));
  EXPECT_EQ(sub.directory, QString("/pub/sub"));

  const Listing up = listDirectory(conn(joinRemote("/pub/sub", "..")));
  ASSERT_TRUE(up.report.ok);
  EXPECT_EQ(up.directory, QString("/pub"));
}

TEST_F(FtpLoopback, WrongPasswordOrFolderFails) {
  Connection badPassword = conn();
  badPassword.password = "wrong";
  const Connection badFolder = conn("/nowhere");
  for (const Connection& c : {badPassword, badFolder}) {
    const Listing l = listDirectory(c);
    EXPECT_FALSE(l.report.ok) << c.directory.toStdString();
    EXPECT_FALSE(l.parsed);
    EXPECT_EQ(l.report.sound, "Basso");
  }
  Connection emptyFolder = conn();
  QDir().mkpath(root_ + "/empty");
  emptyFolder.directory = "/empty";
  EXPECT_FALSE(listDirectory(emptyFolder).report.ok);  // no listing line came back
  expectWorkRootClean();
}

TEST_F(FtpLoopback, GetResumesPutsAndDeletes) {
  const Report got = getFile(conn(), "a.txt");
  ASSERT_TRUE(got.ok) << got.monitor.toStdString();
  EXPECT_EQ(readFile(local_ + "/a.txt"), "hello\n");
  EXPECT_TRUE(got.monitor.contains("get\ta.txt\n"));
  EXPECT_TRUE(got.monitor.contains("user\tann\t********\n"));
  EXPECT_FALSE(got.monitor.contains("s3cret"));

  writeFile(local_ + "/a.txt", "hel");
  const Report resumed = getFile(conn(), "a.txt");
  ASSERT_TRUE(resumed.ok);
  EXPECT_TRUE(resumed.monitor.contains("reget\ta.txt\n"));
  EXPECT_EQ(readFile(local_ + "/a.txt"), "hello\n");

  EXPECT_TRUE(getFile(conn(), "a b.txt").ok);
  EXPECT_EQ(readFile(local_ + "/a b.txt"), "blank\n");
  EXPECT_FALSE(getFile(conn(), "missing.txt").ok);

  writeFile(home_ + "/out/up load.txt", "up\n");
  const Report put = putFile(conn(), home_ + "/out/up load.txt");
  ASSERT_TRUE(put.ok) << put.monitor.toStdString();
  EXPECT_EQ(readFile(root_ + "/pub/up load.txt"), "up\n");
  EXPECT_EQ(putFile(conn(), home_ + "/out").monitor, "It is a directory (Can not upload)!\n");

  const Report deleted = deleteFile(conn(), "a.txt");
  ASSERT_TRUE(deleted.ok) << deleted.monitor.toStdString();
  EXPECT_FALSE(QFile::exists(root_ + "/pub/a.txt"));
  EXPECT_FALSE(deleteFile(conn(), "a.txt").ok);  // already gone: 550
  expectWorkRootClean();
}

TEST_F(FtpLoopback, HostileNamesNeverLeaveTheLocalFolder) {
  for (const char* name : {"|x", "../x", ".."}) {
    const Report r = getFile(conn(), name);
    EXPECT_FALSE(r.ok) << name;
    EXPECT_EQ(r.monitor, "It is not a Normal File !\n");
    EXPECT_FALSE(deleteFile(conn(), name).ok);
  }
  EXPECT_FALSE(QFile::exists(home_ + "/x"));
  EXPECT_TRUE(QFile::exists(root_ + "/pub/|x"));
  EXPECT_TRUE(QDir(local_).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(FtpLoopback, DownloadsAWholeFolderWithWget) {
  const Report r = downloadDirectory(conn(), "sub");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.sound, "Purr");
  // "//pub" is absolute for wget, and --cut-dir=1 cuts its empty first piece.
  EXPECT_EQ(readFile(local_ + "/pub/sub/g.txt"), "g\n");
  EXPECT_EQ(readFile(local_ + "/pub/sub/deep/f.txt"), "deep\n");
  Connection bad = conn();
  bad.password = "wrong";
  EXPECT_FALSE(downloadDirectory(bad, "sub").ok);
  expectWorkRootClean();
}

class FtpSlowLoopback : public FtpLoopback {
  bool slow() const override { return true; }
};

TEST_F(FtpSlowLoopback, StopEndsARunningGet) {
  writeFile(root_ + "/pub/big.bin", QByteArray(400000, 'b'));
  QElapsedTimer clock;
  clock.start();
  const Report r = getFile(conn(), "big.bin", workRoot(), [&clock] { return clock.elapsed() > 1500; });
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.sound, "Basso");
  EXPECT_LT(clock.elapsed(), 10000);
  EXPECT_LT(QFileInfo(local_ + "/big.bin").size(), 400000);
  expectWorkRootClean();
}

TEST(FtpWget, ArgumentsAndAddress) {
  const struct {
    const char* dir;
    const char* cut;
    const char* address;
  } cases[] = {
      {"pub", "--cut-dir=0", "ftp://h:21/pub/n%20a"},
      {"/pub", "--cut-dir=1", "ftp://h:21//pub/n%20a"},
      {"/pub/data", "--cut-dir=2", "ftp://h:21//pub/data/n%20a"},
      {"/p@b/x y", "--cut-dir=2", "ftp://h:21//p%40b/x%20y/n%20a"},
  };
  for (const auto& k : cases) {
    const Connection c{"h:21 x", "u@x", "p:w/", k.dir, "/tmp"};
    EXPECT_EQ(wgetArguments(c, "n a"), QStringList({"-r", "-np", "-nH", k.cut, k.address}));
  }
  EXPECT_EQ(wgetrc({"h", "u@x", "p:w/", "/", ""}), QByteArray("ftp_user = u@x\nftp_password = p:w/\n"));
}

}  // namespace
