#pragma once
// The superuser passes every permission test, and the tests run as root here: a test of what
// the modes forbid runs again in its own test program as the unprivileged user "nobody", for
// whom they hold. The nested run makes its own temporary home, as every test does.

#include <QCoreApplication>
#include <QProcess>
#include <QString>

#include <grp.h>
#include <unistd.h>

namespace pravella::test {

inline bool runningAsRoot() { return ::geteuid() == 0; }

// Runs the gtest `test` ("Suite.Name") of this program as "nobody"; its exit status (0 when it
// passed), or -1 when it did not end.
inline int rerunAsNobody(const QString& test) {
  QProcess child;
  child.setProgram(QCoreApplication::applicationFilePath());
  child.setArguments({QStringLiteral("--gtest_filter=") + test});
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.setChildProcessModifier([] {
    constexpr gid_t kNoGroup = 65534;
    constexpr uid_t kNobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0) ::_exit(120);
  });
  child.start();
  if (!child.waitForFinished(60000)) return -1;
  return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

}  // namespace pravella::test
