#include "support/test_home.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

namespace pravella::test {
namespace {
std::unique_ptr<QTemporaryDir> current;

void setEnv(const char* name, const QString& value) {
  ::setenv(name, QFile::encodeName(value).constData(), 1);
}
}  // namespace

QString home() { return current ? current->path() : QString(); }

void enterFreshHome() {
  leaveHome();
  current = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/pravella-test-home-XXXXXX"));
  if (!current->isValid()) std::abort();  // without a home of its own no test may run
  const QString h = current->path();
  for (const char* sub : {"/.config", "/.cache", "/.local/share", "/.runtime"}) QDir().mkpath(h + QLatin1String(sub));
  QFile::setPermissions(h + QStringLiteral("/.runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  setEnv("HOME", h);
  setEnv("XDG_CONFIG_HOME", h + QStringLiteral("/.config"));
  setEnv("XDG_CACHE_HOME", h + QStringLiteral("/.cache"));
  setEnv("XDG_DATA_HOME", h + QStringLiteral("/.local/share"));
  setEnv("XDG_RUNTIME_DIR", h + QStringLiteral("/.runtime"));
}

void leaveHome() { current.reset(); }

}  // namespace pravella::test
