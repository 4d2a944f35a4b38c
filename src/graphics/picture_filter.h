#pragma once
// Kernel filtering of a picture value, channel by channel, and the outlier correction of a
// picture (each colour channel corrected as an image of numbers).

#include <QByteArray>

// The picture drawn over white, then for each pixel and each of red, green and blue: the
// integer sum of trunc(channel x kernel) over the taps inside the picture, divided by the
// number of those taps (truncating), plus `offset`, held to 0 .. 255. `kernel` is k x k,
// k odd. Returns 1 with the new picture in `out`, 0 without a message when the picture
// cannot be drawn or the sizes are bad.
int DoGraphProcess(const QByteArray& picture, const double* kernel, int k, int offset, QByteArray& out);

// The outlier correction of each colour channel of the picture with factor f and half-width
// k (gazoHosei on numbers). Returns 1 with the new picture in `out`, or 0.
int vkGazoHoseiPicture(const QByteArray& picture, double f, int k, QByteArray& out);
