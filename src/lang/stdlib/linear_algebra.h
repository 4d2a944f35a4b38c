#pragma once
// Dense linear algebra of the language: eigenvalues of general and symmetric matrices, Wynn's
// epsilon acceleration, inverse and determinant with row pivoting, linear systems with
// equilibration, pivoting and iterative refinement, and the resistor-circuit solver.
// Matrices are row-major doubles. Each routine returns 1, or 0 after reporting through
// error_disp.

// Eigenvalues of a general real n x n matrix (1 <= n <= 100) by Householder reduction to
// Hessenberg form and double-shift QR (a subdiagonal element splits the matrix when it is
// negligible beside its diagonal neighbours; every tenth step without a split takes an
// exceptional shift; "No result" after 1000 such steps). `out` receives 2 x n values: row 0 the real parts,
// row 1 the imaginary parts, in the order of the diagonal positions where they were found.
int DQR_main(const double* a, int n, double* out);

// Eigenvalues and eigenvectors of a symmetric n x n matrix by classical Jacobi rotations
// (each rotating away the largest off-diagonal element), in O(n^3). `vectors`
// (n x n) holds the eigenvectors in its columns, `values` (n) the eigenvalues, same order;
// `vectors` may be null when only the values are wanted. The held button stops it between
// rotations with the break message.
int jacobi(int n, const double* a, double* vectors, double* values);

// Wynn's epsilon algorithm over the n values of `x`; `out` receives n / 2 accelerated values,
// `work` needs n x n doubles.
int epsiron(const double* x, double* out, int n, double* work);

// Inverse with the pivots of Gauss-Jordan elimination (in each column the largest element
// above 1e-6, else "pivot error"), computed from blocked LU factors. `a` (rows x cols) is
// destroyed, `pivots` needs n integers, `out` receives the n x n inverse and *det the
// determinant.
int DoInv(double* a, int* pivots, double* out, int rows, int cols, double* det);
// The same inverse of an n x n matrix without a report: false where DoInv says "pivot error",
// and where the held button stopped it, which sets *broken when given.
bool invertWithPivots(double* a, int* pivots, double* out, int n, double* det, bool* broken = nullptr);

// Solves A X = B (A n x n, B n x m, both destroyed) by Gauss-Jordan elimination into X.
int Renritsu(double* a, double* b, double* x, int n, int m);

// Solves A x = b (A n x n with row stride `stride`; A and b are scaled in place) with row and
// column equilibration, blocked LU with row pivoting (complete pivoting when a column has no
// non-zero pivot) and five passes of iterative refinement.
int Leqacc(double* a, double* x, double* b, int n, int stride);

// The pieces of Leqacc: LU factors with complete pivoting in place (lower triangle: the
// multipliers with the pivots on the diagonal; upper: a unit triangle), the solve with them,
// the compensated residual r = b - A x, and a copy of an n x n block. The factors and Leqacc
// end with the break message when the held button stops them.
int Renritsu_dec(double* a, int n, int stride, int* rowPivots, int* colPivots);
void Renritsu_sol(const double* lu, double* x, const double* b, int n, int stride, const int* rowPivots,
                  const int* colPivots);
void Renritsu_racc(const double* a, const double* x, const double* b, double* r, int n, int stride);
void Renritsu_cpm(const double* src, double* dst, int n, int stride);

// The largest node number of a circuit (k rows of kind, node, node, value).
int get_circuit_node(const double* circuit, int k);

// Modified nodal analysis of a resistor circuit. Mode 1 writes the n unknowns (node
// potentials, then one current per voltage source); any other mode writes the n x (n + 1)
// system (each row of G followed by its right side). *outSize = n either way. `out` holds
// TNumber doubles.
int Do_R_Circuit(const double* circuit, int k, double* out, int* outSize, int mode);
