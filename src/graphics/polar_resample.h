#pragma once
// Resampling of data on a polar grid (one row per angle over a full turn, one column per unit
// of radius) into two rectangular images: one from the angles of the upper half-turn and one
// from the opposite angles. Each cell averages every polar sample within its angular and
// radial extent, so there are neither holes near the rim nor aliasing near the centre.

// The angular (-pi .. pi) and radial extent of the unit cell centred at (x, y).
void getPolarRangeFromRectanglarData(double x, double y, double* minAngle, double* maxAngle,
                                     double* minRadius, double* maxRadius);

// P is A x N (only the columns below N / 2 are read); out receives 2h x w values, the first
// image in rows 0 .. h - 1 and the second below it. h must be at least 2 and w at least 1 (the
// caller checks). Returns 1.
int DoPolarToRectangular(const double* P, int A, int N, double* out, int h, int w);
