#pragma once
// The gamma function and the power of the numeric helpers, shared by the distributions
// (beta, F, chi-square, t).

// gamma(x): the argument is reduced below 1 by the recurrence, then the polynomial 6.1.36 of
// Abramowitz and Stegun gives gamma(1 + t). Meaningless at or below 0. Writes *out, returns 1.
int SubGamma(double x, double* out);

// a to the power b as exp(log(a) b), with no special cases.
double ZoTpow(double a, double b);
