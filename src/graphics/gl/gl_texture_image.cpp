#include "graphics/gl/gl_texture_image.h"

namespace pravella::gl {

int powerOfTwoBelow(int n) {
  if (n < 1) return 0;
  int p = 1;
  while (p <= n / 2) p *= 2;
  return p;
}

QImage textureImage(const QImage& image) {
  if (image.isNull() || image.width() < 1 || image.height() < 1) return {};
  const QImage flipped = image.convertToFormat(QImage::Format_RGBA8888).mirrored(false, true);
  return flipped.copy(0, 0, powerOfTwoBelow(image.width()), powerOfTwoBelow(image.height()));
}

}  // namespace pravella::gl
