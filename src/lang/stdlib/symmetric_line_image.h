#pragma once
// An image (rows x cols doubles, row-major) mirrored about the line through two points.

// `line` is x1, y1, x2, y2 (x the column, y the row). Each output element takes the bilinear
// interpolation at its mirror point, or 0 when that point lies outside the interpolable area
// (x' below cols - 1 and y' below rows - 1 are required). 0 without a message, and nothing
// written, when the two points coincide.
int DoSymmetricLineImage(const double* image, int rows, int cols, const double* line, double* out);
