#include "lang/stdlib/linear_algebra.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "lang/block_product.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/lu_blocked.h"
#include "lang/values.h"

namespace {

// A correction of the refinement no larger than this times the largest element of x changes
// x by a few units in its last place.
constexpr double kRoundingOfX = 4 * std::numeric_limits<double>::epsilon();

// Orders above 100 are refused by the built-in; the routine keeps the same bound so that its
// work area stays small.
constexpr int kDqrMaxOrder = 100;
// QR steps allowed without a deflation before the routine gives up; convergence normally
// takes a handful, so this only stops matrices holding NaN or that cycle despite the
// exceptional shifts.
constexpr int kDqrMaxSteps = 1000;
// Every this many steps without a deflation, one step takes an exceptional shift instead of
// the eigenvalues of the trailing 2 x 2 block, which breaks the cycles the standard shift can
// fall into.
constexpr int kDqrExceptionalEvery = 10;

// row -= f x pivotRow over n elements; the rows never overlap, which lets the loop vectorise.
// (Vectorising it needs more than -O2's cheapest cost model, which refuses loops of unknown length.)
// Like the loops below, it has copies for AVX-512 and AVX2 (the same operations in wider vectors,
// never fused, so every copy gives the same bits), picked when the program loads.
__attribute__((optimize("O3", "fp-contract=off"), target_clones("avx512f", "avx2", "default"))) void
subtractScaledRow(double* __restrict row, const double* __restrict pivotRow, double f, int n) {
  for (int j = 0; j < n; ++j) row[j] -= f * pivotRow[j];
}

// The largest magnitude in a row (NaN elements are not looked for: a matrix holding one has
// no meaningful solution anyway).
__attribute__((optimize("O3", "finite-math-only", "no-signed-zeros"),
               target_clones("avx512f", "avx2", "default"))) double
rowMaxAbs(const double* row, int n) {
  double m = 0.0;
  for (int j = 0; j < n; ++j) {
    const double a = std::fabs(row[j]);
    m = a > m ? a : m;
  }
  return m;
}

// The equilibration's loops along rows: row /= d; m[j] = max(m[j], |row[j]|); row[j] /= d[j].
__attribute__((optimize("O3"), target_clones("avx512f", "avx2", "default"))) void divideRow(double* row,
                                                                                            double d, int n) {
  for (int j = 0; j < n; ++j) row[j] /= d;
}
__attribute__((optimize("O3"), target_clones("avx512f", "avx2", "default"))) void raiseToMagnitudes(
    double* __restrict m, const double* __restrict row, int n) {
  for (int j = 0; j < n; ++j) {
    const double a = std::fabs(row[j]);
    m[j] = a > m[j] ? a : m[j];
  }
}
// row[j] /= d[j], the result kept in copy too.
__attribute__((optimize("O3"), target_clones("avx512f", "avx2", "default"))) void divideRowByEach(
    double* __restrict row, double* __restrict copy, const double* __restrict d, int n) {
  for (int j = 0; j < n; ++j) copy[j] = row[j] /= d[j];
}

// The work area of DQR_main. Entries outside the active block read as 0 and are not written,
// so the QR step needs no special cases at the block's lower right corner.
class QrWork {
 public:
  explicit QrWork(int n) : n_(n), a_(static_cast<std::size_t>(n) * n, 0.0) {}
  double& at(int i, int j) { return a_[static_cast<std::size_t>(i) * n_ + j]; }
  double get(int i, int j, int m) const {
    return (i > m || j > m) ? 0.0 : a_[static_cast<std::size_t>(i) * n_ + j];
  }
  void sub(int i, int j, int m, double v) {
    if (i <= m && j <= m) a_[static_cast<std::size_t>(i) * n_ + j] -= v;
  }

 private:
  int n_;
  std::vector<double> a_;
};

// Householder similarity transforms to upper Hessenberg form.
bool reduceToHessenberg(QrWork& w, int n) {
  std::vector<double> u(n), p(n), q(n);
  for (int k = 0; k + 2 < n; ++k) {
    double sigma = 0.0;
    for (int i = k + 1; i < n; ++i) sigma += w.at(i, k) * w.at(i, k);
    // A column that is already reduced needs no transform (dividing by its zero norm would
    // make every later value NaN).
    if (sigma == 0.0) continue;
    double s = std::sqrt(sigma);
    if (w.at(k + 1, k) > 0) s = -s;
    std::fill(u.begin(), u.end(), 0.0);
    for (int i = k + 1; i < n; ++i) u[i] = w.at(i, k);
    u[k + 1] -= s;
    const double h = sigma - s * w.at(k + 1, k);
    if (h < 0 || std::sqrt(2 * h) == 0) {
      error_disp("No result");
      return false;
    }
    const double norm = std::sqrt(2 * h);
    for (int i = k + 1; i < n; ++i) u[i] /= norm;
    double kk = 0.0;
    for (int i = 0; i < n; ++i) {
      double sum = 0.0;
      for (int j = k + 1; j < n; ++j) sum += w.at(i, j) * u[j];
      p[i] = sum;
      kk += u[i] * sum;
    }
    for (int j = 0; j < n; ++j) {
      double sum = 0.0;
      if (j >= k)
        for (int i = k + 1; i < n; ++i) sum += u[i] * w.at(i, j);
      q[j] = sum;
    }
    for (int i = 0; i < n; ++i) {
      const double left = u[i];
      const double right = 2 * (p[i] - kk * u[i]);
      for (int j = 0; j < n; ++j) w.at(i, j) -= left * 2 * (q[j] - kk * u[j]) + right * u[j];
    }
    // What the transform annihilates is zero in exact arithmetic; keep it so.
    for (int i = k + 2; i < n; ++i) w.at(i, k) = 0.0;
  }
  return true;
}

// A subdiagonal element splits the active block when it is negligible beside its two diagonal
// neighbours (beside the block's largest element when both are 0). A fixed absolute bound
// would split matrices of small scale too early and never split those of large scale.
bool negligible(QrWork& w, int i, int m) {
  double scale = std::fabs(w.at(i - 1, i - 1)) + std::fabs(w.at(i, i));
  if (scale == 0.0)
    for (int r = 0; r <= m; ++r)
      for (int c = std::max(r - 1, 0); c <= m; ++c) scale = std::max(scale, std::fabs(w.at(r, c)));
  return std::fabs(w.at(i, i - 1)) <= std::numeric_limits<double>::epsilon() * scale;
}

// One implicit double-shift step on the unreduced block l .. m (m - l >= 2). The shift is the
// pair of eigenvalues of the trailing 2 x 2 block, or for an exceptional step an ad hoc pair
// of the size of the last two subdiagonal elements. Confining the step to the rows and
// columns below a split keeps the negligible subdiagonal element there from stopping the
// bulge (the block below it would then never converge).
void doubleShiftStep(QrWork& w, int l, int m, bool exceptional) {
  const double a = w.get(m - 1, m - 1, m), b = w.get(m - 1, m, m);
  const double c = w.get(m, m - 1, m), d = w.get(m, m, m);
  double t = a + d;
  double det = a * d - b * c;
  if (exceptional) {
    const double s = std::fabs(c) + std::fabs(w.get(m - 1, m - 2, m));
    t = 1.5 * s;
    det = s * s;
  }
  const int l1 = l + 1, l2 = l + 2;
  double x = w.get(l, l, m) * w.get(l, l, m) + w.get(l, l1, m) * w.get(l1, l, m) - t * w.get(l, l, m) + det;
  double y = w.get(l1, l, m) * (w.get(l, l, m) + w.get(l1, l1, m) - t);
  double z = w.get(l1, l, m) * w.get(l2, l1, m);
  for (int k = l; k < m; ++k) {
    if (k > l) {
      x = w.get(k, k - 1, m);
      y = w.get(k + 1, k - 1, m);
      z = w.get(k + 2, k - 1, m);
    }
    double s = std::hypot(x, y, z);  // entries past 1e+154 would square to infinity
    if (x > 0) s = -s;
    // x - s is 0 only when x, y and z all are: the column is already reduced and the
    // reflector would be the identity.
    if (x - s == 0) continue;
    const double u1 = y / (x - s), u2 = z / (x - s);
    const double beta = 2 / (1 + u1 * u1 + u2 * u2);
    for (int j = std::max(k - 1, l); j <= m; ++j) {
      const double v = beta * (w.get(k, j, m) + u1 * w.get(k + 1, j, m) + u2 * w.get(k + 2, j, m));
      w.sub(k, j, m, v);
      w.sub(k + 1, j, m, u1 * v);
      w.sub(k + 2, j, m, u2 * v);
    }
    const int last = std::min(m, k + 3);
    for (int i = 0; i <= last; ++i) {
      const double v = beta * (w.get(i, k, m) + u1 * w.get(i, k + 1, m) + u2 * w.get(i, k + 2, m));
      w.sub(i, k, m, v);
      w.sub(i, k + 1, m, u1 * v);
      w.sub(i, k + 2, m, u2 * v);
    }
  }
}

}  // namespace

int DQR_main(const double* a, int n, double* out) {
  if (n < 1 || n > kDqrMaxOrder) {
    error_disp("Invalid arguments.");
    return 0;
  }
  QrWork w(n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) w.at(i, j) = a[static_cast<std::size_t>(i) * n + j];
  if (!reduceToHessenberg(w, n)) return 0;

  double* re = out;
  double* im = out + n;
  int m = n - 1;
  int steps = 0;
  while (m >= 0) {
    if (m == 0) {
      re[0] = w.at(0, 0);
      im[0] = 0.0;
      break;
    }
    // The lowest split of the active block: the block below it is worked on.
    int l = m;
    while (l > 0 && !negligible(w, l, m)) --l;
    if (l == m) {
      re[m] = w.at(m, m);
      im[m] = 0.0;
      --m;
      steps = 0;
      continue;
    }
    if (l == m - 1) {
      const double pa = w.at(m - 1, m - 1), pb = w.at(m - 1, m);
      const double pc = w.at(m, m - 1), pd = w.at(m, m);
      const double t = pa + pd;
      const double det = pa * pd - pb * pc;
      const double disc = t * t - 4 * det;
      if (disc > 0) {
        // The root of larger size first, the other from the product, so neither loses
        // digits to cancellation.
        const double r1 = t >= 0 ? (t + std::sqrt(disc)) / 2 : (t - std::sqrt(disc)) / 2;
        if (r1 == 0) {
          error_disp("No result");
          return 0;
        }
        re[m - 1] = r1;
        re[m] = det / r1;
        im[m - 1] = im[m] = 0.0;
      } else {
        re[m - 1] = re[m] = t / 2;
        im[m - 1] = -std::sqrt(std::fabs(disc)) / 2;
        im[m] = std::sqrt(std::fabs(disc)) / 2;
      }
      m -= 2;
      steps = 0;
      continue;
    }
    if (++steps > kDqrMaxSteps) {
      error_disp("No result");
      return 0;
    }
    doubleShiftStep(w, l, m, steps % kDqrExceptionalEvery == 0);
  }
  return 1;
}

int epsiron(const double* x, double* out, int n, double* work) {
  if (n < 1) return 1;
  auto e = [&](int k, int c) -> double& { return work[static_cast<std::size_t>(k) * n + c]; };
  for (int c = 0; c < n; ++c) e(0, c) = x[c];
  for (int c = 0; c + 1 < n; ++c) e(1, c) = 1 / (x[c + 1] - x[c]);
  for (int k = 1; k + 1 < n; ++k)
    for (int c = 0; c + k + 1 < n; ++c) e(k + 1, c) = e(k - 1, c + 1) + 1 / (e(k, c + 1) - e(k, c));
  for (int i = 0; i < n / 2; ++i) out[i] = e(2 * i, 0);
  return 1;
}

int DoInv(double* a, int* pivots, double* out, int rows, int cols, double* det) {
  if (rows != cols) {
    error_disp("Invalid matrix size.");
    return 0;
  }
  bool broken = false;
  if (!invertWithPivots(a, pivots, out, rows, det, &broken)) {
    error_disp(broken ? kVkBreakMessage : "pivot error");
    return 0;
  }
  return 1;
}

bool invertWithPivots(double* a, int* pivots, double* out, int n, double* det, bool* broken) {
  // LU factors with the pivot rule of Gauss-Jordan elimination (in each column the largest
  // element above 1e-6, the first on ties), then the inverse from them: the same pivots and
  // determinant, with the work in blocks that stay in cache.
  const int failed = luFactor(a, n, n, pivots, 1e-6);
  if (failed == kLuBroken && broken) *broken = true;
  if (failed != -1) return false;
  double d = 1.0;
  for (int k = 0; k < n; ++k) {
    if (pivots[k] != k) d = -d;
    d *= a[static_cast<std::size_t>(k) * n + k];
  }
  std::fill(out, out + static_cast<std::size_t>(n) * n, 0.0);
  for (int i = 0; i < n; ++i) out[static_cast<std::size_t>(i) * n + i] = 1.0;
  if (!luSolve(a, n, n, pivots, out, n, n)) {
    if (broken) *broken = true;
    return false;
  }
  *det = d;
  return true;
}

int Renritsu(double* a, double* b, double* x, int n, int m) {
  auto A = [&](int i, int j) -> double& { return a[static_cast<std::size_t>(i) * n + j]; };
  auto B = [&](int i, int j) -> double& { return b[static_cast<std::size_t>(i) * m + j]; };
  for (int k = 0; k < n; ++k) {
    int pivotRow = -1;
    double largest = 1e-10;
    for (int i = k; i < n; ++i)
      if (std::fabs(A(i, k)) > largest) {
        largest = std::fabs(A(i, k));
        pivotRow = i;
      }
    if (pivotRow < 0) {
      error_disp("Invalid data.");
      return 0;
    }
    if (pivotRow != k) {
      for (int j = 0; j < n; ++j) std::swap(A(k, j), A(pivotRow, j));
      for (int j = 0; j < m; ++j) std::swap(B(k, j), B(pivotRow, j));
    }
    const double pivot = A(k, k);
    for (int j = k; j < n; ++j) A(k, j) /= pivot;
    for (int j = 0; j < m; ++j) B(k, j) /= pivot;
    for (int i = 0; i < n; ++i) {
      if (i == k) continue;
      const double f = A(i, k);
      if (f == 0.0) continue;
      for (int j = k; j < n; ++j) A(i, j) -= f * A(k, j);
      for (int j = 0; j < m; ++j) B(i, j) -= f * B(k, j);
    }
  }
  std::copy(b, b + static_cast<std::size_t>(n) * m, x);
  return 1;
}

int Renritsu_dec(double* a, int n, int stride, int* rowPivots, int* colPivots) {
  auto A = [&](int i, int j) -> double& { return a[static_cast<std::size_t>(i) * stride + j]; };
  // The largest element of the remaining submatrix, scanned row by row (a strictly larger
  // value replaces the candidate). The first is searched directly; each later one while the
  // elimination updates exactly that submatrix in the same order, which saves a pass.
  int pr = 0, pc = 0;
  double largest = -1.0;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (std::fabs(A(i, j)) > largest) {
        largest = std::fabs(A(i, j));
        pr = i;
        pc = j;
      }
  for (int k = 0; k + 1 < n; ++k) {
    if (vkBreakHeld()) {
      error_disp(kVkBreakMessage);
      return 0;
    }
    rowPivots[k] = pr;
    colPivots[k] = pc;
    if (pr != k)
      for (int j = k; j < n; ++j) std::swap(A(k, j), A(pr, j));
    if (pc != k)
      for (int i = 0; i < n; ++i) std::swap(A(i, k), A(i, pc));
    const double pivot = A(k, k);
    for (int j = k + 1; j < n; ++j) A(k, j) /= pivot;
    pr = pc = k + 1;
    largest = -1.0;
    for (int i = k + 1; i < n; ++i) {
      const double f = A(i, k);
      double* row = &A(i, k + 1);
      if (f != 0.0) subtractScaledRow(row, &A(k, k + 1), f, n - k - 1);
      // Only a row whose largest element beats the candidate is searched for its first one.
      const double rowLargest = rowMaxAbs(row, n - k - 1);
      if (rowLargest > largest) {
        largest = rowLargest;
        pr = i;
        for (int j = k + 1; j < n; ++j)
          if (std::fabs(row[j - k - 1]) == rowLargest) {
            pc = j;
            break;
          }
      }
    }
  }
  return 1;
}

void Renritsu_sol(const double* lu, double* x, const double* b, int n, int stride, const int* rowPivots,
                  const int* colPivots) {
  auto A = [&](int i, int j) { return lu[static_cast<std::size_t>(i) * stride + j]; };
  std::copy(b, b + n, x);
  for (int k = 0; k + 1 < n; ++k) {
    if (rowPivots[k] != k) std::swap(x[k], x[rowPivots[k]]);
    x[k] /= A(k, k);
    for (int i = k + 1; i < n; ++i) x[i] -= x[k] * A(i, k);
  }
  if (n > 0) x[n - 1] /= A(n - 1, n - 1);
  for (int k = n - 2; k >= 0; --k) {
    double sum = 0.0;
    for (int j = k + 1; j < n; ++j) sum += A(k, j) * x[j];
    x[k] -= sum;
  }
  for (int k = n - 2; k >= 0; --k)
    if (colPivots[k] != k) std::swap(x[k], x[colPivots[k]]);
}

namespace {

// b[i] - row i of A times x for Rows consecutive rows, each summed in order with Kahan's
// compensation. The rows' chains are independent, so running them side by side hides the
// latency of each one's additions.
template <int Rows>
void compensatedResiduals(const double* a, const double* x, const double* b, double* r, int n, int stride) {
  double sum[Rows], carry[Rows];
  const double* row[Rows];
  for (int k = 0; k < Rows; ++k) {
    sum[k] = b[k];
    carry[k] = 0.0;
    row[k] = a + static_cast<std::size_t>(k) * stride;
  }
  for (int j = 0; j < n; ++j)
    for (int k = 0; k < Rows; ++k) {
      const double term = -row[k][j] * x[j] - carry[k];
      const double next = sum[k] + term;
      carry[k] = (next - sum[k]) - term;
      sum[k] = next;
    }
  for (int k = 0; k < Rows; ++k) r[k] = sum[k];
}

// A row's residual from its vector lanes: b, then the lanes' sums, less their carries, then
// the terms past the last whole vector, added with compensation. Kept out of line and
// unfused, so that every vector path rounds its fold alike.
__attribute__((noinline, optimize("fp-contract=off"))) double foldLanes(double b, const double* sums,
                                                                        const double* carries, int lanes,
                                                                        const double* rowTail,
                                                                        const double* xTail, int tail) {
  double total = b, comp = 0.0;
  auto add = [&](double v) {
    const double term = v - comp;
    const double next = total + term;
    comp = (next - total) - term;
    total = next;
  };
  for (int l = 0; l < lanes; ++l) add(sums[l]);
  for (int l = 0; l < lanes; ++l) add(-carries[l]);
  for (int jj = 0; jj < tail; ++jj) add(-rowTail[jj] * xTail[jj]);
  return total;
}

// The same for four rows with AVX: each row is summed in four compensated lanes (elements
// j = 0, 1, 2, 3 mod 4), and the lanes are then added with compensation too.
__attribute__((target("avx2"))) void compensatedResiduals4Avx(const double* a, const double* x,
                                                              const double* b, double* r, int n, int stride) {
  __m256d sum[4], carry[4];
  const double* row[4];
  for (int k = 0; k < 4; ++k) {
    sum[k] = _mm256_setzero_pd();
    carry[k] = _mm256_setzero_pd();
    row[k] = a + static_cast<std::size_t>(k) * stride;
  }
  int j = 0;
  for (; j + 4 <= n; j += 4) {
    const __m256d xv = _mm256_loadu_pd(x + j);
    for (int k = 0; k < 4; ++k) {
      const __m256d term = _mm256_sub_pd(
          _mm256_sub_pd(_mm256_setzero_pd(), _mm256_mul_pd(_mm256_loadu_pd(row[k] + j), xv)), carry[k]);
      const __m256d next = _mm256_add_pd(sum[k], term);
      carry[k] = _mm256_sub_pd(_mm256_sub_pd(next, sum[k]), term);
      sum[k] = next;
    }
  }
  for (int k = 0; k < 4; ++k) {
    alignas(32) double s[4], c[4];
    _mm256_store_pd(s, sum[k]);
    _mm256_store_pd(c, carry[k]);
    r[k] = foldLanes(b[k], s, c, 4, row[k] + j, x + j, n - j);
  }
}

// The same in eight lanes with AVX-512, the tail in masked lanes (zero terms change no sum).
// The compensation must not be fused into the products.
__attribute__((target("avx512f"), optimize("fp-contract=off"))) void compensatedResiduals4Avx512(
    const double* a, const double* x, const double* b, double* r, int n, int stride) {
  __m512d sum[4], carry[4];
  const double* row[4];
  for (int k = 0; k < 4; ++k) {
    sum[k] = _mm512_setzero_pd();
    carry[k] = _mm512_setzero_pd();
    row[k] = a + static_cast<std::size_t>(k) * stride;
  }
  for (int j = 0; j < n; j += 8) {
    const __mmask8 lanes = n - j >= 8 ? 0xff : static_cast<__mmask8>((1u << (n - j)) - 1);
    const __m512d xv = _mm512_maskz_loadu_pd(lanes, x + j);
    for (int k = 0; k < 4; ++k) {
      const __m512d product = _mm512_mul_pd(_mm512_maskz_loadu_pd(lanes, row[k] + j), xv);
      const __m512d term = _mm512_sub_pd(_mm512_sub_pd(_mm512_setzero_pd(), product), carry[k]);
      const __m512d next = _mm512_add_pd(sum[k], term);
      carry[k] = _mm512_sub_pd(_mm512_sub_pd(next, sum[k]), term);
      sum[k] = next;
    }
  }
  for (int k = 0; k < 4; ++k) {
    alignas(64) double s[8], c[8];
    _mm512_store_pd(s, sum[k]);
    _mm512_store_pd(c, carry[k]);
    r[k] = foldLanes(b[k], s, c, 8, nullptr, nullptr, 0);
  }
}

}  // namespace

void Renritsu_racc(const double* a, const double* x, const double* b, double* r, int n, int stride) {
  // Kahan summation: the residual is the small difference of large terms.
  int i = 0;
  const SimdPath path = blockProductPath();
  for (; i + 4 <= n; i += 4) {
    const double* rows = a + static_cast<std::size_t>(i) * stride;
    if (path == SimdPath::Avx512)
      compensatedResiduals4Avx512(rows, x, b + i, r + i, n, stride);
    else if (path == SimdPath::Avx2)
      compensatedResiduals4Avx(rows, x, b + i, r + i, n, stride);
    else
      compensatedResiduals<4>(rows, x, b + i, r + i, n, stride);
  }
  for (; i < n; ++i)
    compensatedResiduals<1>(a + static_cast<std::size_t>(i) * stride, x, b + i, r + i, n, stride);
}

void Renritsu_cpm(const double* src, double* dst, int n, int stride) {
  for (int i = 0; i < n; ++i)
    std::copy(src + static_cast<std::size_t>(i) * stride, src + static_cast<std::size_t>(i) * stride + n,
              dst + static_cast<std::size_t>(i) * stride);
}

int Leqacc(double* a, double* x, double* b, int n, int stride) {
  if (n < 1) return 1;
  std::vector<int> rowPivots, colPivots;
  std::vector<double> colScale, residual, correction, before;
  // The copy of the matrix is written before it is read: no zero-filling of n x n doubles.
  std::unique_ptr<double[]> saved;
  try {
    rowPivots.resize(n);
    colPivots.resize(n);
    saved.reset(new double[static_cast<std::size_t>(n) * stride]);
    colScale.resize(n);
    residual.resize(n);
    correction.resize(n);
    before.resize(n);
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation on Renritsu");
    return 0;
  }
  auto A = [&](int i, int j) -> double& { return a[static_cast<std::size_t>(i) * stride + j]; };
  // A pass of the refinement that left every bit of x as it was (and no element not a number)
  // ends it: each further pass would compute the same residual and leave x as it is.
  auto unchanged = [&](const double* now) {
    if (std::memcmp(now, before.data(), sizeof(double) * n) != 0) return false;
    return std::none_of(now, now + n, [](double v) { return std::isnan(v); });
  };

  // The column maxima gathered row by row, as each row is scaled, so that the matrix is read
  // along memory and twice in all (the second time scaled by columns and copied).
  std::fill(colScale.begin(), colScale.end(), 0.0);
  for (int i = 0; i < n; ++i) {
    const double largest = rowMaxAbs(&A(i, 0), n);
    divideRow(&A(i, 0), largest, n);
    b[i] /= largest;
    raiseToMagnitudes(colScale.data(), &A(i, 0), n);
  }
  for (int i = 0; i < n; ++i)
    divideRowByEach(&A(i, 0), saved.get() + static_cast<std::size_t>(i) * stride, colScale.data(), n);
  // Row pivoting in blocks factors the equilibrated matrix fast, and the refinement below
  // brings the solution to the accuracy of complete pivoting. A column without a non-zero
  // pivot (a singular or nearly singular matrix, or one holding NaN) falls back to complete
  // pivoting, which decides those cases as it always has.
  const int failed = luFactor(a, n, stride, rowPivots.data(), 0.0);
  if (failed == kLuBroken) {
    error_disp(kVkBreakMessage);
    return 0;
  }
  if (failed == -1) {
    std::copy(b, b + n, x);
    luSolve(a, n, stride, rowPivots.data(), x, 1, 1);
    // The refinement stops, as LAPACK's does, once a correction is within the rounding of x
    // or no longer half the one before: the passes after it would only stir the last bits.
    double lastCorrection = std::numeric_limits<double>::infinity();
    for (int pass = 0; pass < 5; ++pass) {
      Renritsu_racc(saved.get(), x, b, residual.data(), n, stride);
      luSolve(a, n, stride, rowPivots.data(), residual.data(), 1, 1);
      double correction = 0.0, size = 0.0;
      for (int i = 0; i < n; ++i) {
        correction = std::max(correction, std::fabs(residual[i]));
        x[i] += residual[i];
        size = std::max(size, std::fabs(x[i]));
      }
      if (correction <= kRoundingOfX * size || correction > lastCorrection / 2) break;
      lastCorrection = correction;
    }
  } else {
    Renritsu_cpm(saved.get(), a, n, stride);
    if (!Renritsu_dec(a, n, stride, rowPivots.data(), colPivots.data())) return 0;
    Renritsu_sol(a, x, b, n, stride, rowPivots.data(), colPivots.data());
    for (int pass = 0; pass < 5; ++pass) {
      Renritsu_racc(saved.get(), x, b, residual.data(), n, stride);
      Renritsu_sol(a, correction.data(), residual.data(), n, stride, rowPivots.data(), colPivots.data());
      std::copy(x, x + n, before.data());
      for (int i = 0; i < n; ++i) x[i] += correction[i];
      if (unchanged(x)) break;
    }
  }
  for (int j = 0; j < n; ++j) x[j] /= colScale[j];
  return 1;
}

int get_circuit_node(const double* circuit, int k) {
  int largest = 0;
  for (int r = 0; r < k; ++r) {
    largest = std::max(largest, vkTruncToInt(circuit[r * 4 + 1]));
    largest = std::max(largest, vkTruncToInt(circuit[r * 4 + 2]));
  }
  return largest;
}

int Do_R_Circuit(const double* circuit, int k, double* out, int* outSize, int mode) {
  const int nodes = get_circuit_node(circuit, k);
  long long sources = 0;
  for (int r = 0; r < k; ++r)
    if (vkTruncToInt(circuit[r * 4]) == 1) ++sources;
  const long long nl = nodes + sources;
  // The matrix G is as big as a value may be; the system written out has one column more.
  const long long elements = nl * (mode == 1 ? nl : nl + 1);
  if (nl * nl > TNumber || elements > TNumber) {
    error_disp("Too big circuit");
    return 0;
  }
  const int n = static_cast<int>(nl);
  std::vector<double> g, rhs;
  try {
    g.assign(static_cast<std::size_t>(n) * n, 0.0);
    rhs.assign(n, 0.0);
  } catch (const std::bad_alloc&) {
    error_disp("Too big circuit");
    return 0;
  }
  auto G = [&](int i, int j) -> double& { return g[static_cast<std::size_t>(i) * n + j]; };
  auto used = [&](int i) { return i >= 0 && i < n; };
  int sourceIndex = 0;
  for (int r = 0; r < k; ++r) {
    const int kind = vkTruncToInt(circuit[r * 4]);
    const int na = vkTruncToInt(circuit[r * 4 + 1]) - 1;
    const int nb = vkTruncToInt(circuit[r * 4 + 2]) - 1;
    const double value = circuit[r * 4 + 3];
    switch (kind) {
      case 2: {
        const double cond = 1 / value;
        if (used(na)) G(na, na) += cond;
        if (used(nb)) G(nb, nb) += cond;
        if (used(na) && used(nb)) {
          G(na, nb) -= cond;
          G(nb, na) -= cond;
        }
        break;
      }
      case 1: {
        const int m = nodes + sourceIndex++;
        if (used(na)) {
          G(m, na) -= 1;
          G(na, m) += 1;
        }
        if (used(nb)) {
          G(m, nb) += 1;
          G(nb, m) -= 1;
        }
        rhs[m] += value;
        break;
      }
      case 0:
        if (used(na)) rhs[na] -= value;
        if (used(nb)) rhs[nb] += value;
        break;
      default:
        error_disp("unknown device");
        return 0;
    }
  }
  *outSize = n;
  if (mode == 1) return Leqacc(g.data(), out, rhs.data(), n, n);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) out[static_cast<std::size_t>(i) * (n + 1) + j] = G(i, j);
    out[static_cast<std::size_t>(i) * (n + 1) + n] = rhs[i];
  }
  return 1;
}
