// Eigenvalues and eigenvectors of a symmetric matrix by classical Jacobi rotations. Each step
// rotates away the off-diagonal element of largest magnitude (the first in row-major order on
// ties). Finding it by scanning the whole matrix costs O(n^2) a step and O(n^4) in all, so the
// largest element of each row and its first column are kept up to date instead: a rotation
// changes rows p and q and two elements of every other row, so a row needs a rescan only when
// its largest element sat in column p or q. The pivot, the rotation and its arithmetic are
// those of the full scan, so results are the same to the last bit.

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/stdlib/linear_algebra.h"

namespace {

// x = c x + s y and y = c y - s x over n elements of two rows that never overlap (products
// and sums rounded one by one, without fused multiply-adds, in vectors or not).
__attribute__((optimize("O3"))) void rotatePairPlain(double* __restrict x, double* __restrict y, double c,
                                                     double s, int n) {
  for (int k = 0; k < n; ++k) {
    const double a = x[k], b = y[k];
    x[k] = c * a + s * b;
    y[k] = c * b - s * a;
  }
}

__attribute__((target("avx2"))) void rotatePairAvx2(double* x, double* y, double c, double s, int n) {
  const __m256d cv = _mm256_set1_pd(c), sv = _mm256_set1_pd(s);
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    const __m256d a = _mm256_loadu_pd(x + k), b = _mm256_loadu_pd(y + k);
    _mm256_storeu_pd(x + k, _mm256_add_pd(_mm256_mul_pd(cv, a), _mm256_mul_pd(sv, b)));
    _mm256_storeu_pd(y + k, _mm256_sub_pd(_mm256_mul_pd(cv, b), _mm256_mul_pd(sv, a)));
  }
  rotatePairPlain(x + k, y + k, c, s, n - k);
}

bool haveAvx2();

void rotatePair(double* x, double* y, double c, double s, int n) {
  if (haveAvx2())
    rotatePairAvx2(x, y, c, s, n);
  else
    rotatePairPlain(x, y, c, s, n);
}

bool haveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}

// The largest |row[j]| for j in [from, to), -1 when the range is empty or holds only NaN
// (max_pd returns its second operand when the first is NaN, so NaN never wins, as in a scan
// comparing each element with the best so far).
__attribute__((target("avx2"))) double maxAbsAvx2(const double* row, int from, int to) {
  const __m256d signless = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffLL));
  __m256d m0 = _mm256_set1_pd(-1.0), m1 = m0;
  int j = from;
  for (; j + 8 <= to; j += 8) {
    m0 = _mm256_max_pd(_mm256_and_pd(_mm256_loadu_pd(row + j), signless), m0);
    m1 = _mm256_max_pd(_mm256_and_pd(_mm256_loadu_pd(row + j + 4), signless), m1);
  }
  alignas(32) double lanes[4];
  _mm256_store_pd(lanes, _mm256_max_pd(m0, m1));
  double best = -1.0;
  for (double v : lanes) best = v > best ? v : best;
  for (; j < to; ++j) {
    const double v = std::fabs(row[j]);
    best = v > best ? v : best;
  }
  return best;
}

// The first j != skip with |row[j]| == value, for a value that some such element has.
__attribute__((target("avx2"))) int firstEqualAvx2(const double* row, int skip, int n, double value) {
  const __m256d signless = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffLL));
  const __m256d target = _mm256_set1_pd(value);
  int j = 0;
  for (; j + 4 <= n; j += 4) {
    const __m256d v = _mm256_and_pd(_mm256_loadu_pd(row + j), signless);
    unsigned mask = static_cast<unsigned>(_mm256_movemask_pd(_mm256_cmp_pd(v, target, _CMP_EQ_OQ)));
    if (skip >= j && skip < j + 4) mask &= ~(1u << (skip - j));
    if (mask != 0) return j + __builtin_ctz(mask);
  }
  for (; j < n; ++j)
    if (j != skip && std::fabs(row[j]) == value) return j;
  return 0;
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
    int k = 0;
    if (haveAvx2()) k = offerAvx2(p, q, rowP, rowQ);
    for (; k < n_; ++k) update(k, p, q, rowP, rowQ);
  }

 private:
  // Row k after the rotation in the plane (p, q).
  void update(int k, int p, int q, const double* rowP, const double* rowQ) {
    if (k == p || k == q) return;
    const double vp = std::fabs(rowP[k]), vq = std::fabs(rowQ[k]);
    // A maximum that sat in column p or q and did not shrink stays where it is.
    if (col_[k] == p || col_[k] == q) {
      const double v = col_[k] == p ? vp : vq;
      if (!(v >= max_[k])) {
        rescan(k);
        return;
      }
      max_[k] = v;
    }
    offer(k, p, vp);
    offer(k, q, vq);
  }

  // update() for four rows at a time while none of them is p or q or has its maximum there
  // (those few go through update()); the comparisons are offer()'s, lane by lane. Returns the
  // first row left to do.
  __attribute__((target("avx2"))) int offerAvx2(int p, int q, const double* rowP, const double* rowQ) {
    const __m256d signless = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffffLL));
    const __m128i pv = _mm_set1_epi32(p), qv = _mm_set1_epi32(q);
    const __m256i narrow = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
    int k = 0;
    for (; k + 4 <= n_; k += 4) {
      __m128i col = _mm_loadu_si128(reinterpret_cast<const __m128i*>(col_.data() + k));
      const __m128i rows = _mm_setr_epi32(k, k + 1, k + 2, k + 3);
      const __m128i special =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(col, pv), _mm_cmpeq_epi32(col, qv)),
                       _mm_or_si128(_mm_cmpeq_epi32(rows, pv), _mm_cmpeq_epi32(rows, qv)));
      if (_mm_movemask_epi8(special) != 0) {
        for (int l = k; l < k + 4; ++l) update(l, p, q, rowP, rowQ);
        continue;
      }
      __m256d m = _mm256_loadu_pd(max_.data() + k);
      for (int side = 0; side < 2; ++side) {
        const __m128i j = side == 0 ? pv : qv;
        const __m256d v = _mm256_and_pd(_mm256_loadu_pd((side == 0 ? rowP : rowQ) + k), signless);
        const __m256d earlier = _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm_cmpgt_epi32(col, j)));
        const __m256d wins = _mm256_or_pd(_mm256_cmp_pd(v, m, _CMP_GT_OQ),
                                          _mm256_and_pd(_mm256_cmp_pd(v, m, _CMP_EQ_OQ), earlier));
        m = _mm256_blendv_pd(m, v, wins);
        const __m128i wins32 =
            _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(_mm256_castpd_si256(wins), narrow));
        col = _mm_blendv_epi8(col, j, wins32);
      }
      _mm256_storeu_pd(max_.data() + k, m);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(col_.data() + k), col);
    }
    return k;
  }

  void rescan(int i) {
    const double* row = w_ + static_cast<std::size_t>(i) * n_;
    double best = -1.0;
    int col = 0;
    if (haveAvx2()) {
      best = std::max(maxAbsAvx2(row, 0, i), maxAbsAvx2(row, i + 1, n_));
      // The first element of that magnitude, as a scan in order keeps it.
      if (best >= 0) col = firstEqualAvx2(row, i, n_, best);
    } else {
      for (int j = 0; j < n_; ++j)
        if (j != i && std::fabs(row[j]) > best) {
          best = std::fabs(row[j]);
          col = j;
        }
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
    // A rotation is O(n) work, and a large matrix takes some n^2 of them.
    if (vkBreakHeld()) {
      error_disp(kVkBreakMessage);
      return 0;
    }
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
      for (int k = 0; k < n; ++k)
        vectors[static_cast<std::size_t>(k) * n + i] = vt[static_cast<std::size_t>(i) * n + k];
  return 1;
}
