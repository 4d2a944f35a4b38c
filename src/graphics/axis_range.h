#pragma once
// The nice axis range of the plots: a tick step of 1, 2, 2.5 or 5 times a power of ten giving
// at least five whole steps, and the ends widened to one step beyond a multiple of it. Also the
// walk along such a range that every tick and level loop takes.

// *upper and *lower (upper above lower) are widened in place and *step set. Returns 1, or 0
// after "Axis range overflow" when a value passes 1e300 in size, or after "Axis range too
// fine for the numbers" when the step does not move a value at the range's ends (a range of
// 32 at 1e+17, where the doubles are 16 apart, or one of 5e-324); the values are still set.
int AxisGet(double* upper, double* lower, double* step);

// Whether lo, lo + step, ... up to hi are numbers told apart: finite bounds, lo below hi, a
// step above the spacing of the doubles at the larger end, and at most maxSteps steps.
bool stepsApart(double lo, double hi, double step, double maxSteps);

// f(v) for v = lo + i step, i = 0, 1, ..., while v <= hi, at most maxCount times. Counted by
// index: a step added to a value it is below the spacing of would leave the value where it
// was, and a loop on `v <= hi` would never end.
template <typename F>
void forEachStep(double lo, double hi, double step, long long maxCount, F&& f) {
  for (long long i = 0; i < maxCount; ++i) {
    const double v = lo + static_cast<double>(i) * step;
    if (!(v <= hi)) return;
    f(v);
  }
}
