#include "graphics/ui/editors/view_snapshot.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QPixmap>
#include <QWidget>

namespace pravella {

bool copyViewAsTiff(QWidget* view) {
  const QImage image = view->grab().toImage();
  QByteArray tiff;
  QBuffer buffer(&tiff);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "tiff");
  if (image.isNull() || !writer.write(image)) return false;
  auto* mime = new QMimeData;
  mime->setData(QStringLiteral("image/tiff"), tiff);
  QGuiApplication::clipboard()->setMimeData(mime);
  return true;
}

}  // namespace pravella
