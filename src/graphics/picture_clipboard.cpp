#include "graphics/picture_clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>

#include "graphics/graphics_hooks.h"
#include "graphics/picture.h"
#include "platform/console_log.h"

namespace {

// The clipboard belongs to the GUI thread; a program runs on a worker and waits for it.
template <typename F>
void onGuiThread(F&& f) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  if (QThread::currentThread() == app->thread())
    f();
  else
    QMetaObject::invokeMethod(app, std::forward<F>(f), Qt::BlockingQueuedConnection);
}

}  // namespace

int DoCopyPictureToScrap(const QByteArray& picture) {
  if (picture.isEmpty()) {
    pravella::graphics::reportError("picture is empty.");
    return 0;
  }
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    showErrMessageToConsole("no clipboard in this process: picture not copied\n");
    return 1;
  }
  const QImage image = pravella::Picture(picture).toImage();
  onGuiThread([&] {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(pravella::kPictureMimeType), picture);
    if (!image.isNull()) {
      QByteArray png;
      QBuffer buffer(&png);
      buffer.open(QIODevice::WriteOnly);
      image.save(&buffer, "PNG");
      mime->setData(QStringLiteral("image/png"), png);
      mime->setImageData(image);
    }
    clipboard->setMimeData(mime);
  });
  return 1;
}

namespace pravella {

QByteArray pictureFromClipboard() {
  QByteArray out;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return out;
  onGuiThread([&] {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) return;
    const QString ours = QString::fromLatin1(kPictureMimeType);
    if (mime->hasFormat(ours)) {
      out = mime->data(ours);
    } else if (mime->hasImage()) {
      out = Picture::fromImage(qvariant_cast<QImage>(mime->imageData())).bytes();
    }
  });
  return out;
}

}  // namespace pravella
