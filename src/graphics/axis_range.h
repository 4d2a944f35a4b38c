#pragma once
// The nice axis range of the plots: a tick step of 1, 2, 2.5 or 5 times a power of ten giving
// at least five whole steps, and the ends widened to one step beyond a multiple of it.

// *upper and *lower (upper above lower) are widened in place and *step set. Returns 1, or 0
// after "Axis range overflow" when a value passes 1e300 in size (the values are still set).
int AxisGet(double* upper, double* lower, double* step);
