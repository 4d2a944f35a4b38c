#include "platform/paths.h"

#include <unistd.h>

#include <QDir>
#include <QStandardPaths>

#include "platform/cformat.h"

namespace pravella::paths {
namespace {

QString xdgDir(const char* variable, const char* fallbackUnderHome) {
  const QString value = qEnvironmentVariable(variable);
  // The XDG rules ignore relative paths in these variables.
  if (!value.isEmpty() && QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
  return home() + QLatin1Char('/') + QLatin1String(fallbackUnderHome);
}

}  // namespace

QString home() { return QDir::homePath(); }
QString documents() { return home() + QStringLiteral("/Documents"); }
QString diary() { return documents() + QStringLiteral("/diary"); }
QString vkPreferences() { return diary() + QStringLiteral("/vkPreferences"); }
QString vkData() { return diary() + QStringLiteral("/vkData"); }
QString preferences() { return diary() + QStringLiteral("/Preferences"); }
QString modules() { return vkPreferences() + QStringLiteral("/Modules"); }
QString commandScripts() { return vkPreferences() + QStringLiteral("/Command"); }

QString dayFolder(int year, int month, int day) {
  return diary() + QLatin1Char('/') +
         QString::fromStdString(cformat("%4d/%02d/%02d", year, month, day));
}

QString applicationSupport() { return xdgDir("XDG_CONFIG_HOME", ".config") + QStringLiteral("/Pravella"); }
QString trash() { return xdgDir("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Trash"); }

QString recovered() { return xdgDir("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Pravella/Recovered"); }

QStringList spareRecoveredFolders() {
  const QString own = QStringLiteral("/pravella-%1/Recovered").arg(::geteuid());
  QStringList folders{QStringLiteral("/var/tmp") + own};
  const QString temp = QDir::cleanPath(QDir::tempPath()) + own;
  if (!folders.contains(temp)) folders << temp;
  return folders;
}

QString desktop() {
  return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString resources() {
  const QString overridden = qEnvironmentVariable("PRAVELLA_RESOURCES");
  if (!overridden.isEmpty()) return overridden;
  return QStringLiteral(PRAVELLA_RESOURCE_DIR);
}

QString resource(const QString& name) { return resources() + QLatin1Char('/') + name; }

}  // namespace pravella::paths
