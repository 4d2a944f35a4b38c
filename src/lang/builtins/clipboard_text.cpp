#include "lang/builtins/clipboard_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
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

bool hasClipboard() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

std::optional<std::string> textFromClipboard() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app) return std::nullopt;
  std::optional<std::string> out;
  auto get = [&] {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (mime && mime->hasText()) out = mime->text().toStdString();
  };
  if (QThread::currentThread() == app->thread())
    get();
  else
    QMetaObject::invokeMethod(app, get, Qt::BlockingQueuedConnection);
  return out;
}

}  // namespace pravella::builtins
