#pragma once
// The language's own random generator (a generalised feedback shift register of 521 words on
// the trinomial x^521 + x^32 + 1, separate from the C library's rand), normal random numbers,
// the beta function, the F, Student t and multivariate normal distributions, log factorials,
// greatest common divisors, row matching and Fisher's exact test. Matrices are row-major
// doubles. Each routine returns 1, or 0 after reporting.
//
// The generator state is process-wide and unguarded: draws belong to the running program's
// thread, one run at a time.

#include <cstdint>

// Fills and warms up the state from the seed; the next draw is a regeneration.
void init_rnd(uint32_t seed);
// Seeds the generator (start-up and the built-in of the same name). Returns 1.
int M_Rand_Seed(uint32_t seed);
// The next word, and the next word scaled to [0, 1).
uint32_t irnd();
double rnd();

// rows x cols uniform values in [0, 1).
int M_Rand(int rows, int cols, double* out);

// params: rows, cols (truncated), sigma, mean. rows x cols values by the cosine half of the
// Box-Muller pair. "Invalid size." for an empty or too big shape or sigma not above 0.
int DoNormalRandom(const double* params, double* out);
// One normal value from the two uniform draws u1 (first) and u2: a u1 of 0 counts as the
// generator's smallest step, 2^-32.
double boxMuller(double u1, double u2, double sigma, double mean);

// B(a, b) through the gamma function of the numeric helpers.
int DoBeta(double a, double b, double* out);
// The F density with m and n degrees of freedom at x (0 below 0); fewer than one degree of
// freedom, or one that is not a finite number, is refused.
int DoFDist(double x, double m, double n, double* out);

// P(T <= t) and 1 - P(T <= t) for Student's t with n degrees of freedom (a whole number, at
// least 1). The built-ins' routines truncate n and refuse one below 1 with "Invalid arguments.".
double p_t_distribution(double n, double t);
double q_t_distribution(double n, double t);
int DoIntTDistDown(const double* t, int rows, int cols, double n, double* out);
int DoIntTDistUp(const double* t, int rows, int cols, double n, double* out);

// The log density, at each of the m points (m x d), of the normal distribution fitted to the
// k x d data. The real form centres data and points in place; the integer form leaves them.
int DoMultiNormalDistribution(double* data, int k, int d, double* points, int m, double* out);
int DoMultiNormalDistribution_short(const int32_t* data, int k, int d, const int32_t* points, int m,
                                    double* out);

// log(n!) (0 below 2), and per element of trunc(v).
double taisuKaijyou_keisan(int n);
int taisuKaijyou(const double* in, double* out, int rows, int cols);

// Euclid's remainder loop (0 when both are 0), and the divisor common to every element (each
// cut toward zero; one that is not a number or does not fit in 64 bits is refused).
int32_t greatestCommonDivisor(int32_t a, int32_t b);
long long greatestCommonDivisor64(long long a, long long b);
int nGreatestCommonDivisor(const double* values, int rows, int cols, double* out);

// For each row of a, the index (from 0) of the first row of b equal to it after truncation,
// or 0 when none is.
int DoMach(const double* a, int rows, int cols, const double* b, int m, int cols2, double* out);

// Hypergeometric probability of the 2 x 2 table [a, b; c, d].
double fisherNonePara_keisan(long long a, long long b, long long c, long long d);
// Counts are taken whole up to this total (below it every count and margin is a double
// exactly).
inline constexpr long long kFisherCountLimit = 9007199254740992LL;  // 2^53
// Every table with the margins of [a, b; c, d] as rows (v, a + b - v, a + c - v, d - a + v, P);
// a negative count is refused ("bad matrix"), and so are counts adding up to kFisherCountLimit
// or more.
int fisherNonePara(long long a, long long b, long long c, long long d, double* out, int* count);
