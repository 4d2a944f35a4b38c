#include "lang/stdlib/spline.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "lang/report.h"
#include "lang/values.h"

namespace {

std::size_t at(long long r, int cols, int c) { return static_cast<std::size_t>(r * cols + c); }

int invalidArguments() {
  error_disp("Invalid arguments.");
  return 0;
}

bool strictlyIncreasing(const double* x, int n) {
  for (int i = 1; i < n; ++i)
    if (!(x[i] > x[i - 1])) return false;
  return true;
}

// Second derivatives of the natural spline through n knots.
void naturalMoments(const double* x, const double* y, int n, std::vector<double>& moments) {
  std::vector<double> rows(static_cast<std::size_t>(3 * n), 0.0), rhs(static_cast<std::size_t>(n), 0.0),
      copy(static_cast<std::size_t>(3 * n));
  rows[1] = 2;
  rows[static_cast<std::size_t>(3 * (n - 1) + 1)] = 2;
  for (int i = 1; i + 1 < n; ++i) {
    const double h0 = x[i] - x[i - 1], h1 = x[i + 1] - x[i];
    const double d0 = (y[i] - y[i - 1]) / h0, d1 = (y[i + 1] - y[i]) / h1;
    const double lambda = h1 / (h0 + h1);
    rows[at(i, 3, 0)] = 1 - lambda;
    rows[at(i, 3, 1)] = 2;
    rows[at(i, 3, 2)] = lambda;
    rhs[static_cast<std::size_t>(i)] = 6 * (d1 - d0) / (h0 + h1);
  }
  moments.assign(static_cast<std::size_t>(n), 0.0);
  obi3(rows.data(), rhs.data(), n, moments.data(), copy.data());
}

// Evaluates the spline of the given moments at t.
double splineAt(const double* x, const double* y, const std::vector<double>& M, int n, double t) {
  // The first interval whose right knot is not left of t (within 1e-17).
  const double* found = std::partition_point(x + 1, x + n, [t](double knot) { return knot - t < -1e-17; });
  if (found == x + n) return y[n - 1];
  const int i = static_cast<int>(found - x);
  const double h = x[i] - x[i - 1];
  const double a = x[i] - t, b = t - x[i - 1];
  const double m0 = M[static_cast<std::size_t>(i - 1)], m1 = M[static_cast<std::size_t>(i)];
  return (a * a * a * m0 + b * b * b * m1) / (6 * h) + (y[i - 1] - m0 * h * h / 6) * a / h +
         (y[i] - m1 * h * h / 6) * b / h;
}

// One pass of a resize: `count` vectors of n samples (`stride` apart within a vector, `step`
// apart between vectors) resampled to m samples by `resample`.
template <typename Resample>
void resizePass(const double* in, double* out, int count, int n, int m, long long inStride, long long inStep,
                long long outStride, long long outStep, Resample resample) {
  std::vector<double> src(static_cast<std::size_t>(n)), dst(static_cast<std::size_t>(m));
  for (int v = 0; v < count; ++v) {
    for (int i = 0; i < n; ++i) src[static_cast<std::size_t>(i)] = in[v * inStep + i * inStride];
    if (n == m)
      dst = src;
    else
      resample(src.data(), n, dst.data(), m);
    for (int i = 0; i < m; ++i) out[v * outStep + i * outStride] = dst[static_cast<std::size_t>(i)];
  }
}

void splineResample(const double* v, int n, double* out, int m) {
  std::vector<double> knots(static_cast<std::size_t>(n)), points(static_cast<std::size_t>(m));
  for (int i = 0; i < n; ++i) knots[static_cast<std::size_t>(i)] = i;
  for (int k = 0; k < m; ++k) points[static_cast<std::size_t>(k)] = static_cast<double>(n - 1) / (m - 1) * k;
  Zspline(knots.data(), v, points.data(), out, n, m);
}

void newtonResample(const double* v, int n, double* out, int m) { DoNewtonHokan(v, n, out, m); }

template <typename Resample>
int resize(const double* in, double* work, double* out, int rows, int cols, int newRows, int newCols,
           int minimum, Resample resample) {
  if (rows <= 0 || cols <= 0 || newRows <= 0 || newCols <= 0 ||
      static_cast<long long>(newRows) * newCols > TNumber || static_cast<long long>(rows) * newCols > TNumber)
    return invalidArguments();
  // A pass that changes a size needs enough samples to fit its curve and two new positions.
  if (cols != newCols && (cols < minimum || newCols < 2)) return invalidArguments();
  if (rows != newRows && (rows < minimum || newRows < 2)) return invalidArguments();
  try {
    resizePass(in, work, rows, cols, newCols, 1, cols, 1, newCols, resample);
    resizePass(work, out, newCols, rows, newRows, newCols, 1, newCols, 1, resample);
  } catch (const std::bad_alloc&) {
    error_disp("Memory allocation error.(hokan)");
    return 0;
  }
  return 1;
}

// B-spline basis of order k at x: the k functions that can be non-zero there, N[left-k ..
// left-1] (1-based, as the knots t[1..K]), by the Cox-de Boor recursion.
int basisAt(const std::vector<double>& t, int K, int k, double x, std::vector<double>& N,
            std::vector<double>& dr, std::vector<double>& dl) {
  int left = K - k + 1;
  for (int j = 1; j <= K; ++j)
    if (t[static_cast<std::size_t>(j)] > x) {
      left = j;
      break;
    }
  // A point outside the knots uses the nearest piece rather than functions that do not exist.
  left = std::clamp(left, k + 1, K - k + 1);
  const int l = left - 1;  // x lies in [t[l], t[l + 1])
  N[0] = 1;
  for (int j = 0; j + 1 < k; ++j) {
    dr[static_cast<std::size_t>(j)] = t[static_cast<std::size_t>(l + 1 + j)] - x;
    dl[static_cast<std::size_t>(j)] = x - t[static_cast<std::size_t>(l - j)];
    double saved = 0;
    for (int i = 0; i <= j; ++i) {
      const double span = dr[static_cast<std::size_t>(i)] + dl[static_cast<std::size_t>(j - i)];
      const double term = span != 0 ? N[static_cast<std::size_t>(i)] / span : 0.0;
      N[static_cast<std::size_t>(i)] = saved + dr[static_cast<std::size_t>(i)] * term;
      saved = dl[static_cast<std::size_t>(j - i)] * term;
    }
    N[static_cast<std::size_t>(j + 1)] = saved;
  }
  for (int a = 0; a < k; ++a)
    if (N[static_cast<std::size_t>(a)] < 1e-10) N[static_cast<std::size_t>(a)] = 0;
  return left;
}

}  // namespace

void obi3(const double* rows, const double* b, int n, double* x, double* copy) {
  if (n <= 0) return;
  std::copy(rows, rows + 3 * n, copy);
  for (int i = 0; i < n; ++i) x[i] = b[i];
  // Forward elimination: each row made unit-diagonal, its multiple removed from the next.
  double d = copy[1];
  copy[2] /= d;
  x[0] /= d;
  for (int i = 1; i < n; ++i) {
    const double sub = copy[at(i, 3, 0)];
    d = copy[at(i, 3, 1)] - sub * copy[at(i - 1, 3, 2)];
    copy[at(i, 3, 2)] /= d;
    x[i] = (x[i] - sub * x[i - 1]) / d;
  }
  for (int i = n - 2; i >= 0; --i) x[i] -= copy[at(i, 3, 2)] * x[i + 1];
}

void Zspline(const double* x, const double* y, const double* xx, double* yy, int n, int m) {
  std::vector<double> M;
  naturalMoments(x, y, n, M);
  for (int k = 0; k < m; ++k) yy[k] = splineAt(x, y, M, n, xx[k]);
}

int DoHokan(const double* in, double* work, double* out, int rows, int cols, int newRows, int newCols) {
  return resize(in, work, out, rows, cols, newRows, newCols, 2, splineResample);
}

int DoHokanN(const double* in, double* work, double* out, int rows, int cols, int newRows, int newCols) {
  return resize(in, work, out, rows, cols, newRows, newCols, 3, newtonResample);
}

double NewtonInterpolation(double x0, double y0, double x1, double y1, double x2, double y2, double t) {
  const double s1 = (y1 - y0) / (x1 - x0);
  const double s2 = (y2 - y1) / (x2 - x1);
  return y0 + (t - x0) * (s1 + (s2 - s1) * (t - x1) / (x2 - x0));
}

int DoNewtonHokan(const double* v, int n, double* out, int m) {
  if (n < 3 || m < 2) return invalidArguments();
  auto quadratic = [v, n](double from, double t) {
    const int j = std::clamp(static_cast<int>(std::trunc(from)), 0, n - 3);
    return NewtonInterpolation(j, v[j], j + 1, v[j + 1], j + 2, v[j + 2], t);
  };
  for (int k = 0; k < m; ++k) {
    const double t = static_cast<double>(k) * (n - 1) / (m - 1);
    const double q1 = quadratic(t, t), q2 = quadratic(t - 1, t);
    out[k] = q1 * (t - std::trunc(t)) + q2 * (std::trunc(t + 1) - t);
  }
  return 1;
}

int DoSpline(const double* knots, const double* values, const double* points, int n, int cols, int m,
             double* out) {
  if (n < 2 || !strictlyIncreasing(knots, n)) {
    error_disp("Invalid data");
    return 0;
  }
  for (int k = 0; k < m; ++k)
    if (!(points[k] >= knots[0] && points[k] <= knots[n - 1])) {
      error_disp("Invalid data");
      return 0;
    }
  try {
    std::vector<double> column(static_cast<std::size_t>(n)), M;
    for (int c = 0; c < cols; ++c) {
      for (int i = 0; i < n; ++i) column[static_cast<std::size_t>(i)] = values[at(i, cols, c)];
      naturalMoments(knots, column.data(), n, M);
      for (int k = 0; k < m; ++k) out[at(k, cols, c)] = splineAt(knots, column.data(), M, n, points[k]);
    }
  } catch (const std::bad_alloc&) {
    error_disp("Can't heap the memory");
    return 0;
  }
  return 1;
}

bool slicePositionsIncrease(const double* d, int n) {
  double position = 0;
  for (int k = 0; k < n; ++k) {
    const double next = k == 0 ? d[0] : position + d[k];
    if (!std::isfinite(next) || (k > 0 && !(next > position))) return false;
    position = next;
  }
  return true;
}

int DoNewtonHokan2(const double* y, const double* d, int n, double* out, int m) {
  if (n < 2 || m < 2 || !slicePositionsIncrease(d, n)) return invalidArguments();
  // The spline depends only on where the samples lie between the first and the last, so the
  // abscissae are taken as fractions of that span (the first increment, an offset, drops out):
  // the result is then the same for increments of 1e+150 or 1e-290 as for ones near 1, whose
  // powers in the spline would overflow or underflow. The increments are summed in units of
  // the largest, so that equal increments give the same fractions whatever their size.
  double largest = 0;
  for (int i = 0; i < n; ++i) {
    if (!std::isfinite(d[i])) return invalidArguments();
    largest = std::max(largest, std::fabs(d[i]));
  }
  if (largest == 0) return invalidArguments();
  try {
    std::vector<double> x(static_cast<std::size_t>(n)), points(static_cast<std::size_t>(m));
    x[0] = 0;
    for (int i = 1; i < n; ++i)
      x[static_cast<std::size_t>(i)] = x[static_cast<std::size_t>(i - 1)] + d[i] / largest;
    const double span = x[static_cast<std::size_t>(n - 1)];
    for (int i = 1; i < n; ++i) x[static_cast<std::size_t>(i)] /= span;
    // An increment too small beside the others to move its abscissa leaves two samples at one
    // place, between which the spline has nothing to interpolate.
    if (!strictlyIncreasing(x.data(), n)) return invalidArguments();
    for (int k = 0; k < m; ++k) points[static_cast<std::size_t>(k)] = static_cast<double>(k) / (m - 1);
    Zspline(x.data(), y, points.data(), out, n, m);
    // Samples a hair apart beside the others' spacing (1e-300 of it) bend the spline past the
    // largest double: no value there to give (unless the samples themselves held none).
    const bool finiteSamples = std::all_of(y, y + n, [](double v) { return std::isfinite(v); });
    if (finiteSamples && !std::all_of(out, out + m, [](double v) { return std::isfinite(v); }))
      return invalidArguments();
    // Where a new position falls on a sample the spline is that sample: taken as it is, not as
    // the spline's sum that may round just below it (the ends always fall on one).
    std::size_t j = 0;
    for (int k = 0; k < m; ++k) {
      const double p = points[static_cast<std::size_t>(k)];
      while (j < x.size() && x[j] < p) ++j;
      if (j < x.size() && x[j] == p) out[k] = y[j];
    }
  } catch (const std::bad_alloc&) {
    error_disp("Can't heap the memory");
    return 0;
  }
  return 1;
}

int DoSplineDif(const double* x, const double* values, const double* points, int n, int cols, int m,
                double* out) {
  if (n < 2 || !strictlyIncreasing(x, n + 1)) {
    error_disp("Invalid arguments... 1st arg. must be sorted");
    return 0;
  }
  try {
    std::vector<double> h(static_cast<std::size_t>(n + 1)), t(static_cast<std::size_t>(m));
    for (int i = 1; i <= n; ++i) h[static_cast<std::size_t>(i)] = x[i] - x[i - 1];
    std::vector<int> interval(static_cast<std::size_t>(m));
    for (int k = 0; k < m; ++k) {
      const double p = std::isnan(points[k]) ? x[0] : std::clamp(points[k], x[0], x[n]);
      t[static_cast<std::size_t>(k)] = p;
      // The later interval for a point on a knot: the first knot right of it closes it.
      const int upper = static_cast<int>(std::upper_bound(x, x + n + 1, p) - x);
      interval[static_cast<std::size_t>(k)] = std::clamp(upper, 1, n);
    }
    // Unknowns M_1 .. M_(n-1); M_0 = M_1 and M_n = M_(n-1) are folded into the end rows.
    const int u = n - 1;
    std::vector<double> rows(static_cast<std::size_t>(3 * u)), rhs(static_cast<std::size_t>(u)),
        sol(static_cast<std::size_t>(u)), copy(static_cast<std::size_t>(3 * u)),
        M(static_cast<std::size_t>(n + 1));
    for (int c = 0; c < cols; ++c) {
      auto y = [&](int i) { return values[at(i, cols, c)]; };
      for (int i = 1; i <= u; ++i) {
        const double hi = h[static_cast<std::size_t>(i)], hn = h[static_cast<std::size_t>(i + 1)];
        const double r = hn / hi;
        double* row = &rows[at(i - 1, 3, 0)];
        row[0] = i == 1 ? 0 : 1;
        row[1] = 2 * (1 + r) + (i == 1 ? 1 : 0) + (i == u ? r : 0);
        row[2] = i == u ? 0 : r;
        rhs[static_cast<std::size_t>(i - 1)] =
            6 * ((y(i + 1) - y(i)) / (hn * hi) - (y(i) - y(i - 1)) / (hi * hi));
      }
      obi3(rows.data(), rhs.data(), u, sol.data(), copy.data());
      for (int i = 1; i <= u; ++i) M[static_cast<std::size_t>(i)] = sol[static_cast<std::size_t>(i - 1)];
      M[0] = M[1];
      M[static_cast<std::size_t>(n)] = M[static_cast<std::size_t>(n - 1)];
      for (int k = 0; k < m; ++k) {
        const int i = interval[static_cast<std::size_t>(k)];
        const double hi = h[static_cast<std::size_t>(i)], p = t[static_cast<std::size_t>(k)];
        const double a = x[i] - p, b = p - x[i - 1];
        out[at(k, cols, c)] =
            (M[static_cast<std::size_t>(i - 1)] * (hi * hi - 3 * a * a) +
             M[static_cast<std::size_t>(i)] * (3 * b * b - hi * hi) + 6 * (y(i) - y(i - 1))) /
            (6 * hi);
      }
    }
  } catch (const std::bad_alloc&) {
    error_disp("memory allocation");
    return 0;
  }
  return 1;
}

int preSplineMean(const double* in, double* out, int n, int cols, int* outRows, int* outCols) {
  if (n <= 0 || cols <= 0) return invalidArguments();
  // A row starts a new group when its first value differs (not-a-number always differs).
  auto startsGroup = [in, cols](int r) { return r == 0 || !(in[at(r, cols, 0)] == in[at(r - 1, cols, 0)]); };
  long long groups = 0;
  for (int r = 0; r < n; ++r) groups += startsGroup(r) ? 1 : 0;
  const int width = cols + 1;
  if (groups * width > TNumber) return invalidArguments();
  long long g = -1;
  for (int r = 0; r < n; ++r) {
    if (startsGroup(r)) {
      ++g;
      for (int c = 0; c < width; ++c) out[at(g, width, c)] = 0;
    }
    for (int c = 0; c < cols; ++c) out[at(g, width, c)] += in[at(r, cols, c)];
    out[at(g, width, cols)] += 1;
  }
  for (long long i = 0; i < groups; ++i)
    for (int c = 0; c < cols; ++c) out[at(i, width, c)] /= out[at(i, width, cols)];
  *outRows = static_cast<int>(groups);
  *outCols = width;
  return 1;
}

int CFITSP(const double* x, const double* y, int n, const double* knots, int K, int k, double* out) {
  const int nb = K - k;
  if (n <= 0 || k < 1 || nb < 1 || 3LL * n > TNumber) return invalidArguments();
  try {
    std::vector<double> t(static_cast<std::size_t>(K + 1));
    for (int j = 1; j <= K; ++j) t[static_cast<std::size_t>(j)] = knots[j - 1];
    std::vector<double> N(static_cast<std::size_t>(k)), dr(static_cast<std::size_t>(k)),
        dl(static_cast<std::size_t>(k));
    // Normal equations in band storage: band[r][d] is entry (r, r + d), functions from 0.
    std::vector<double> band(static_cast<std::size_t>(nb) * k, 0.0), rhs(static_cast<std::size_t>(nb), 0.0);
    for (int i = 0; i < n; ++i) {
      const int left = basisAt(t, K, k, x[i], N, dr, dl);
      const int first = left - k - 1;  // 0-based index of N[0]'s function
      for (int a = 0; a < k; ++a) {
        const double ba = N[static_cast<std::size_t>(a)];
        if (ba == 0) continue;
        for (int b = a; b < k; ++b) band[at(first + a, k, b - a)] += ba * N[static_cast<std::size_t>(b)];
        rhs[static_cast<std::size_t>(first + a)] += ba * y[i];
      }
    }
    // Banded Cholesky, A = U'U with U in the same band layout; no pivoting.
    std::vector<double> U(band.size(), 0.0);
    for (int r = 0; r < nb; ++r)
      for (int d = 0; d < k && r + d < nb; ++d) {
        const int c = r + d;
        double s = band[at(r, k, d)];
        for (int p = std::max(0, c - (k - 1)); p < r; ++p) s -= U[at(p, k, r - p)] * U[at(p, k, c - p)];
        U[at(r, k, d)] = d == 0 ? std::sqrt(s) : s / U[at(r, k, 0)];
      }
    std::vector<double> z(static_cast<std::size_t>(nb)), coef(static_cast<std::size_t>(nb));
    for (int r = 0; r < nb; ++r) {
      double s = rhs[static_cast<std::size_t>(r)];
      for (int p = std::max(0, r - (k - 1)); p < r; ++p)
        s -= U[at(p, k, r - p)] * z[static_cast<std::size_t>(p)];
      z[static_cast<std::size_t>(r)] = s / U[at(r, k, 0)];
    }
    for (int r = nb - 1; r >= 0; --r) {
      double s = z[static_cast<std::size_t>(r)];
      for (int d = 1; d < k && r + d < nb; ++d) s -= U[at(r, k, d)] * coef[static_cast<std::size_t>(r + d)];
      coef[static_cast<std::size_t>(r)] = s / U[at(r, k, 0)];
    }
    for (int i = 0; i < n; ++i) {
      const int left = basisAt(t, K, k, x[i], N, dr, dl);
      const int first = left - k - 1;
      double fit = 0;
      for (int a = 0; a < k; ++a)
        fit += coef[static_cast<std::size_t>(first + a)] * N[static_cast<std::size_t>(a)];
      out[at(i, 3, 0)] = x[i];
      out[at(i, 3, 1)] = y[i];
      out[at(i, 3, 2)] = fit;
    }
  } catch (const std::bad_alloc&) {
    return invalidArguments();
  }
  return 1;
}
