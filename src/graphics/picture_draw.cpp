#include "graphics/picture_draw.h"

#include "graphics/graphics_hooks.h"
#include "graphics/picture.h"
#include "platform/console_log.h"

namespace pravella {

bool drawPictureIntoWorld(const QByteArray& picture, QImage& world) {
  QString reason;
  const QImage image = Picture(picture).toImage(&reason);
  if (image.isNull()) {
    showErrMessageToConsole("picture refused: " + reason.toStdString() + "\n");
    graphics::reportError("Invalid PICT.");
    return false;
  }
  world = flattenOnWhite(image).convertToFormat(QImage::Format_ARGB32);
  return true;
}

}  // namespace pravella
