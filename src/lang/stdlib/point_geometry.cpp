#include "lang/stdlib/point_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"

namespace {

int fail(const char* message) {
  error_disp(message);
  return 0;
}

double squared(double x, double y) { return x * x + y * y; }

// The gift-wrapping trace. Each step turns the work points so that the way just taken points
// along +y; the next point is then the one most to the left of that direction, which keeps
// every other point on the right and so walks the outline clockwise.
int wrap(const double* points, int n, double* work, double* out, int* outCount, bool nearOnly) {
  const double r = work[0];
  if (n < 3) return fail("Bad Point Number");
  if (nearOnly && r * r == 0) return fail("Bad Near Length");
  const double rr = r * r;
  auto X = [&](int i) -> double& { return work[3 * static_cast<std::size_t>(i)]; };
  auto Y = [&](int i) -> double& { return work[3 * static_cast<std::size_t>(i) + 1]; };
  auto A = [&](int i) -> double& { return work[3 * static_cast<std::size_t>(i) + 2]; };
  int start = 0;
  for (int i = 0; i < n; ++i) {
    X(i) = points[2 * static_cast<std::size_t>(i)];
    Y(i) = points[2 * static_cast<std::size_t>(i) + 1];
    A(i) = 0;
    if (X(i) < X(start)) start = i;
  }
  int current = start, steps = 0, rows = 0;
  for (;;) {
    out[2 * static_cast<std::size_t>(rows)] = points[2 * static_cast<std::size_t>(current)];
    out[2 * static_cast<std::size_t>(rows) + 1] = points[2 * static_cast<std::size_t>(current) + 1];
    ++rows;
    const double ox = X(current), oy = Y(current);
    for (int i = 0; i < n; ++i) {
      X(i) -= ox;
      Y(i) -= oy;
      A(i) = std::atan2(Y(i), X(i)) + M_PI;
    }
    if (current == start && steps > 0) break;
    if (++steps > n) return fail("Bad Point Number");
    // Each step turns every point: many points take many seconds.
    if (vkBreakHeld()) return fail(kVkBreakMessage);
    int next = -1;
    for (int i = 0; i < n; ++i) {
      if (i == current || (X(i) == 0 && Y(i) == 0)) continue;
      if (!(A(i) < 2 * M_PI)) continue;
      const double d = squared(X(i), Y(i));
      if (nearOnly && !(d < rr)) continue;
      if (next < 0 || A(i) > A(next) || (A(i) == A(next) && d < squared(X(next), Y(next)))) next = i;
    }
    if (next < 0) next = 0;
    const double turn = std::atan2(X(next), Y(next));
    const double c = std::cos(turn), s = std::sin(turn);
    for (int i = 0; i < n; ++i) {
      const double x = X(i), y = Y(i);
      X(i) = x * c - y * s;
      Y(i) = x * s + y * c;
    }
    current = next;
  }
  *outCount = rows;
  return 1;
}

// The nearest of the valued points (x, y, value rows) to a place: a 2-d tree, so that a raster
// over many points costs a few comparisons a cell instead of one per point. The answer is the
// one the plain scan gives: least squared distance, the earlier point on equal distances.
class NearestPoint {
 public:
  NearestPoint(const double* points, int n) : points_(points), order_(static_cast<std::size_t>(n)) {
    for (int i = 0; i < n; ++i) order_[static_cast<std::size_t>(i)] = i;
    // Of points at one place only the first can ever win; many at one place would otherwise
    // make every search visit them all.
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
      return coord(a, 0) < coord(b, 0) || (coord(a, 0) == coord(b, 0) && coord(a, 1) < coord(b, 1));
    });
    order_.erase(std::unique(order_.begin(), order_.end(),
                             [&](int a, int b) { return coord(a, 0) == coord(b, 0) && coord(a, 1) == coord(b, 1); }),
                 order_.end());
    build(0, static_cast<int>(order_.size()), 0);
  }

  int nearest(double x, double y) const {
    Best best;
    search(0, static_cast<int>(order_.size()), 0, x, y, best);
    return best.index;
  }

 private:
  struct Best {
    int index = -1;
    double distance = 0;
  };

  double coord(int point, int axis) const { return points_[3 * static_cast<std::size_t>(point) + axis]; }

  // The middle point of [lo, hi) splits it on the axis: those before lie at or below it, those
  // after at or above.
  void build(int lo, int hi, int axis) {
    if (hi - lo < 2) return;
    const int mid = lo + (hi - lo) / 2;
    std::nth_element(order_.begin() + lo, order_.begin() + mid, order_.begin() + hi,
                     [&](int a, int b) { return coord(a, axis) < coord(b, axis); });
    build(lo, mid, 1 - axis);
    build(mid + 1, hi, 1 - axis);
  }

  void search(int lo, int hi, int axis, double x, double y, Best& best) const {
    if (lo >= hi) return;
    const int mid = lo + (hi - lo) / 2;
    const int k = order_[static_cast<std::size_t>(mid)];
    const double d = squared(coord(k, 0) - x, coord(k, 1) - y);
    if (best.index < 0 || d < best.distance || (d == best.distance && k < best.index)) best = {k, d};
    const double split = coord(k, axis), at = axis == 0 ? x : y;
    const bool lowFirst = at < split;
    search(lowFirst ? lo : mid + 1, lowFirst ? mid : hi, 1 - axis, x, y, best);
    // Every point on the far side is at least this far off along the axis; a point exactly
    // as far as the best may still win by its earlier index, so only a greater bound prunes.
    const double gap = split - at;
    if (gap * gap > best.distance) return;
    search(lowFirst ? mid + 1 : lo, lowFirst ? hi : mid, 1 - axis, x, y, best);
  }

  const double* points_;
  std::vector<int> order_;
};

bool allFinite(const double* points, int n, const double* region) {
  for (int i = 0; i < 4; ++i)
    if (!std::isfinite(region[i])) return false;
  for (long long i = 0; i < 3LL * n; ++i)
    if (i % 3 != 2 && !std::isfinite(points[i])) return false;
  return true;
}

}  // namespace

int DoGabriel(const double* points, int n, double* out, int* outCount) {
  const long long limit = TNumber / 6;
  long long edges = 0;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j) {
      const double xi = points[2 * static_cast<std::size_t>(i)],
                   yi = points[2 * static_cast<std::size_t>(i) + 1];
      const double xj = points[2 * static_cast<std::size_t>(j)],
                   yj = points[2 * static_cast<std::size_t>(j) + 1];
      const double mx = (xi + xj) / 2, my = (yi + yj) / 2;
      const double radius = std::sqrt(squared(xi - xj, yi - yj)) / 2;
      bool edge = true;
      for (int k = 0; k < n && edge; ++k) {
        if (k == i || k == j) continue;
        const double d = std::sqrt(squared(points[2 * static_cast<std::size_t>(k)] - mx,
                                           points[2 * static_cast<std::size_t>(k) + 1] - my));
        if (d < radius) edge = false;
      }
      if (!edge) continue;
      if (edges + 1 > limit) return fail("To many lines");
      double* e = out + 6 * edges;
      e[0] = xi;
      e[1] = yi;
      e[2] = xj;
      e[3] = yj;
      e[4] = i;
      e[5] = j;
      ++edges;
    }
  *outCount = static_cast<int>(edges);
  return 1;
}

int DoVoronoi(const double* points, int n, const double* region, double* sizeAndOut) {
  const double xmin = region[0], xmax = region[1], ymin = region[2], ymax = region[3];
  const double w = sizeAndOut[0], h = sizeAndOut[1];
  if (!(xmin < xmax) || !(ymin < ymax) || !(w > 0) || !(h > 0) || !(std::trunc(w) * std::trunc(h) <= TNumber))
    return fail("invalid data structure");
  const int width = static_cast<int>(w), height = static_cast<int>(h);
  if (width < 1 || height < 1) return fail("invalid data structure");
  const double sx = width / (xmax - xmin), sy = height / (ymax - ymin);
  std::optional<NearestPoint> tree;
  if (allFinite(points, n, region)) tree.emplace(points, n);
  for (int r = 0; r < height; ++r) {
    if (vkBreakHeld()) return fail(kVkBreakMessage);
    const double y = ymin + r / sy;
    double* row = sizeAndOut + static_cast<std::size_t>(height - 1 - r) * width;
    for (int c = 0; c < width; ++c) {
      const double x = xmin + c / sx;
      if (tree) {
        const int k = tree->nearest(x, y);
        row[c] = k < 0 ? 0 : points[3 * static_cast<std::size_t>(k) + 2];
        continue;
      }
      // Not-a-number or infinite places: every point is compared, as the rule reads.
      double value = 0, best = 0;
      for (int k = 0; k < n; ++k) {
        const double* p = points + 3 * static_cast<std::size_t>(k);
        const double d = squared(p[0] - x, p[1] - y);
        if (k == 0 || d < best) {
          best = d;
          value = p[2];
        }
      }
      row[c] = value;
    }
  }
  return 1;
}

int DoWrapping(const double* points, int n, double* work, double* out, int* outCount) {
  return wrap(points, n, work, out, outCount, false);
}

int DoWrapping_new(const double* points, int n, double* work, double* out, int* outCount) {
  return wrap(points, n, work, out, outCount, true);
}
