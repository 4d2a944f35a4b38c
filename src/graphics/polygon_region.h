#pragma once
// Which grid cells or data points lie inside a polygon outline, by the drawing system's region
// of the outline: vertices rounded to whole coordinates, the outline closed, points tested as
// whole coordinates. Coordinates must fit the drawing system's 16 bits; a point outside that
// space is never inside.

// The m by n mask (1.0 inside, 0.0 outside) of the cells whose (column + 1, row + 1) lies in
// the region of the outline of `count` vertices (rows of x, y). Returns 1.
int DoRegion(const double* outline, int count, int m, int n, double* out);

// Copies the rows (`cols` values each, x and y first) of the k data rows whose truncated
// (x, y) lies in the region, in order, into out; *found is their number. Returns 1.
int doPointInRegion_short(const double* outline, int count, const double* data, int k, int cols, double* out,
                          int* found);
