#pragma once
// Height-matrix surfaces: a matrix drawn as a surface over the unit square with the shared 3-D
// view, painted far to near. doM3D gives a white mesh with black lines, doM3Dcolor colours each
// cell by its value through the colour table.

#include "graphics/picture.h"

// Each returns 1 with a new picture in `out`, or 0 without a message. The two mode values are
// accepted for the callers' form and not read.
int doM3D(int mode1, int mode2, const double* values, int rows, int cols, pravella::Picture& out);
int doM3Dcolor(int mode1, int mode2, const double* values, int rows, int cols, pravella::Picture& out);

// out = min(upper, v), then max(lower, that), times factor, element by element. Returns 1.
int limitData(int rows, int cols, const double* in, double* out, double upper, double lower, double factor);
