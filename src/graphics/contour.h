#pragma once
// Contour plots as picture values: the level lines of a grid of heights, of a grid whose
// nodes carry their own picture coordinates, or of a triangle list, found triangle by
// triangle (marching triangles) and drawn as found: blue below the reference level, red at
// or above it.

#include <cstdint>

#include "graphics/picture.h"

// The picture size of the grid and triangle forms (200 by 200 at start).
extern int32_t topoHwin;
extern int32_t topoVwin;
// The contour picture size as at start (200 x 200), for a fresh language.
void resetTopoWindowSize();

// Sizes below 100 become 100. Returns 1.
int DoSetTopoWindowSize(int32_t width, int32_t height);

// Levels max, min, step, reference: used when max > min and step > 0; a negative step, or
// more than 10,000 levels, fails with "Invalid contourPlot parameters."; otherwise (max not
// above min, or step 0) the levels come from the data in 15 steps. Flat data fails with
// "Invalid contourPlot parameters.". Each returns 1 with the picture in `out`, or 0.
int DoGraphTopo(const double* z, int rows, int cols, double max, double min, double step, double reference,
                pravella::Picture& out);
int DoGraphTopoXY(int32_t width, int32_t height, const double* x, const double* y, const double* z, int rows,
                  int cols, double max, double min, double step, double reference, pravella::Picture& out);
// Triangles as 12 values each (three unused, x1, y1, x2, y2, x3, y3, h1, h2, h3); the extent
// (x min, x max, y min, y max) is used when it is not empty, else taken from the corners.
int DoSankakuTopo(const double* triangles, int count, double max, double min, double step, double reference,
                  double xmin, double xmax, double ymin, double ymax, pravella::Picture& out);
