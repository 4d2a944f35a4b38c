// pravella-calc as a program: input from a file or standard input, output and exit status.

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "support/test_home.h"

#include <fstream>

namespace {

struct Outcome {
  int exitCode;
  QByteArray out;
};

Outcome runCalc(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(QStringLiteral(PRAVELLA_CALC_PATH), args);
  EXPECT_TRUE(p.waitForStarted());
  p.write(input);
  p.closeWriteChannel();
  EXPECT_TRUE(p.waitForFinished(30000));
  return {p.exitCode(), p.readAllStandardOutput()};
}

TEST(PravellaCalc, StandardInputAndExitStatus) {
  Outcome ok = runCalc({"-"}, "1+2;");
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.out, "    3.0000\n.OK.\n");
  Outcome bad = runCalc({"-"}, "a = 1");
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.out, "...<Error>...Need more Instruction (SetNumValue)\n.NO.\n");
}

TEST(PravellaCalc, FileArgumentAndUsage) {
  QTemporaryDir dir;
  const QString path = dir.filePath("p.vk");
  std::ofstream(path.toStdString()) << "\"hello\";";
  Outcome ok = runCalc({path});
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.out, "hello\n.OK.\n");
  EXPECT_EQ(runCalc({}).exitCode, 2);
  EXPECT_EQ(runCalc({dir.filePath("missing.vk")}).exitCode, 2);
}

// A user program's own output is console output: it goes to standard error, never among the
// results on standard output.
TEST(PravellaCalc, UserProgramOutputStaysOffTheResults) {
  const QString folder = pravella::test::home() + "/Documents/diary/vkPreferences/usrFunc";
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString program = folder + "/usr_copy";
  std::ofstream(program.toStdString())
      << "#!/bin/sh\necho chatter\necho more chatter >&2\ncp \"$1\" \"$2\"\n";
  QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  Outcome ok = runCalc({"-"}, "usr_copy(|1, 2|);");
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.out, "    1.0000     2.0000\n.OK.\n");
}

// A run without the window has the folders the application's start-up gives: work files go
// into the diary's work folder (never the filesystem's root), today's day folder exists, and
// relative names resolve against the working folder's start value, the desktop.
TEST(PravellaCalc, RunsWithoutTheWindowHaveTheApplicationsFolders) {
  const QString home = pravella::test::home();
  Outcome run = runCalc({"-"}, "p# = densityPlot(|0, 1| |1, 0|); pastePictWithPath(p#, \"note\"); currentPath(0);");
  EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
  EXPECT_EQ(run.out.toStdString(), (home + "/Desktop\n.OK.\n").toStdString());
  EXPECT_TRUE(QFileInfo(home + "/Documents/diary/vkData/tempPict00001.jpg").isFile());
  const QDate today = QDate::currentDate();
  EXPECT_TRUE(QFileInfo(home + QString::asprintf("/Documents/diary/%4d/%02d/%02d", today.year(), today.month(),
                                                 today.day()))
                  .isDir());
  EXPECT_FALSE(QFileInfo::exists("/tempPict00001.jpg"));
}

}  // namespace
