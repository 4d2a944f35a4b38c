#include "platform/desktop_open.h"

#include <QFileInfo>
#include <QObject>
#include <QProcess>

namespace pravella {

QString desktopOpenerArgument(const QString& target) {
  if (target.startsWith(u'/')) return target;
  // A file of the current folder, even one named like an address ("notes:1"), is a file.
  const QFileInfo file(target);
  if (file.exists() || file.isSymLink() || target.startsWith(u'-')) return file.absoluteFilePath();
  // An address ("https://…", "mailto:…") or a text the opener reads as one.
  return target;
}

bool openWithDesktop(const QString& path) {
  auto* opener = new QProcess;
  opener->setProcessChannelMode(QProcess::ForwardedChannels);
  opener->start(QStringLiteral("xdg-open"), {desktopOpenerArgument(path)});
  if (!opener->waitForStarted(10000)) {
    delete opener;
    return false;
  }
  if (opener->waitForFinished(2000)) {
    const bool ok = opener->exitStatus() == QProcess::NormalExit;
    delete opener;
    return ok;
  }
  // Outside a desktop environment xdg-open runs the application itself and returns only when
  // it ends: the window does not wait for that, and the application is left running.
  QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
  return true;
}

bool openTerminalAt(const QString& folder) {
  return QProcess::startDetached(QStringLiteral("x-terminal-emulator"), {}, folder);
}

}  // namespace pravella
