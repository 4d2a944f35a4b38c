#pragma once
// Which grid cells or data points lie inside a polygon outline (rows of x, y, closed
// implicitly). Three tests: the drawing system's region of the outline (vertices rounded to
// whole coordinates, points tested as whole coordinates, within the drawing system's 16 bits:
// a point outside that space is never inside), a ray-crossing count toward a random far point,
// and an area comparison. In the last two a vertex equal to the one before it counts once.

// The m by n mask (1.0 inside, 0.0 outside) of the cells whose (column + 1, row + 1) lies in
// the region of the outline of `count` vertices (rows of x, y). Returns 1.
int DoRegion(const double* outline, int count, int m, int n, double* out);

// Copies the rows (`cols` values each, x and y first) of the k data rows whose truncated
// (x, y) lies in the region, in order, into out; *found is their number. Returns 1.
int doPointInRegion_short(const double* outline, int count, const double* data, int k, int cols, double* out,
                          int* found);

// A random point on the circle of the radius around (cx, cy), from drand48; logs it.
void getOuterPoint(double cx, double cy, double radius, double* x, double* y);

// The data rows inside by ray crossing (a point on an edge is inside), in order. Returns 0
// without a message when the outline's bounding box has no width or no height. This and the
// area test end with the break message when the held button stops them.
int DoRegionPoints(const double* outline, int count, const double* data, int k, int cols, double* out,
                   int* found);

// The data rows inside by the area test: a point is inside when inserting it into the
// outline at its nearest edge makes the area smaller. Returns 1, or 0 after the break message.
int DoRegionPointsMenseki(const double* outline, int count, const double* data, int k, int cols, double* out,
                          int* found);
