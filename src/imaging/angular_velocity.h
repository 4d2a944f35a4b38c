#pragma once
// Kinematic figures of a tracked path: a real matrix with one row per sample and three
// columns, time t, x and y. The angular velocity of three consecutive samples is measured
// about the circle through them; the straightness of a stretch of path is its chord over the
// length walked. Pure functions: they report nothing and never fail.

namespace pravella::motion {

// Angular velocity (radians per unit of t) of the triple P0, P1, P2 given as nine reals, row
// after row (t, x, y). Positive when the path turns counter-clockwise in the x-y plane; 0 for
// collinear or repeated points and when the first and last times are equal.
double DoKakusokudo(const double* triple);

// The same triple's angular velocity, circle centre x, centre y and radius, into out[0..3];
// all four 0 for collinear or repeated points.
void DoKakusokudo2(const double* triple, double* out);

// Over a path of `rows` samples (rows >= 3): one row per inner sample i = 1 .. rows - 2 of the
// triple around it. DoAVelocity writes (t_i, omega), DoAVelocity2 (t_i, omega, cx, cy, r).
void DoAVelocity(const double* path, int rows, double* out);
void DoAVelocity2(const double* path, int rows, double* out);

// Straightness over sliding windows of n samples (3 <= n <= rows): one row per window start,
// (mean time of the window, chord / path length); -1 in place of the ratio when the samples of
// the window do not move. rows - n + 1 rows.
void DoMokuteki(const double* path, int rows, int n, double* out);

}  // namespace pravella::motion
