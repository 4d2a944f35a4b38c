#pragma once
// A matrix shown as a colour image for the hand editors: one pixel an element, row 0 at the
// top, the colour of an element the row of the colour table at
// trunc((v - min) * 255 / (max - min)), clamped to 0..255; a value that is not a finite
// number takes row 0.

#include <QImage>

namespace pravella {

// The colour-table row of v.
int densityColorIndex(double v, double max, double min);

// The m x n matrix as an RGB image of n x m pixels (null without memory).
QImage densityPlotImage(const double* data, int m, int n, double max, double min);

// The colour range of the editors: the given one when min lies below max, else the data's
// extremes. False, with the reason reported, when those are equal (flat data).
bool densityRange(const double* data, int m, int n, double* max, double* min);

}  // namespace pravella
