#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/save_steps.h"
#include "support/folder_snapshot.h"
#include "support/test_home.h"
#include "support/unprivileged_run.h"

namespace {

QByteArray contents(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll();
}

TEST(AtomicFile, WritesAndReplacesWithoutLeavingTemporaries) {
  const QString dir = pravella::test::home() + "/d";
  QDir().mkpath(dir);
  const QString path = dir + "/a.txt";
  ASSERT_TRUE(pravella::writeFileAtomically(path, "one"));
  ASSERT_TRUE(pravella::writeFileAtomically(path, "two"));
  EXPECT_EQ(contents(path), "two");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"a.txt"});
}

TEST(AtomicFile, UnwritableTargetKeepsTheOldFileAndSaysWhy) {
  {
    const QString missing = pravella::test::home() + "/no/such/folder/a.txt";
    const pravella::WriteResult r = pravella::writeFileAtomically(missing, "x");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(missing)) << r.error.toStdString();
  }
  const QString dir = pravella::test::home() + "/locked";
  QDir().mkpath(dir);
  const QString path = dir + "/a.txt";
  ASSERT_TRUE(pravella::writeFileAtomically(path, "old"));
  // A folder in the way of the temporary file's rename, or a read-only folder: both fail.
  const QString blocked = dir + "/sub";
  QDir().mkpath(blocked);
  const pravella::WriteResult intoFolder = pravella::writeFileAtomically(blocked, "x");
  EXPECT_FALSE(intoFolder.ok);
  EXPECT_FALSE(intoFolder.error.isEmpty());
  // The modes are kept whoever saves: the superuser, who passes every permission test, too.
  QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
  const pravella::WriteResult r = pravella::writeFileAtomically(path, "new");
  const pravella::WriteResult added = pravella::writeFileAtomically(dir + "/b.txt", "new");
  QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Cannot save \"" + path + "\": Permission denied");
  EXPECT_FALSE(added.ok);
  EXPECT_FALSE(QFileInfo::exists(dir + "/b.txt"));
  EXPECT_EQ(contents(path), "old");
  if (pravella::test::runningAsRoot()) {
    EXPECT_EQ(pravella::test::rerunAsNobody("AtomicFile.UnwritableTargetKeepsTheOldFileAndSaysWhy"), 0);
  }
}

// A read-only document in a folder that is not: the save would rename a new file or folder
// over it, which the folder allows. It is refused, says why, and leaves the document whole.
TEST(AtomicFile, ReadOnlyDocumentsStayAsTheyAre) {
  const QString file = pravella::test::home() + "/note.txt";
  ASSERT_TRUE(pravella::writeFileAtomically(file, "old"));
  QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  const pravella::WriteResult r = pravella::writeFileAtomically(file, "new");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "Cannot save \"" + file + "\": Permission denied");
  EXPECT_EQ(contents(file), "old");

  const QString doc = pravella::test::home() + "/memo.rtfd";
  auto fill = [](const QByteArray& text) {
    return [text](const QString& temp) { return pravella::writeFileAtomically(temp + "/TXT.rtf", text); };
  };
  ASSERT_TRUE(pravella::replaceFolderAtomically(doc, fill("old")));
  const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                        QFile::ReadOther | QFile::ExeOther;  // 555
  QFile::setPermissions(doc, readOnly);
  const pravella::WriteResult folder = pravella::replaceFolderAtomically(doc, fill("new"));
  EXPECT_FALSE(folder.ok);
  EXPECT_EQ(folder.error, "Cannot save \"" + doc + "\": Permission denied");
  EXPECT_EQ(contents(doc + "/TXT.rtf"), "old");
  EXPECT_FALSE(QFileInfo(doc).permissions() & QFile::WriteOwner);
  // Nothing of the refused saves is left beside them.
  EXPECT_EQ(QDir(pravella::test::home()).entryList(QStringList{".saving*"}, QDir::AllEntries | QDir::Hidden),
            QStringList());
  // Writable again, it saves as before.
  QFile::setPermissions(doc, readOnly | QFile::WriteOwner);
  EXPECT_TRUE(pravella::replaceFolderAtomically(doc, fill("new")));
  EXPECT_EQ(contents(doc + "/TXT.rtf"), "new");
  // The same for a user whom the system itself refuses.
  if (pravella::test::runningAsRoot()) {
    EXPECT_EQ(pravella::test::rerunAsNobody("AtomicFile.ReadOnlyDocumentsStayAsTheyAre"), 0);
  }
}

// After the rename the new version is the document: a failing folder sync (or a folder that
// cannot be opened for it) says the save may not survive a power cut, and the save stands.
TEST(AtomicFile, AFolderSyncFailingAfterTheRenameIsAWarning) {
  const QString dir = pravella::test::home() + "/synced";
  QDir().mkpath(dir);
  static QString failing;
  failing = dir;
  static int error = 0;
  pravella::save_steps::setFolderSyncHook(
      [](const QString& folder) { return folder == failing ? error : 0; });
  for (const int e : {EIO, EACCES, ENOSPC}) {
    error = e;
    const QString reason = QString::fromLocal8Bit(std::strerror(e));
    const QString file = dir + "/a.txt";
    const pravella::WriteResult written = pravella::writeFileAtomically(file, "new " + QByteArray::number(e));
    EXPECT_TRUE(written.ok) << written.error.toStdString();
    EXPECT_EQ(written.warning, "The save may not survive a power cut: \"" + file +
                                   "\" was saved, but its folder could not be synced (" + reason + ").");
    EXPECT_EQ(contents(file), "new " + QByteArray::number(e));

    const QString doc = dir + "/memo.rtfd";
    const pravella::WriteResult replaced = pravella::replaceFolderAtomically(doc, [e](const QString& temp) {
      return pravella::writeFileAtomically(temp + "/TXT.rtf", "text " + QByteArray::number(e));
    });
    EXPECT_TRUE(replaced.ok) << replaced.error.toStdString();
    EXPECT_TRUE(replaced.warning.contains("may not survive a power cut")) << replaced.warning.toStdString();
    EXPECT_EQ(contents(doc + "/TXT.rtf"), "text " + QByteArray::number(e));
    EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"a.txt", "memo.rtfd"}));
  }
  pravella::save_steps::setFolderSyncHook(nullptr);
  const pravella::WriteResult quiet = pravella::writeFileAtomically(dir + "/a.txt", "quiet");
  EXPECT_TRUE(quiet.ok);
  EXPECT_TRUE(quiet.warning.isEmpty());
}

TEST(AtomicFile, FullDiskKeepsTheOldFileAndSaysWhy) {
  const QString path = pravella::test::home() + "/full.txt";
  ASSERT_TRUE(pravella::writeFileAtomically(path, "old"));
  // A file size limit stands in for a full disk, whoever runs the test: the data reach the
  // disk only in part.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const pravella::WriteResult r = pravella::writeFileAtomically(path, QByteArray(4096, 'x'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.error.contains(path)) << r.error.toStdString();
  EXPECT_EQ(contents(path), "old");
  EXPECT_EQ(QDir(pravella::test::home()).entryList(QStringList{"full.txt*"}, QDir::Files | QDir::Hidden),
            QStringList{"full.txt"});
}

TEST(AtomicFile, FolderReplacementKeepsTheOldFolderWhenFillingFails) {
  const QString doc = pravella::test::home() + "/memo.rtfd";
  QFile::setPermissions(pravella::test::home(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                    QFile::ExeOther);
  auto fillWith = [](const QByteArray& text) {
    return [text](const QString& temp) { return pravella::writeFileAtomically(temp + "/TXT.rtf", text); };
  };
  ASSERT_TRUE(pravella::replaceFolderAtomically(doc, fillWith("first")));
  EXPECT_EQ(contents(doc + "/TXT.rtf"), "first");

  const pravella::WriteResult failed = pravella::replaceFolderAtomically(doc, [](const QString&) {
    return pravella::WriteResult{false, "disk full"};
  });
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.error, "disk full");
  EXPECT_EQ(contents(doc + "/TXT.rtf"), "first");

  ASSERT_TRUE(pravella::replaceFolderAtomically(doc, fillWith("second")));
  EXPECT_EQ(contents(doc + "/TXT.rtf"), "second");
  // The document is not left private like the temporary folder it was written in: a new one
  // takes the usual mode (0777 less the umask), whatever the folder around it has, and an old
  // one keeps its own.
  const auto mode = [](const QString& p) {
    struct stat info {};
    return ::stat(QFile::encodeName(p).constData(), &info) == 0 ? info.st_mode & 07777 : 0u;
  };
  const mode_t umaskBefore = ::umask(027);
  for (const mode_t around : {mode_t(0700), mode_t(01777)}) {
    const QString folder = pravella::test::home() + QStringLiteral("/around-%1").arg(around, 0, 8);
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), around), 0);
    ASSERT_TRUE(pravella::replaceFolderAtomically(folder + "/new.rtfd", fillWith("new")));
    EXPECT_EQ(mode(folder + "/new.rtfd"), 0750u) << "in a folder of mode " << std::oct << around;
  }
  ::umask(umaskBefore);
  QFile::setPermissions(
      doc, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
  ASSERT_TRUE(pravella::replaceFolderAtomically(doc, fillWith("third")));
  // A name at the file system's limit saves too.
  const QString longest = pravella::test::home() + "/" + QString(250, u'n') + ".rtfd";
  EXPECT_TRUE(pravella::replaceFolderAtomically(longest, fillWith("long")));
  EXPECT_EQ(QFileInfo(doc).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::ReadGroup);
  // Only the document remains beside it: no temporary or old folders.
  for (const QString& entry :
       QDir(pravella::test::home()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
    EXPECT_FALSE(entry.startsWith(".saving") || entry.startsWith(".replaced")) << entry.toStdString();
}

TEST(AtomicFile, AWriterByNameGetsTheUsualModeAndLeavesTheOldFileOnFailure) {
  const mode_t umaskBefore = ::umask(022);
  const QString dir = pravella::test::home() + "/byname";
  QDir().mkpath(dir);
  const QString path = dir + "/a.mov";
  auto writing = [](const QByteArray& text, bool ok) {
    return [text, ok](const QString& temp) {
      QFile f(temp);
      if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size())
        return pravella::WriteResult(false, "cannot write");
      return ok ? pravella::WriteResult(true) : pravella::WriteResult(false, "the movie has no frames");
    };
  };
  auto mode = [](const QString& p) {
    struct stat info {};
    return ::stat(QFile::encodeName(p).constData(), &info) == 0 ? info.st_mode & 07777 : 0u;
  };
  ASSERT_TRUE(pravella::writeFileAtomicallyThrough(path, writing("one", true)));
  EXPECT_EQ(contents(path), "one");
  EXPECT_EQ(mode(path), 0644u);
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
  ASSERT_TRUE(pravella::writeFileAtomicallyThrough(path, writing("two", true)));
  EXPECT_EQ(contents(path), "two");
  EXPECT_EQ(mode(path), 0640u);
  const pravella::WriteResult failed = pravella::writeFileAtomicallyThrough(path, writing("half", false));
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.error, "the movie has no frames");
  EXPECT_EQ(contents(path), "two");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"a.mov"});
  ::umask(umaskBefore);
}

// A copy takes its name only whole and never over an entry there.
TEST(AtomicFile, ACopyTakesAFreeNameWhole) {
  const QString dir = pravella::test::home() + "/d";
  QDir().mkpath(dir + "/a.tbld/inner");
  ASSERT_TRUE(pravella::writeFileAtomically(dir + "/a.tbld/prices.dat", "prices"));
  ASSERT_TRUE(pravella::writeFileAtomically(dir + "/a.tbld/inner/more.dat", "more"));
  ASSERT_TRUE(QFile::link("prices.dat", dir + "/a.tbld/link"));
  auto before = pravella::test::FolderSnapshot::of(dir);

  const pravella::WriteResult copied = pravella::copyAtomically(dir + "/a.tbld", dir + "/b.tbld");
  ASSERT_TRUE(copied) << copied.error.toStdString();
  EXPECT_TRUE(before.changedOnly({"b.tbld"}));
  EXPECT_EQ(contents(dir + "/b.tbld/prices.dat"), "prices");
  EXPECT_EQ(contents(dir + "/b.tbld/inner/more.dat"), "more");
  EXPECT_TRUE(QFileInfo(dir + "/b.tbld/link").isSymLink());
  EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({"a.tbld", "b.tbld"}));

  // Onto a name that is taken, a dangling link too: refused, and nothing changes.
  ASSERT_TRUE(QFile::link(dir + "/nowhere", dir + "/c.tbld"));
  before = pravella::test::FolderSnapshot::of(dir);
  for (const char* taken : {"/b.tbld", "/c.tbld"}) {
    const pravella::WriteResult refused = pravella::copyAtomically(dir + "/a.tbld", dir + taken);
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.error.contains("File exists")) << refused.error.toStdString();
  }
  // Nothing to copy: nothing made.
  EXPECT_FALSE(pravella::copyAtomically(dir + "/missing.tbld", dir + "/d.tbld"));
  EXPECT_TRUE(before.unchanged());
}

}  // namespace

namespace {

// A file that must not replace anything is written whole with the usual mode, and refused
// where anything already has its name: a file, a link leading nowhere.
TEST(AtomicFile, ANewFileNeverReplacesWhatHasItsName) {
  const mode_t umaskBefore = ::umask(027);
  const QString dir = pravella::test::home() + "/new";
  QDir().mkpath(dir);
  const auto pieces = [](QByteArray text) {
    return [text](const QString& temp) {
      QFile f(temp);
      if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return pravella::WriteResult(false, "cannot write");
      return pravella::WriteResult(true);
    };
  };
  ASSERT_TRUE(pravella::writeNewFileAtomicallyThrough(dir + "/page.mhtml", pieces("page")));
  EXPECT_EQ(contents(dir + "/page.mhtml"), "page");
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(dir + "/page.mhtml").constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  ::umask(umaskBefore);

  const pravella::WriteResult taken =
      pravella::writeNewFileAtomicallyThrough(dir + "/page.mhtml", pieces("other"));
  EXPECT_FALSE(taken.ok);
  EXPECT_TRUE(taken.error.contains(QString::fromLocal8Bit(std::strerror(EEXIST))))
      << taken.error.toStdString();
  EXPECT_EQ(contents(dir + "/page.mhtml"), "page");
  // A file made under that name while the new one is being written stays.
  static QString madeMeanwhile;
  madeMeanwhile = dir + "/late.mhtml";
  pravella::save_steps::setHook([] {
    QFile f(madeMeanwhile);
    if (!f.exists() && f.open(QIODevice::WriteOnly)) f.write("theirs");
  });
  const pravella::WriteResult late = pravella::writeNewFileAtomicallyThrough(madeMeanwhile, pieces("mine"));
  pravella::save_steps::setHook(nullptr);
  EXPECT_FALSE(late.ok);
  EXPECT_EQ(contents(madeMeanwhile), "theirs");
  ASSERT_TRUE(QFile::link(dir + "/nowhere", dir + "/link.mhtml"));
  EXPECT_FALSE(pravella::writeNewFileAtomicallyThrough(dir + "/link.mhtml", pieces("other")).ok);
  EXPECT_FALSE(QFileInfo::exists(dir + "/nowhere"));
  EXPECT_EQ(QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System),
            (QStringList{"late.mhtml", "link.mhtml", "page.mhtml"}));
}

}  // namespace
