#include "platform/desktop_open.h"

#include <QProcess>

namespace pravella {

bool openWithDesktop(const QString& path) {
  QProcess opener;
  opener.setProcessChannelMode(QProcess::ForwardedChannels);
  opener.start(QStringLiteral("xdg-open"), {path});
  if (!opener.waitForStarted(10000)) return false;
  if (!opener.waitForFinished(30000)) {
    // An opener that has not returned by now has hung; it is not left behind.
    opener.kill();
    opener.waitForFinished(1000);
    return false;
  }
  return true;
}

}  // namespace pravella
