#include "lang/builtins/clipboard_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>
#include <QThread>

#include "platform/console_log.h"

namespace pravella::builtins {

bool putTextOnClipboard(std::string_view text) {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app) {
    showErrMessageToConsole("no clipboard in this process: text not copied\n");
    return true;
  }
  const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  bool ok = false;
  auto put = [&] {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(value);
    ok = clipboard->text() == value;
    if (!ok) clipboard->clear();
  };
  if (QThread::currentThread() == app->thread())
    put();
  else
    QMetaObject::invokeMethod(app, put, Qt::BlockingQueuedConnection);
  return ok;
}

}  // namespace pravella::builtins
