#pragma once
// How a picture becomes the texture of a plot's faces: its rows bottom first, as OpenGL
// counts them, and only the largest power-of-two part that fits, cropped rather than scaled
// (300 by 200 gives 256 by 128), as the texture sizes of older renderers demand.

#include <QImage>

namespace pravella::gl {

// The largest power of two not above n (0 for n < 1).
int powerOfTwoBelow(int n);

// The texels of `image`: RGBA8888, the flipped rows cut to powerOfTwoBelow of each side. A
// null image for a null or empty one.
QImage textureImage(const QImage& image);

}  // namespace pravella::gl
