#pragma once
// The cut of one triangle by a level (marching triangles), shared by the contour plots and the
// contour lines of coloured surfaces, and the guarded segment drawing they use.

#include "graphics/offscreen_world.h"

namespace pravella {

// Corners (x, y, height) and the level: 1 with the segment where the level cuts the
// triangle, 0 when it does not (all corners above, all below, or all on the level).
int cross(const double p1[3], const double p2[3], const double p3[3], double level, double* x1, double* y1,
          double* x2, double* y2);

// Draws the segment with the world's pen, coordinates truncated; nothing (0) when a
// coordinate is beyond 30,000 in size.
int line(OffScreenWorld& world, double x1, double y1, double x2, double y2);

}  // namespace pravella
