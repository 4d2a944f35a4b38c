#include "platform/desktop_open.h"

#include <QObject>
#include <QProcess>

namespace pravella {

bool openWithDesktop(const QString& path) {
  auto* opener = new QProcess;
  opener->setProcessChannelMode(QProcess::ForwardedChannels);
  opener->start(QStringLiteral("xdg-open"), {path});
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
