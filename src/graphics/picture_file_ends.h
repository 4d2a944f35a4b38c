#pragma once
// Whether an image file's bytes end before its picture does. Some readers (GIF, BMP, a JPEG
// cut inside its last scan) hand back what they got and fill the rest, so a cut file would
// load as a picture that is not the file's; the formats' own structure shows the cut.

#include <QByteArray>

namespace pravella {

// True when `data`, read by Qt as `format` ("png", "jpeg", "gif", "bmp"), stops before the
// picture's last byte. Formats it does not walk are taken as whole.
bool pictureFileEndsEarly(const QByteArray& format, const QByteArray& data);

}  // namespace pravella
