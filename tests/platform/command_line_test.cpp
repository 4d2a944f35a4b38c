#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/command_line.h"
#include "support/test_home.h"

namespace {

TEST(CommandLine, SplitsWordsAsAShellDoesWithoutInterpretingAnything) {
  struct Case {
    const char* text;
    QStringList words;
  } cases[] = {
      {"ls -l  /tmp ", {"ls", "-l", "/tmp"}},
      {"touch 'a b' \"c d\" e\\ f", {"touch", "a b", "c d", "e f"}},
      {"echo 'it''s' \"say \\\"hi\\\" \\n\"", {"echo", "its", "say \"hi\" \\n"}},
      {"a ; b && c | d > e $HOME", {"a", ";", "b", "&&", "c", "|", "d", ">", "e", "$HOME"}},
      {"x '' \"\"", {"x", "", ""}},
      {"", {}},
  };
  for (const Case& c : cases) {
    QStringList words;
    EXPECT_TRUE(pravella::splitCommandLine(QString::fromUtf8(c.text), &words)) << c.text;
    EXPECT_EQ(words, c.words) << c.text;
  }
  QStringList words;
  for (const char* bad : {"echo 'open", "echo \"open", "echo \\"})
    EXPECT_FALSE(pravella::splitCommandLine(QString::fromUtf8(bad), &words)) << bad;
}

TEST(CommandLine, ReportsWhatCannotStartAndStopsOnRequest) {
  EXPECT_FALSE(pravella::runCommandLine("").started);
  EXPECT_FALSE(pravella::runCommandLine("echo 'open").started);
  const pravella::CommandLineResult missing = pravella::runCommandLine("no-such-program-of-pravella");
  EXPECT_FALSE(missing.started);
  EXPECT_FALSE(missing.error.isEmpty());
  // A working folder that is gone is named, with the system's reason.
  const QString gone = pravella::test::home() + "/gone";
  const pravella::CommandLineResult nowhere = pravella::runCommandLine("true", gone);
  EXPECT_FALSE(nowhere.started);
  EXPECT_EQ(nowhere.error, "the working folder " + gone + ": No such file or directory");

  EXPECT_EQ(pravella::runCommandLine("sh -c 'exit 3'").exitCode, 3);
  const pravella::CommandLineResult stopped = pravella::runCommandLine("sleep 30", {}, [] { return true; });
  EXPECT_TRUE(stopped.started);
  EXPECT_TRUE(stopped.stopped);
}

TEST(CommandLine, WhatTheCommandStartedDiesWithItsStop) {
  const QString pidFile = pravella::test::home() + "/grandchild.pid";
  int asked = 0;
  // The command starts a process of its own and waits; the stop comes once that one runs.
  const pravella::CommandLineResult r = pravella::runCommandLine(
      QStringLiteral("sh -c 'sleep 60 & echo $! > \"%1\"; wait'").arg(pidFile), {},
      [&] { return QFile::exists(pidFile) && QFile(pidFile).size() > 0 && ++asked > 1; });
  ASSERT_TRUE(r.stopped);
  QFile f(pidFile);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const pid_t grandchild = f.readAll().trimmed().toInt();
  ASSERT_GT(grandchild, 0);
  // Killed at once; it may linger as a zombie of its dead parent for a moment.
  QElapsedTimer clock;
  clock.start();
  bool gone = false;
  while (!gone && clock.elapsed() < 5000) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(grandchild));
    gone = !stat.open(QIODevice::ReadOnly) || QString::fromLatin1(stat.readAll()).section(u' ', 2, 2) == "Z";
    if (!gone) QThread::msleep(20);
  }
  EXPECT_TRUE(gone);
}

}  // namespace
