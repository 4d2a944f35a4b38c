#pragma once
// Threshold surfaces of a sampled grid by splitting every cube into tetrahedra (24 around the
// face and cube centres, or 5) and cutting each tetrahedron: a triangle soup, one triangle of
// nine reals (x, y, z of each vertex) a row. Samples stand at (x + 0.5, y + 0.5, z + 0.5).

namespace pravella::mesh {

// A point of a cut: position and value.
struct ValuePoint {
  double x, y, z, v;
};

// Largest value first, by exchange: a later point moves forward only when strictly greater.
void SortPointData(ValuePoint* points, int count);
// The point between a and b where the interpolated value equals the threshold.
ValuePoint LineAB(const ValuePoint& a, const ValuePoint& b, double threshold);
// Appends 0, 1 or 2 triangles (nine reals each) to `out` at `count`; returns the new count.
int terrahedronBoundary(const ValuePoint p[4], double threshold, double* out, int count);
// The triangles of one cube: fifteen points (eight corners in ring order, six face centres,
// the cube centre) or the eight corners; returns their count (at most 48, resp. 10).
int cubeBoundary(const ValuePoint p[15], double threshold, double* out);
int cubeBoundary_old(const ValuePoint p[8], double threshold, double* out);

// The grid of w columns and h x d rows (d slices of h rows); the triangles of non-zero area go
// to `out` (room for TNumber reals). 1 with *rows triangles and *cols 9, or 0 after "Too many
// Triangles" when they would not fit.
int volumeBoundary(const double* grid, int h, int w, int d, double threshold, double* out, int* rows,
                   int* cols);
int volumeBoundary_old(const double* grid, int h, int w, int d, double threshold, double* out, int* rows,
                       int* cols);

// The triangles without repeats: a triangle is dropped when an earlier kept one has the same
// three vertices (exact coordinates) in any order. 1 with *outCount rows, or 0 after "Too many
// Triangles" when count x 12 exceeds TNumber.
int deleteSameTriangle(const double* triangles, int count, double* out, int* outCount);

}  // namespace pravella::mesh
