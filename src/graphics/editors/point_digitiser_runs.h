#pragma once
// The digitiser's runs for programs: points given and returned in the language's convention
// (x the 1-based column from the left, y the 1-based row from the top), converted to and from
// the digitiser's image pixels (y up) with the image height H: x' = x - 1, y' = H - y + 1.

#include <QPointF>

#include <array>
#include <string>
#include <vector>

namespace pravella {

// The points of the last panel run in the language's convention.
std::vector<QPointF>& originalPoints();

// Prepares the digitiser's memory once at start-up. Returns 1.
int initGetPointsMemory();

// The title of the next digitiser panel run.
void DoSetTitleOnGetPictPoints(const std::string& title);

// The distinct corners of `count` triangles (9 values a row: x, y, z of each corner; corners
// are the same when x and y are exactly equal) in order of first appearance, and each
// triangle's corner indices.
void convertTrianglesDataAndPoints(const double* triangles, int count, std::vector<QPointF>* corners,
                                   std::vector<std::array<int, 3>>* indices);

// Whether a program's point list (2 columns) or triangle list (9 columns) fits the digitiser:
// at most 10,000 points, or 10,000 triangles with at most 10,000 distinct corners.
bool digitiserInputFits(const double* list, int rows, int cols);

// Runs the digitiser on the picture on the clipboard, starting from the list (rows 0: none).
// `out` receives the result, *outRows by *outCols (2 for points or a line, 9 for triangles).
// Returns 1 when the panel was accepted; 0 without a picture or when cancelled.
int DoGetPictPoints(const double* list, int rows, int cols, std::vector<double>* out, int* outRows, int* outCols);

// Runs the digitiser on the density image of the m x n matrix, starting from the outline
// (`count` points); `mask` receives m x n values, 1.0 inside the outline accepted. Returns 1
// when accepted; 0 (without a message) for flat data or a cancelled run.
int DoDensityPlotEdit2(int m, int n, const double* data, double max, double min, const double* outline,
                       int count, double* mask);

// The points of the last panel run, pairs in `out`; 0 when there are none.
int getDensityPlotEditPointsData(std::vector<double>* out, int* count);

}  // namespace pravella
