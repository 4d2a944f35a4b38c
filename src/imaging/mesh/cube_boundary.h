#pragma once
// Threshold surfaces cube by cube with the polygons assembled at run time from two small cube
// tables (which corners share an edge, which edges share a face) instead of a case table. The
// grid is a real matrix of n columns and d x n rows: d square slices of n x n stacked
// downwards, sample (x, y, z) at row z x n + y, column x.

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/mesh/mesh_lists.h"

// The triangulation rule of polygons: 1 (at start) maximises the smallest angle, 0 minimises
// it. Process-wide; the language's start-up sets it back to 1.
extern std::int32_t kakudoStatus;
int changeKakudoStatus(std::int32_t value);

namespace pravella::mesh {

// One cut vertex of a cube: the point, its edge (0 .. 11) and the edge's corners.
struct CutVertex {
  Point3 p;
  int edge, a, b;
};
using Polygon = std::vector<int>;  // cube vertex numbers, 3 or more

// The cut vertices and polygons of one cube; corners numbered k x 4 + j x 2 + i, each
// (x, y, z, value). Returns 1.
int cubeBoundary_A(const double corners[8][4], double threshold, std::vector<CutVertex>& vertices,
                   std::vector<Polygon>& polygons);

// The angle at b between the directions to a and c; 2 pi when either has (almost) no length.
double kakudo(const std::vector<Point3>& p, int a, int b, int c);
double minKakudo(const std::vector<Point3>& p, int a, int b, int c);
// The m - 2 triangles of a polygon: a fan whose diagonals are flipped by the angle rule.
std::vector<std::array<int, 3>> makeTrianglesFromPolygon(const std::vector<Point3>& p,
                                                         const Polygon& polygon);

// The surface of the grid as a vertex list and triangles (every polygon triangulated) or
// polygons (those of more than six vertices split so that a row of seven holds them). 0 after
// "Too many Triangles" when a list would pass its capacity.
int volumeBoundary_Sub3(const double* grid, int rows, int cols, double threshold, VertexList& vertices,
                        std::vector<std::array<int, 3>>& triangles);
int volumeBoundary_Sub2(const double* grid, int rows, int cols, double threshold, VertexList& vertices,
                        std::vector<Polygon>& polygons);

// The result matrices in `out` (TNumber reals): 3 columns (vertex count row, vertices, triangle
// count row, triangles) and 7 columns (vertex count row, vertices, polygon count row, polygons
// as count and numbers). 1 with *outRows, or 0 after "Too many Triangles".
int volumeBoundary_3(const double* grid, int rows, int cols, double threshold, double* out, int* outRows,
                     VertexList::Search search = VertexList::Search::Hash);
int volumeBoundary_2(const double* grid, int rows, int cols, double threshold, double* out, int* outRows);

}  // namespace pravella::mesh
