#pragma once
// The pieces of a layered network of logistic units, so that a program writes its own
// training loop: weighted sums, the logistic output, back-propagated sums and deltas. A
// weight matrix W is m x n, row-major; row i holds the weights from the n inputs into unit i.

// s(u) = 1 / (e^-u + 1) and its derivative s(u) (1 - s(u)).
double neuroFunc(double u);
double neuroDifFunc(double u);

// out[i] = sum over j of W[i][j] x[j] (m outputs).
int neuroNet(const double* x, const double* w, int m, int n, double* out);
// out[i] = s(u[i]).
int neuroOut(const double* u, int n, double* out);
// out[j] = sum over i of d[i] W[i][j] (n outputs).
int neuroDif(const double* d, const double* w, int m, int n, double* out);
// out[i] = e[i] s(u[i]) (1 - s(u[i])).
int neuroDelta(const double* e, const double* u, int n, double* out);
