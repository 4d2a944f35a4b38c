#pragma once
// Threshold surfaces from the samples themselves: samples on the surface of the region above
// the threshold become vertices, each cube gives the hull faces of its surface samples, faces
// shared by two cubes cancel, and every vertex is then pulled onto the threshold level towards
// its outside neighbours. The grid is laid out as for the cube polygons (n columns, square
// slices stacked downwards). Also written as a text 3DMF mesh file.

#include <array>
#include <string>
#include <vector>

#include "imaging/mesh/mesh_lists.h"

namespace pravella::mesh {

// The surface: its vertices (all points of the cubes that gave faces, relocated) and triangles
// of vertex numbers. 0 after "Too many Triangles" when a list would pass its capacity.
int volumeBoundary_Sub(const double* grid, int rows, int cols, double threshold, VertexList& vertices,
                       std::vector<std::array<int, 3>>& triangles);

// The triangles as rows of nine reals in `out` (TNumber reals): 1 with *outRows, or 0.
int volumeBoundary_1(const double* grid, int rows, int cols, double threshold, double* out, int* outRows);

// The 3DMF text of a mesh.
std::string meshTo3DMF(const std::vector<Point3>& vertices, const std::vector<std::array<int, 3>>& triangles);
// Writes the surface as a 3DMF file (relative names resolve against the working folder),
// replacing any old file whole; "Can't open the save file(3DMF)." and 0 when it cannot be
// written.
int volumeBoundary_3DMF(const double* grid, int rows, int cols, double threshold, const std::string& name);

}  // namespace pravella::mesh
