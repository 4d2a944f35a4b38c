#pragma once
// The densities and integrals of the chi-square, Student t and F distributions, and the beta
// function, for any number of degrees of freedom. The closed forms with the gamma function of
// the numeric helpers give the results for small degrees of freedom; where their products
// overflow or underflow (from about 170 on) the same quantities are computed in log space.

// log gamma(x) for x > 0, with Stirling's series for large x.
double logGamma(double x);
// log B(a, b) for a, b > 0, without the cancellation of large log gammas.
double logBeta(double a, double b);

// The probability of drawing x white of `drawn` from an urn of `white` and `black` (whole,
// not negative counts, x within what the draw allows), to full precision for any counts.
double hypergeometricProbability(double x, double white, double black, double drawn);

// The regularised lower incomplete gamma function P(a, x) for a > 0, x >= 0.
double regularizedGammaP(double a, double x);

// The chi-square density with n degrees of freedom (n >= 1) at each of count values x.
void chiSquareDensity(const double* x, long long count, int n, double* out);
// The Student t density with nu degrees of freedom (nu > 0) at each of count values t.
void tDensity(const double* t, long long count, double nu, double* out);
