// Child programs run from argument lists and registered by kind: a terminate ends only ours.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <thread>

#include "platform/child_processes.h"

using namespace pravella;

namespace {

ChildRequest shell(const QString& script, ChildKind kind = ChildKind::Other) {
  // The script is our own test text; the product never runs a shell.
  return ChildRequest{kind, QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}, {}, {}, {}};
}

}  // namespace

TEST(ChildProcesses, RunReadsBothOutputsInputAndExitCode) {
  ChildRequest cat{ChildKind::Bc, QStringLiteral("cat"), {}, {}, QByteArray("1+1\n"), {}};
  ChildResult r = runChild(cat);
  EXPECT_TRUE(r.started);
  EXPECT_EQ(r.output, QByteArray("1+1\n"));
  EXPECT_EQ(r.exitCode, 0);

  r = runChild(shell(QStringLiteral("echo out; echo err >&2; echo $PRAVELLA_X; pwd; exit 3")));
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.errorOutput, QByteArray("err\n"));
  EXPECT_TRUE(r.output.startsWith("out\n"));

  ChildRequest env = shell(QStringLiteral("echo $PRAVELLA_X; pwd"));
  env.environment = {QStringLiteral("PRAVELLA_X=seen")};
  env.workingFolder = QStringLiteral("/");
  EXPECT_EQ(runChild(env).output, QByteArray("seen\n/\n"));

  r = runChild({ChildKind::Other, QStringLiteral("no-such-program-here"), {}, {}, {}, {}});
  EXPECT_FALSE(r.started);
  EXPECT_FALSE(r.error.isEmpty());
}

TEST(ChildProcesses, ATimeoutKillsTheChild) {
  QElapsedTimer clock;
  clock.start();
  const ChildResult r = runChild(shell(QStringLiteral("echo partial; sleep 30")), 300);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.exitCode, -1);
  EXPECT_EQ(r.output, QByteArray("partial\n"));
  EXPECT_LT(clock.elapsed(), 10000);
}

TEST(ChildProcesses, TerminateEndsOnlyOurChildrenOfThatKind) {
  // A process of the same program that we did not start through the registry.
  QProcess stranger;
  stranger.start(QStringLiteral("sleep"), {QStringLiteral("30")});
  ASSERT_TRUE(stranger.waitForStarted());

  ChildResult ours;
  std::thread worker([&] { ours = runChild({ChildKind::Rsync, QStringLiteral("sleep"), {QStringLiteral("30")}, {}, {}, {}}); });
  QElapsedTimer clock;
  clock.start();
  while (runningChildren(ChildKind::Rsync) == 0 && clock.elapsed() < 5000) std::this_thread::yield();
  EXPECT_EQ(terminateChildren(ChildKind::Wget), 0);
  EXPECT_EQ(terminateChildren(ChildKind::Rsync), 1);
  worker.join();
  EXPECT_TRUE(ours.stopped);
  EXPECT_EQ(runningChildren(ChildKind::Rsync), 0);
  EXPECT_EQ(stranger.state(), QProcess::Running);
  stranger.kill();
  stranger.waitForFinished();
}

TEST(ChildProcesses, StartedChildReportsWhenItEnds) {
  QObject context;
  ChildResult seen;
  bool done = false;
  ASSERT_TRUE(startChild(shell(QStringLiteral("echo detached"), ChildKind::Curl), &context, [&](const ChildResult& r) {
    seen = r;
    done = true;
  }));
  EXPECT_EQ(runningChildren(ChildKind::Curl), 1);
  QElapsedTimer clock;
  clock.start();
  while (!done && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_TRUE(done);
  EXPECT_EQ(seen.output, QByteArray("detached\n"));
  EXPECT_EQ(seen.exitCode, 0);
  EXPECT_EQ(runningChildren(ChildKind::Curl), 0);
  QString error;
  EXPECT_FALSE(startChild({ChildKind::Curl, QStringLiteral("no-such-program-here"), {}, {}, {}, {}}, &context, {}, &error));
  EXPECT_FALSE(error.isEmpty());
}
