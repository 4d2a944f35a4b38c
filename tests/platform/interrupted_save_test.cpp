// Saves killed at every file-changing step, over and over: afterwards the document is always
// there and whole, and recovery leaves nothing behind.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/save_steps.h"
#include "support/test_home.h"

namespace {

int stepsLeft = 0;
void countDownThenDie() {
  if (--stepsLeft == 0) ::raise(SIGKILL);
}

QByteArray contents(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll();
}

// A package of two files that must agree: the text names the version of its attachment.
pravella::WriteResult saveVersion(const QString& doc, int version) {
  return pravella::replaceFolderAtomically(doc, [version](const QString& temp) {
    const QByteArray v = QByteArray::number(version);
    if (auto r = pravella::writeFileAtomically(temp + "/TXT.rtf", "text " + v); !r) return r;
    return pravella::writeFileAtomically(temp + "/pic.png", "picture " + v + QByteArray(version % 7 * 100, 'x'));
  });
}

// Forks a child that saves versions 1, 2, 3 ... and is killed at its `killAt`-th step.
void saveUntilKilled(const QString& doc, int firstVersion, int killAt, bool exchangeRefused) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    stepsLeft = killAt;
    pravella::save_steps::setExchangeRefused(exchangeRefused);
    pravella::save_steps::setHook(countDownThenDie);
    for (int v = firstVersion; v < firstVersion + 100; ++v)
      if (!saveVersion(doc, v)) ::_exit(2);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
}

// The document is whole (text and picture of one version, not older than `atLeast`) and only
// the document is left in its folder.
void expectWholeAndAlone(const QString& folder, const QString& doc, int atLeast, const std::string& where) {
  pravella::recoverInterruptedSaves(folder);
  const QByteArray text = contents(doc + "/TXT.rtf");
  ASSERT_TRUE(text.startsWith("text ")) << where << ": " << text.toStdString();
  const int version = text.mid(5).toInt();
  EXPECT_GE(version, atLeast) << where;
  const QByteArray v = QByteArray::number(version);
  EXPECT_EQ(contents(doc + "/pic.png"), "picture " + v + QByteArray(version % 7 * 100, 'x')) << where;
  EXPECT_EQ(QDir(doc).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{"pic.png", "TXT.rtf"}))
      << where;
  EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QFileInfo(doc).fileName()})
      << where;
}

TEST(InterruptedSave, AThousandKillsLoseNothingAndLeaveNothing) {
  // In memory where the machine has it: a thousand rounds of disk syncs take half a minute on a
  // busy disk, and the steps are the same.
  QTemporaryDir scratch(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/pravella-kill-XXXXXX")
                                                  : pravella::test::home() + "/kill-XXXXXX");
  ASSERT_TRUE(scratch.isValid());
  const QString folder = scratch.path() + "/day";
  const QString doc = folder + "/memo.rtfd";
  QDir().mkpath(folder);
  ASSERT_TRUE(saveVersion(doc, 1));
  int saved = 1;
  // Kill points run through every step of two saves in turn, with atomic exchange and with
  // the two-rename way of file systems that refuse it.
  for (int kill = 0; kill < 1000; ++kill) {
    const bool refused = kill % 2 == 1;
    const int at = 1 + (kill / 2) % 40;
    saveUntilKilled(doc, saved + 1, at, refused);
    expectWholeAndAlone(folder, doc, saved, "kill " + std::to_string(kill) + " at step " + std::to_string(at));
    if (HasFailure()) return;
    saved = contents(doc + "/TXT.rtf").mid(5).toInt();
  }
  // Some saves got through between the kills.
  EXPECT_GT(saved, 100);
}

TEST(InterruptedSave, AFirstSaveKilledHalfwayLeavesNoFragment) {
  const QString folder = pravella::test::home() + "/new";
  const QString doc = folder + "/memo.rtfd";
  QDir().mkpath(folder);
  for (int at = 1; at <= 20; ++at) {
    QDir(doc).removeRecursively();
    saveUntilKilled(doc, 1, at, false);
    pravella::recoverInterruptedSaves(folder);
    // Either the first version is in place, whole, or nothing is, and no temporary is left.
    const QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (left.isEmpty()) continue;
    expectWholeAndAlone(folder, doc, 1, "first save, step " + std::to_string(at));
  }
}

TEST(InterruptedSave, RecoveryLeavesSavesOfRunningProcessesAlone) {
  const QString folder = pravella::test::home() + "/busy";
  QDir().mkpath(folder);
  // Our own process number, but no save of ours: a leftover of a dead process whose number was
  // used again.
  const QString stale = folder + "/" + pravella::save_steps::temporaryName(::getpid(), "abcdef");
  QDir().mkpath(stale);
  // A process that is alive (the parent of this one) may be saving right now.
  const QString running = folder + "/" + pravella::save_steps::temporaryName(::getppid(), "abcdef");
  QDir().mkpath(running);
  pravella::recoverInterruptedSaves(folder);
  EXPECT_FALSE(QFileInfo::exists(stale));
  EXPECT_TRUE(QFileInfo::exists(running));
}

// Only what a save named is recovery's: a user's own entries that merely look alike stay, with
// what they hold, however often the folder is saved in.
TEST(InterruptedSave, RecoveryLeavesTheUsersOwnLookAlikesAlone) {
  const QString folder = pravella::test::home() + "/day";
  QDir().mkpath(folder);
  const QString deadSaver = QStringLiteral("999999");
  ASSERT_NE(::kill(999999, 0), 0);
  const QString leftover = pravella::save_steps::temporaryName(999999, "Zy09ab");
  const QStringList users = {
      ".saving-424242-mine",        // a folder, with a note in it
      ".saving-999999-important",   // a file
      ".saving-999999-abcdefXYZ",   // the look of a temporary, without its check
      ".saving-999999-abcdef",      // the look of temporaries before they had a check
      ".saving-x-abcdefghi",        // no process number
      leftover.left(leftover.size() - 1) + (leftover.endsWith('a') ? "b" : "a"),  // a wrong check
  };
  QDir().mkpath(folder + "/" + users[0]);
  QFile note(folder + "/" + users[0] + "/notes.txt");
  ASSERT_TRUE(note.open(QIODevice::WriteOnly));
  note.write("mine");
  note.close();
  for (qsizetype i = 1; i < users.size(); ++i) {
    QFile f(folder + "/" + users[i]);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("keep me");
  }
  // And one true leftover of a dead save, which goes.
  QDir().mkpath(folder + "/" + leftover);
  pravella::recoverInterruptedSaves(folder);
  ASSERT_TRUE(saveVersion(folder + "/memo.rtfd", 1));
  ASSERT_TRUE(saveVersion(folder + "/memo.rtfd", 2));
  for (const QString& name : users) EXPECT_TRUE(QFileInfo::exists(folder + "/" + name)) << name.toStdString();
  EXPECT_EQ(contents(folder + "/" + users[0] + "/notes.txt"), "mine");
  EXPECT_EQ(contents(folder + "/" + users[1]), "keep me");
  EXPECT_FALSE(QFileInfo::exists(folder + "/" + leftover));
  EXPECT_TRUE(leftover.startsWith(".saving-" + deadSaver + "-Zy09ab")) << leftover.toStdString();
}

TEST(InterruptedSave, AFileSizeLimitFailsTheSaveInsteadOfKillingTheProcess) {
  const QString path = pravella::test::home() + "/limited.txt";
  ASSERT_TRUE(pravella::writeFileAtomically(path, "old"));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit small{};
    getrlimit(RLIMIT_FSIZE, &small);
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const pravella::WriteResult r = pravella::writeFileAtomically(path, QByteArray(4096, 'x'));
    ::_exit(!r.ok && r.error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(contents(path), "old");
  EXPECT_EQ(QDir(pravella::test::home()).entryList(QDir::Files | QDir::Hidden), QStringList{"limited.txt"});
}

}  // namespace
