#pragma once
// Picture values and the images the vision routines work on meet here. The routines (in the
// media module) take and give RGB32 images: one becomes a picture by pixel recording (the
// graph titles are stamped on it and copyBitsMode applies), and a picture becomes one by
// drawing it over white.

#include <QImage>

#include <cstddef>

#include "graphics/picture.h"

// 1 with the image recorded into `picture`; 0 when the image is null (the module refuses
// images that are not 8-bit blue-green-red) or no off-screen world can be made.
int IplImage2pict(const QImage& image, pravella::Picture& picture);

// The picture drawn over white, an RGB32 image of its frame size. 0 (and a null image) when
// the picture's bytes are refused.
int pictData2IplImage(const void* bytes, std::size_t length, QImage& image);
