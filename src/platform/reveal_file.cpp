#include "platform/reveal_file.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QUrl>

#include "platform/desktop_open.h"

namespace pravella {

bool revealInFileManager(const QString& path) {
  const QFileInfo info(path);
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString service = QStringLiteral("org.freedesktop.FileManager1");
  if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service).value()) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                                       service, QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
    if (bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage) return true;
  }
  return openWithDesktop(info.absolutePath());
}

}  // namespace pravella
