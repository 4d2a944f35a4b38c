#pragma once
// The surface mesh file of "savePlot3Ddata": a parametric surface (x, y, z matrices of one
// shape) with a colour per vertex from the colour table, written as a vertex list, a vertex
// colour list and a list of four-cornered faces. Every number is little-endian whatever the
// volume byte order says, with no header and no padding:
//   n (int32), n vertices (x, y, z as float32), n (int32), n colours (red, green, blue as
//   float32, the table byte / 256), q (int32), q faces (four int32 vertex indices).

#include <QByteArray>

#include <string>

// The file's bytes: values c pick the colours over the range (high, low); high equal to low
// takes c's own range, high below low gives black everywhere. Matrices are row-major, rows and
// cols at least 2.
QByteArray plot3DMeshBytes(const double* c, const double* x, const double* y, const double* z,
                           const double range[2], int rows, int cols);

// Writes the mesh file to `name` (relative names resolve against the working folder). The
// file is replaced whole or not at all: when it cannot be written, "Can't open the save
// file." and 0, with an existing file left as it was. 1 after writing.
int saveParametricPlot3DData(const double* c, const double* x, const double* y, const double* z,
                             const double range[2], int rows, int cols, const std::string& name);
