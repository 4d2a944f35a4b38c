#pragma once
// Drawing a picture value into an erased (white) world of its frame size: how every pixel
// operation starts.

#include <QByteArray>
#include <QImage>

namespace pravella {

// The picture drawn over white into `world` (opaque ARGB32 of the frame size). Reports
// "Invalid PICT." and returns false for bytes that are not a picture we can read.
bool drawPictureIntoWorld(const QByteArray& picture, QImage& world);

}  // namespace pravella
