// Eigenvalues and eigenvectors of a symmetric matrix by classical Jacobi rotations. Each step
// rotates away the off-diagonal element of largest magnitude (the first in row-major order on
// ties). Finding it by scanning the whole matrix costs O(n^2) a step and O(n^4) in all, so the
// largest element of each row and its first column are kept up to date instead: a rotation
// changes rows p and q and two elements of every other row, so a row needs a rescan only when
// its largest element sat in column p or q. The pivot, the rotation and its arithmetic are
// those of the full scan, so results are the same to the last bit.

#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

#include "lang/report.h"
#include "lang/stdlib/linear_algebra.h"

namespace {

// x = c x + s y and y = c y - s x over n elements of two rows that never overlap.
__attribute__((optimize("O3"))) void rotatePair(double* __restrict x, double* __restrict y, double c, double s,
                                                int n) {
  for (int k = 0; k < n; ++k) {
    const double a = x[k], b = y[k];
    x[k] = c * a + s * b;
    y[k] = c * b - s * a;
  }
}

class OffDiagonalMaxima {
 public:
  OffDiagonalMaxima(const double* w, int n) : w_(w), n_(n), max_(n), col_(n) {
    for (int i = 0; i < n; ++i) rescan(i);
  }

  // The largest |W(i, j)|, i != j, and its first position in row-major order; largest is -1
  // when no element is a number (NaN never compares larger, as in a plain scan).
  double largest(int* p, int* q) const {
    double best = -1.0;
    *p = *q = 0;
    for (int i = 0; i < n_; ++i)
      if (max_[i] > best) {
        best = max_[i];
        *p = i;
        *q = col_[i];
      }
    return best;
  }

  // After a rotation in the plane (p, q): rows p and q changed throughout, every other row k in
  // columns p and q only (read from rows p and q, which hold the same values).
  void rotated(int p, int q) {
    rescan(p);
    rescan(q);
    const double* rowP = w_ + static_cast<std::size_t>(p) * n_;
    const double* rowQ = w_ + static_cast<std::size_t>(q) * n_;
    for (int k = 0; k < n_; ++k) {
      if (k == p || k == q) continue;
      const double vp = std::fabs(rowP[k]), vq = std::fabs(rowQ[k]);
      // A maximum that sat in column p or q and did not shrink stays where it is.
      if (col_[k] == p || col_[k] == q) {
        const double v = col_[k] == p ? vp : vq;
        if (!(v >= max_[k])) {
          rescan(k);
          continue;
        }
        max_[k] = v;
      }
      offer(k, p, vp);
      offer(k, q, vq);
    }
  }

 private:
  void rescan(int i) {
    const double* row = w_ + static_cast<std::size_t>(i) * n_;
    double best = -1.0;
    int col = 0;
    for (int j = 0; j < i; ++j)
      if (std::fabs(row[j]) > best) {
        best = std::fabs(row[j]);
        col = j;
      }
    for (int j = i + 1; j < n_; ++j)
      if (std::fabs(row[j]) > best) {
        best = std::fabs(row[j]);
        col = j;
      }
    max_[i] = best;
    col_[i] = col;
  }

  // Column j of row k now holds a value of magnitude v.
  void offer(int k, int j, double v) {
    // Without branches: whether a new value wins is as good as random.
    const double m = max_[k];
    const int c = col_[k];
    const bool wins = (v > m) | ((v == m) & (j < c));
    max_[k] = wins ? v : m;
    col_[k] = wins ? j : c;
  }

  const double* w_;
  int n_;
  std::vector<double> max_;
  std::vector<int> col_;
};

}  // namespace

int jacobi(int n, const double* a, double* vectors, double* values) {
  if (n < 1) {
    error_disp("Invalid arguments.");
    return 0;
  }
  const std::size_t nn = static_cast<std::size_t>(n) * n;
  // Without an output for the vectors they are not formed (the values come out the same).
  const bool wantVectors = vectors != nullptr;
  std::vector<double> w, vt;
  try {
    w.assign(a, a + nn);
    if (wantVectors) vt.assign(nn, 0.0);
  } catch (const std::bad_alloc&) {
    error_disp("Invalid arguments.");
    return 0;
  }
  auto W = [&](int i, int j) -> double& { return w[static_cast<std::size_t>(i) * n + j]; };
  // The eigenvectors are kept as rows (the transpose of the result) so that a rotation of two
  // of them runs along memory.
  if (wantVectors)
    for (int i = 0; i < n; ++i) vt[static_cast<std::size_t>(i) * n + i] = 1.0;
  OffDiagonalMaxima maxima(w.data(), n);
  bool symmetric = true;
  for (int i = 0; i < n && symmetric; ++i)
    for (int j = 0; j < i; ++j)
      if (!(W(i, j) == W(j, i))) {
        symmetric = false;
        break;
      }

  const long long maxRotations = 2000LL * n;
  for (long long rotation = 0;; ++rotation) {
    int p = 0, q = 0;
    const double largest = maxima.largest(&p, &q);
    if (largest < 1e-10) break;  // also n = 1, where nothing is off the diagonal
    if (rotation >= maxRotations || std::isnan(largest)) {
      error_disp("Invalid arguments.");
      return 0;
    }
    const double wpq = W(p, q), wpp = W(p, p), wqq = W(q, q);
    const double d = wpp - wqq;
    const double root = std::hypot(d, 2 * wpq);
    // tan of the rotation angle, written so that the sum in the denominator never cancels.
    const double t = d >= 0 ? 2 * wpq / (d + root) : (root - d) / (2 * wpq);
    const double c = 1 / std::sqrt(t * t + 1);
    const double s = t * c;
    const double newPP = wpp * c * c + 2 * wpq * s * c + wqq * s * s;
    const double newQQ = wpp * s * s - 2 * wpq * s * c + wqq * c * c;
    W(p, p) = newPP;
    W(q, q) = newQQ;
    W(p, q) = W(q, p) = 0.0;
    if (symmetric) {
      // Rows p and q equal columns p and q: rotate the rows along memory (the elements at
      // p and q are set afterwards), then copy them into the columns.
      rotatePair(&W(p, 0), &W(q, 0), c, s, n);
      W(p, p) = newPP;
      W(q, q) = newQQ;
      W(p, q) = W(q, p) = 0.0;
      for (int k = 0; k < n; ++k) {
        W(k, p) = W(p, k);
        W(k, q) = W(q, k);
      }
    } else {
      // The columns are read, as they may differ from the rows before the first rotation.
      for (int k = 0; k < n; ++k) {
        if (k == p || k == q) continue;
        const double kp = W(k, p), kq = W(k, q);
        W(k, p) = W(p, k) = c * kp + s * kq;
        W(k, q) = W(q, k) = c * kq - s * kp;
      }
    }
    if (wantVectors)
      rotatePair(&vt[static_cast<std::size_t>(p) * n], &vt[static_cast<std::size_t>(q) * n], c, s, n);
    maxima.rotated(p, q);
  }
  for (int i = 0; i < n; ++i) values[i] = W(i, i);
  if (wantVectors)
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < n; ++k) vectors[static_cast<std::size_t>(k) * n + i] = vt[static_cast<std::size_t>(i) * n + k];
  return 1;
}
