#include "support/test_home.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

namespace pravella::test {
namespace {
// A home removed by its bytes: tests leave names that are not UTF-8, which a removal by
// QString names cannot reach, so such homes stayed behind in the temporary folder.
struct Home {
  QString path;
  ~Home() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(QFile::encodeName(path).toStdString()), ignored);
  }
};
std::unique_ptr<Home> current;

void setEnv(const char* name, const QString& value) {
  ::setenv(name, QFile::encodeName(value).constData(), 1);
}
}  // namespace

QString home() { return current ? current->path : QString(); }

void enterFreshHome() {
  leaveHome();
  QTemporaryDir made(QDir::tempPath() + QStringLiteral("/pravella-test-home-XXXXXX"));
  if (!made.isValid()) std::abort();  // without a home of its own no test may run
  made.setAutoRemove(false);
  current = std::make_unique<Home>();
  current->path = made.path();
  const QString h = current->path;
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
