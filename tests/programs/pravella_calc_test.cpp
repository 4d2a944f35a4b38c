// pravella-calc as a program: input from a file or standard input, output and exit status.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

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

}  // namespace
