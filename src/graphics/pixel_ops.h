#pragma once
// Pixel operations on picture values: mirror, transpose, 3 by 3 smoothing, picture to numbers
// and the density plot. Pictures come in and go out as their bytes; each returns 1, or 0
// after reporting a failure (a world that cannot be had fails without a message).

#include <QByteArray>

#include <cstdint>
#include <vector>

// flag 1 mirrors top to bottom, any other flag left to right.
int DoFlipPicture(const QByteArray& picture, int flag, QByteArray& out);
// Output pixel (x, y) is input pixel (y, x).
int DoTrnPicture(const QByteArray& picture, QByteArray& out);
// The channels whose flag is not 0 averaged over the 3 by 3 neighbourhood inside the picture.
int DoSmoothGraph(const QByteArray& picture, int red, int green, int blue, QByteArray& out);
// rows = height, columns = width; element (y, x) = trunc(red w1 + green w2 + blue w3) of the
// picture drawn over white. "Too Big Picture" when height x width x 4 exceeds 8,000,000.
int DoGetPictNum(const QByteArray& picture, std::vector<std::int32_t>& out, int& rows, int& columns, double w1,
                 double w2, double w3);
// `matrix` (rows x columns, row after row) is clamped in place when upper > lower; the picture
// is columns by rows pixels coloured through the colour table.
int DoDensityPlot(double* matrix, int rows, int columns, double upper, double lower, QByteArray& out);
