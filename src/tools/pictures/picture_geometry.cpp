#include "tools/pictures/picture_geometry.h"

#include <algorithm>
#include <cmath>

namespace pravella {

QRectF letterboxRect(const QSizeF& picture, const QSizeF& area) {
  if (picture.isEmpty() || area.isEmpty()) return {};
  const double W = area.width(), H = area.height(), w = picture.width(), h = picture.height();
  if (W / H > w / h) {
    const double width = H * w / h;
    return {(W - width) / 2, 0, width, H};
  }
  const double height = h * W / w;
  return {0, (H - height) / 2, W, height};
}

QRectF panSourceRect(const QSizeF& picture, const QSizeF& view, double magnification, const QPointF& pan) {
  if (magnification <= 0) return {};
  const double sw = view.width() / magnification, sh = view.height() / magnification;
  // The source is centred on the picture, then moved by the offset in picture units; with y
  // downwards the vertical formula is the mirror of the horizontal one, and so the same.
  return {(picture.width() - sw) / 2 + pan.x() / magnification,
          (picture.height() - sh) / 2 + pan.y() / magnification, sw, sh};
}

QPointF pannedBy(const QPointF& pan, const QPointF& last, const QPointF& now) {
  return pan + (last - now);
}

int pictureWindowHeight(const QSizeF& picture, int width) {
  if (picture.width() <= 0) return kPictureWindowExtraHeight;
  return static_cast<int>(picture.height() * width / picture.width()) + kPictureWindowExtraHeight;
}

QSize pictureWindowSize(const QSizeF& picture) {
  const int width = std::min(static_cast<int>(picture.width()), kPictureWindowMaxWidth);
  return {width, pictureWindowHeight(picture, width)};
}

QSize scaledPictureSize(const QSize& picture, int percent) {
  const double s = percent / 100.0;
  return {static_cast<int>(std::floor(picture.width() * s)), static_cast<int>(std::floor(picture.height() * s))};
}

}  // namespace pravella
