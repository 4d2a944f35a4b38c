// The desktop opener: the path reaches xdg-open as one argument, and an opener that runs the
// application in the foreground does not hold the caller until the application ends.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QThread>

#include "platform/desktop_open.h"
#include "support/test_home.h"

namespace {

class DesktopOpen : public testing::Test {
 protected:
  void SetUp() override {
    bin = pravella::test::home() + "/bin";
    log = pravella::test::home() + "/opener.log";
    QDir().mkpath(bin);
    oldPath = qgetenv("PATH");
    qputenv("PATH", (bin + ":").toUtf8() + oldPath);
  }
  void TearDown() override { qputenv("PATH", oldPath); }

  void writeOpener(const QByteArray& body) {
    QFile script(bin + "/xdg-open");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n" + body);
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QString logged() const {
    QFile f(log);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }

  QString bin, log;
  QByteArray oldPath;
};

TEST_F(DesktopOpen, ThePathIsOneArgument) {
  writeOpener(("printf '%s\\n' \"$#\" \"$@\" >> '" + log + "'\n").toUtf8());
  EXPECT_TRUE(pravella::openWithDesktop("/a b/$(x);c.txt"));
  EXPECT_EQ(logged(), "1\n/a b/$(x);c.txt\n");
}

TEST_F(DesktopOpen, ANameThatLooksLikeAnOptionGoesAsAnAbsolutePath) {
  writeOpener(("printf '%s\\n' \"$@\" >> '" + log + "'\n").toUtf8());
  const QString folder = pravella::test::home() + "/day";
  QDir().mkpath(folder);
  for (const char* name : {"--version", "-x.odt"}) {
    QFile file(folder + "/" + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder));
  // Files of the current folder, a name that is not there yet, and an address as it stands.
  for (const char* target : {"--version", "-x.odt", "--help.zzz", "https://example.org/-x"})
    EXPECT_TRUE(pravella::openWithDesktop(target));
  QDir::setCurrent(before);
  EXPECT_EQ(logged(), folder + "/--version\n" + folder + "/-x.odt\n" + folder + "/--help.zzz\nhttps://example.org/-x\n");
}

TEST_F(DesktopOpen, AnOpenerThatKeepsRunningIsLeftToRun) {
  writeOpener(("echo started >> '" + log + "'\nsleep 4\necho ended >> '" + log + "'\n").toUtf8());
  EXPECT_TRUE(pravella::openWithDesktop("/x.txt"));
  EXPECT_EQ(logged(), "started\n");  // returned while the application still runs
  for (int i = 0; i < 100 && logged() != "started\nended\n"; ++i) QThread::msleep(100);
  EXPECT_EQ(logged(), "started\nended\n");  // and it was not killed
}

TEST_F(DesktopOpen, NoOpenerIsAFailure) {
  qputenv("PATH", bin.toUtf8());  // an empty folder
  EXPECT_FALSE(pravella::openWithDesktop("/x.txt"));
}

}  // namespace
