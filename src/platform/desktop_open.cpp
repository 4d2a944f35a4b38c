#include "platform/desktop_open.h"

#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>

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

bool openTerminalAt(const QString& folder, QString* why) {
  const QString terminal = QStringLiteral("x-terminal-emulator");
  if (QProcess::startDetached(terminal, {}, folder)) return true;
  if (why) {
    if (QStandardPaths::findExecutable(terminal).isEmpty())
      *why = QObject::tr("No terminal to open: %1 is not installed (no program of that name on the PATH).")
                 .arg(terminal);
    else if (!QFileInfo(folder).isDir())
      *why = QObject::tr("No terminal could be started: the folder %1 does not exist.").arg(folder);
    else
      *why = QObject::tr("No terminal could be started in %1 (%2).").arg(folder, terminal);
  }
  return false;
}

}  // namespace pravella
