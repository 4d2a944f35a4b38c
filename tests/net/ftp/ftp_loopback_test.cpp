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
    server_ = std::make_unique<pravella::test::LoopbackFtp>(root_, "ann", "s3cret", bytesPerSecond(), mode());
    port_ = server_->port();
    ASSERT_FALSE(port_.isEmpty()) << server_->error().toStdString();
  }
  virtual int bytesPerSecond() const { return 0; }
  virtual QString mode() const { return {}; }
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

TEST_F(FtpLoopback, GetReplacesWholePutsAndDeletes) {
  const Report got = getFile(conn(), "a.txt");
  ASSERT_TRUE(got.ok) << got.monitor.toStdString();
  EXPECT_EQ(readFile(local_ + "/a.txt"), "hello\n");
  EXPECT_TRUE(got.monitor.contains("\nget\ta.txt\t./.ftp-get-"));
  EXPECT_TRUE(got.monitor.contains("user\tann\t********\n"));
  EXPECT_FALSE(got.monitor.contains("s3cret"));

  // A local file this client did not leave half-fetched is no partial copy to resume.
  writeFile(local_ + "/a.txt", "HEL");
  const Report again = getFile(conn(), "a.txt");
  ASSERT_TRUE(again.ok);
  EXPECT_FALSE(again.monitor.contains("reget"));
  EXPECT_EQ(readFile(local_ + "/a.txt"), "hello\n");
  EXPECT_TRUE(QDir(local_).entryList({".ftp-get-*"}, QDir::Files | QDir::Hidden).isEmpty());

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
  for (const char* name : {"../x", ".."}) {
    const Report r = getFile(conn(), name);
    EXPECT_FALSE(r.ok) << name;
    EXPECT_EQ(r.monitor, "It is not a Normal File !\n");
    EXPECT_FALSE(deleteFile(conn(), name).ok);
  }
  EXPECT_FALSE(QFile::exists(home_ + "/x"));
  EXPECT_TRUE(QDir(local_).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A name the one-command-a-line script cannot carry whole is refused with the reason, before
// any line of it reaches tnftp, never cut or sent as another name.
TEST_F(FtpLoopback, NamesTheScriptCannotCarryAreRefusedWithTheReason) {
  const QString control = "The ftp program can not take a name with a line break or control character !\n";
  const QString injected = "x\n!touch made-by-shell";
  EXPECT_EQ(getFile(conn(), injected).monitor, control);
  EXPECT_EQ(deleteFile(conn(), injected).monitor, control);
  writeFile(home_ + "/out/" + injected, "x\n");
  EXPECT_EQ(putFile(conn(), home_ + "/out/" + injected).monitor, control);
  EXPECT_TRUE(QDir(root_ + "/pub").entryList({"x*"}).isEmpty());
  EXPECT_TRUE(QDir(home_).entryList({"made-by-shell"}).isEmpty());
  EXPECT_TRUE(QDir(local_).entryList({"made-by-shell"}).isEmpty());

  // tnftp would drop a line longer than its buffer and go on without it.
  const Report tooLong = getFile(conn(), QString(9000, QLatin1Char(' ')) + "x");
  EXPECT_FALSE(tooLong.ok);
  EXPECT_TRUE(tooLong.status.endsWith("failed: ftp: a name or folder is too long for the ftp program"))
      << tooLong.status.toStdString();
  EXPECT_TRUE(QDir(local_).entryList(QDir::Files | QDir::Hidden).isEmpty());
  expectWorkRootClean();
}

// Names that tnftp would read as its own syntax are files like any other: a leading "|" runs
// no command, a quote or a blank does not end the name, a lone "-" is no standard stream.
TEST_F(FtpLoopback, NamesWithTnftpSyntaxTransferAsFiles) {
  const QByteArray content = "the whole file\n";
  for (const QString name : {"|touch made-by-shell", "say \"hi\" there.txt", "-", "back\\slash"}) {
    SCOPED_TRACE(name.toStdString());
    writeFile(home_ + "/out/" + name, content);
    const Report put = putFile(conn(), home_ + "/out/" + name);
    EXPECT_TRUE(put.ok) << put.monitor.toStdString();
    EXPECT_EQ(readFile(root_ + "/pub/" + name), content);

    const Report got = getFile(conn(), name);
    EXPECT_TRUE(got.ok) << got.monitor.toStdString();
    EXPECT_EQ(readFile(local_ + "/" + name), content);
    writeFile(local_ + "/" + name, content.left(4));
    EXPECT_TRUE(getFile(conn(), name).ok);  // fetched whole again
    EXPECT_EQ(readFile(local_ + "/" + name), content);

    EXPECT_TRUE(deleteFile(conn(), name).ok);
    EXPECT_FALSE(QFile::exists(root_ + "/pub/" + name));
  }
  // The shell would have made this file where tnftp ran, in the local folder or its own.
  EXPECT_TRUE(QDir(home_).entryList({"made-by-shell"}).isEmpty());
  EXPECT_TRUE(QDir(local_).entryList({"made-by-shell"}).isEmpty());
  EXPECT_TRUE(QDir(home_ + "/out").entryList({"made-by-shell"}).isEmpty());
  // A name of the listing with "|" comes down under its own name.
  EXPECT_TRUE(getFile(conn(), "|x").ok);
  EXPECT_EQ(readFile(local_ + "/|x"), "pipe\n");
  expectWorkRootClean();
}

// With globbing on, tnftp would expand a listed "[m]emo.txt" or "*.rtf" against the local
// folder and write over memo.txt and diary.rtf.
TEST_F(FtpLoopback, GlobCharactersInListedNamesMatchNoOtherLocalFile) {
  writeFile(root_ + "/pub/[m]emo.txt", "remote memo\n");
  writeFile(root_ + "/pub/*.rtf", "remote rtf\n");
  writeFile(local_ + "/memo.txt", "my memo\n");
  writeFile(local_ + "/diary.rtf", "my diary\n");
  for (const char* name : {"[m]emo.txt", "*.rtf"}) {
    const Report r = getFile(conn(), name);
    EXPECT_TRUE(r.ok) << r.monitor.toStdString();
  }
  EXPECT_EQ(readFile(local_ + "/memo.txt"), "my memo\n");
  EXPECT_EQ(readFile(local_ + "/diary.rtf"), "my diary\n");
  EXPECT_EQ(readFile(local_ + "/[m]emo.txt"), "remote memo\n");
  EXPECT_EQ(readFile(local_ + "/*.rtf"), "remote rtf\n");
  // A local folder with blanks and quotes is entered as it is.
  Connection quoted = conn();
  quoted.localFolder = home_ + "/my \"day\" folder";
  QDir().mkpath(quoted.localFolder);
  EXPECT_TRUE(getFile(quoted, "a.txt").ok);
  EXPECT_EQ(readFile(quoted.localFolder + "/a.txt"), "hello\n");
}

TEST_F(FtpLoopback, FailuresSayWhyInTheMonitorAndTheStatus) {
  Connection badPassword = conn();
  badPassword.password = "wrong";
  const Listing refused = listDirectory(badPassword);
  EXPECT_FALSE(refused.report.ok);
  EXPECT_TRUE(refused.report.status.startsWith("Listing failed: 530")) << refused.report.status.toStdString();
  EXPECT_TRUE(refused.report.monitor.endsWith(refused.report.status + "\n"));
  EXPECT_FALSE(refused.report.monitor.contains("wrong"));

  server_.reset();  // nobody listens on the port any more
  const Listing noServer = listDirectory(conn());
  EXPECT_FALSE(noServer.report.ok);
  EXPECT_EQ(noServer.report.sound, "Basso");
  EXPECT_TRUE(noServer.report.status.contains("Connection refused")) << noServer.report.status.toStdString();
  EXPECT_TRUE(noServer.report.monitor.contains("Connection refused"));
  const Report get = getFile(conn(), "a.txt");
  EXPECT_TRUE(get.status.startsWith("Get of a.txt failed: ")) << get.status.toStdString();
  EXPECT_TRUE(get.monitor.contains("Connection refused"));
  expectWorkRootClean();
}

class FtpStockLoopback : public FtpLoopback {
  QString mode() const override { return "stock"; }
};

// pyftpdlib as it comes answers "NLST -al" with 550: the listing is made once more with
// "ls -la", and the names run asks for the bare names.
TEST_F(FtpStockLoopback, ARefusedNlistIsListedWithLs) {
  const Listing top = listDirectory(conn());
  ASSERT_TRUE(top.report.ok) << top.report.monitor.toStdString();
  EXPECT_TRUE(top.listedWithLs);
  EXPECT_EQ(names(top.entries), QStringList({".hidden", "a b.txt", "a.txt", "sub", "|x"}));
  EXPECT_EQ(top.directory, QString("/pub"));
  EXPECT_EQ(top.report.status, "Listed /pub: 4 entries");
  expectWorkRootClean();
}

TEST_F(FtpLoopback, DownloadsAWholeFolderWithWget) {
  const Report r = downloadDirectory(conn(), "sub");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.sound, "Purr");
  // "//pub" is absolute for wget, and --cut-dir=1 cuts its empty first piece.
  EXPECT_EQ(readFile(local_ + "/pub/sub/g.txt"), "g\n");
  EXPECT_EQ(readFile(local_ + "/pub/sub/deep/f.txt"), "deep\n");
  EXPECT_EQ(r.status, "Downloaded sub: 2 new");
  // Without anyone to ask, a download that would replace a local file goes under a free name.
  writeFile(local_ + "/pub/sub/g.txt", "mine\n");
  const Report again = downloadDirectory(conn(), "sub");
  EXPECT_EQ(again.status, "Downloaded sub into pub-2 beside the local files");
  EXPECT_EQ(readFile(local_ + "/pub/sub/g.txt"), "mine\n");
  EXPECT_EQ(readFile(local_ + "/pub-2/sub/g.txt"), "g\n");
  EXPECT_EQ(QDir(local_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({"pub", "pub-2"}));
  Connection bad = conn();
  bad.password = "wrong";
  EXPECT_FALSE(downloadDirectory(bad, "sub").ok);
  expectWorkRootClean();
}

class FtpSlowLoopback : public FtpLoopback {
  int bytesPerSecond() const override { return 20000; }
};

// Fast enough to finish a resumed get soon, slow enough that a get can be stopped half-way
// (the server sends 64 KiB at a time).
class FtpThrottledLoopback : public FtpLoopback {
  int bytesPerSecond() const override { return 400000; }
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

// The partial copy a stopped get leaves is resumed by the next get of the same remote file,
// and by nothing else: not once the user changed it, not for a same-named file of another
// folder.
TEST_F(FtpThrottledLoopback, OnlyItsOwnStoppedGetIsResumed) {
  const QByteArray whole = QByteArray(500000, 'p') + QByteArray(500000, 'q');
  writeFile(root_ + "/pub/part.bin", whole);
  writeFile(root_ + "/other/part.bin", "another server's file\n");
  const auto arrived = [this] {
    for (const QFileInfo& f : QDir(local_).entryInfoList({".ftp-get-*"}, QDir::Files | QDir::Hidden))
      if (f.size() > 0) return true;
    return false;
  };
  const Report stopped = getFile(conn(), "part.bin", workRoot(), arrived);
  ASSERT_FALSE(stopped.ok);
  const qint64 kept = QFileInfo(local_ + "/part.bin").size();
  ASSERT_GT(kept, 0);
  ASSERT_LT(kept, whole.size());
  EXPECT_EQ(readFile(local_ + "/part.bin"), whole.left(kept));

  const Report resumed = getFile(conn(), "part.bin");
  ASSERT_TRUE(resumed.ok) << resumed.monitor.toStdString();
  EXPECT_TRUE(resumed.monitor.contains("reget\tpart.bin\t./part.bin\n"));
  EXPECT_EQ(readFile(local_ + "/part.bin"), whole);

  // Stopped again, then the same name from another folder: fetched whole, not appended.
  QFile::remove(local_ + "/part.bin");
  ASSERT_FALSE(getFile(conn(), "part.bin", workRoot(), arrived).ok);
  ASSERT_GT(QFileInfo(local_ + "/part.bin").size(), 0);
  const Report other = getFile(conn("/other"), "part.bin");
  ASSERT_TRUE(other.ok) << other.monitor.toStdString();
  EXPECT_FALSE(other.monitor.contains("reget"));
  EXPECT_EQ(readFile(local_ + "/part.bin"), "another server's file\n");
  EXPECT_TRUE(QDir(local_).entryList({".ftp-get-*"}, QDir::Files | QDir::Hidden).isEmpty());
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
    EXPECT_EQ(wgetArguments(c, "n a"), QStringList({"-r", "-np", "-nH", k.cut, "--", k.address}));
  }
  EXPECT_EQ(wgetrc({"h", "u@x", "p:w/", "/", ""}),
            QByteArray("ftp_user = u@x\nftp_password = p:w/\nremove_listing = off\nreclevel = inf\n"));
}

}  // namespace
