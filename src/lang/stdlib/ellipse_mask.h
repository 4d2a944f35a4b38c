#pragma once
// The elliptic mask of the picture-statistics routines.

// Fills out (rows x cols, row-major) with 1.0 where the element lies in the ellipse centred on
// (centreRow, centreCol) with the half-axes rowRadius and colRadius, else 0.0. The ellipse is
// the oval inscribed in the cells from centre - radius to centre + radius, both included; a
// negative half-axis gives an empty mask. Returns 1.
int DoEllipse(int rows, int cols, int centreRow, int centreCol, int rowRadius, int colRadius, double* out);
