#pragma once
// Sets of points in the plane (row-major doubles): the Gabriel graph, the nearest-point raster
// of valued points and the outline of a point cloud traced by gift wrapping. Each returns 1, or
// 0 after reporting through error_disp.

// For every pair i < j that no third point lies strictly inside the circle on i-j as diameter:
// x_i, y_i, x_j, y_j, i, j (indices from 0). `out` holds TNumber doubles; more than TNumber / 6
// edges is "To many lines".
int DoGabriel(const double* points, int n, double* out, int* outCount);

// The value of the nearest of the n (x, y, value) points at each cell of a height x width raster
// over region (x min, x max, y min, y max). `sizeAndOut` holds (width, height) on entry and the
// raster on return, the first row being the top (largest ordinate) of the region.
int DoVoronoi(const double* points, int n, const double* region, double* sizeAndOut);

// The outline of the n x 2 points, clockwise from the leftmost, closed: at most n + 1 rows of
// (x, y) in `out`, their count in *outCount. `work` holds 3n doubles; DoWrapping_new takes the
// neighbour distance r in work[0] and only steps to points nearer than r.
int DoWrapping(const double* points, int n, double* work, double* out, int* outCount);
int DoWrapping_new(const double* points, int n, double* work, double* out, int* outCount);
