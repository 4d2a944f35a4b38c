#include "graphics/triangulation.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <new>
#include <utility>

#include "lang/values.h"

std::vector<SankakuPoint> pData;
std::vector<std::array<int32_t, 3>> sData;
std::vector<SankakuLine> lData;
int32_t pointNum = 0, sankakuNum = 0, lineNum = 0;

namespace {

// Every geometric test uses this absolute tolerance on coordinates, doubled areas and
// intersection parameters.
constexpr double kEps = 1e-10;
// Each swap makes the smallest angle strictly larger, so the passes end; the cap only guards
// against a cycle that rounding might make.
constexpr int kMaxSwapPasses = 100000;

bool tablesReady() { return !pData.empty() && !sData.empty() && !lData.empty(); }

double area2(int a, int b, int c) {
  const SankakuPoint &p = pData[static_cast<std::size_t>(a)], &q = pData[static_cast<std::size_t>(b)],
                     &r = pData[static_cast<std::size_t>(c)];
  return std::fabs((q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x));
}

double round3(double v) { return std::nearbyint(v * 1000) / 1000; }

// Step 1: coincident points (equal after rounding to three decimals) merged, their values
// averaged; the kept points written back over the first rows in order of first appearance.
int mergePoints(double* points, int n) {
  struct Kept {
    double x, y, sum, count;
  };
  std::vector<Kept> kept;
  std::map<std::pair<double, double>, std::size_t> index;
  for (int i = 0; i < n; ++i) {
    const double x = round3(points[3 * i]), y = round3(points[3 * i + 1]), v = round3(points[3 * i + 2]);
    // Rounded coordinates are multiples of 0.001: "within 1e-10" is equality of them.
    const auto [it, fresh] = index.try_emplace({x, y}, kept.size());
    if (fresh)
      kept.push_back({x, y, v, 1});
    else {
      kept[it->second].sum += v;
      kept[it->second].count += 1;
    }
  }
  for (std::size_t i = 0; i < kept.size(); ++i) {
    points[3 * i] = kept[i].x;
    points[3 * i + 1] = kept[i].y;
    points[3 * i + 2] = kept[i].sum / kept[i].count;
  }
  return static_cast<int>(kept.size());
}

// Step 3: gift wrapping over a working copy that is translated and rotated at every step.
int wrap(int n, std::vector<int32_t>& hull, int* hullCount) {
  if (n < 3) return 0;
  std::vector<double> wx(static_cast<std::size_t>(n)), wy(static_cast<std::size_t>(n)),
      angle(static_cast<std::size_t>(n));
  int start = 0;
  for (int i = 0; i < n; ++i) {
    wx[static_cast<std::size_t>(i)] = pData[static_cast<std::size_t>(i)].x;
    wy[static_cast<std::size_t>(i)] = pData[static_cast<std::size_t>(i)].y;
    if (wx[static_cast<std::size_t>(i)] < wx[static_cast<std::size_t>(start)]) start = i;
  }
  hull.clear();
  int current = start, steps = 0;
  while (true) {
    hull.push_back(current);
    const double tx = wx[static_cast<std::size_t>(current)], ty = wy[static_cast<std::size_t>(current)];
    for (int i = 0; i < n; ++i) {
      wx[static_cast<std::size_t>(i)] -= tx;
      wy[static_cast<std::size_t>(i)] -= ty;
      angle[static_cast<std::size_t>(i)] =
          std::atan2(wy[static_cast<std::size_t>(i)], wx[static_cast<std::size_t>(i)]) + M_PI;
    }
    if (current == start && steps >= 1) {
      hull.push_back(start);
      *hullCount = steps;
      return 1;
    }
    if (++steps > n) return 0;
    int next = -1;
    double best = -1, bestDistance = 0;
    for (int i = 0; i < n; ++i) {
      const std::size_t k = static_cast<std::size_t>(i);
      if (i == current || !(angle[k] < 2 * M_PI) || (wx[k] == 0 && wy[k] == 0)) continue;
      const double d = wx[k] * wx[k] + wy[k] * wy[k];
      if (next < 0 || angle[k] > best || (angle[k] == best && d < bestDistance)) {
        next = i;
        best = angle[k];
        bestDistance = d;
      }
    }
    if (next < 0) return 0;
    const double theta = std::atan2(wx[static_cast<std::size_t>(next)], wy[static_cast<std::size_t>(next)]);
    const double c = std::cos(theta), s = std::sin(theta);
    for (int i = 0; i < n; ++i) {
      const double x = wx[static_cast<std::size_t>(i)], y = wy[static_cast<std::size_t>(i)];
      wx[static_cast<std::size_t>(i)] = x * c - y * s;
      wy[static_cast<std::size_t>(i)] = x * s + y * c;
    }
    current = next;
  }
}

bool pointInSankaku(int p, int a, int b, int c) {
  return area2(p, a, b) + area2(p, b, c) + area2(p, c, a) - area2(a, b, c) < kEps;
}

// Step 5: the triangle t split at the first point inside or on it.
int addSankaku(int t) {
  const auto [a, b, c] = sData[static_cast<std::size_t>(t)];
  for (int p = 0; p < pointNum; ++p) {
    if (p == a || p == b || p == c || !pointInSankaku(p, a, b, c)) continue;
    if (sankakuNum + 2 > kSankakuCapacity) return -1;
    sData[static_cast<std::size_t>(t)] = {a, b, p};
    sData[static_cast<std::size_t>(sankakuNum++)] = {b, c, p};
    sData[static_cast<std::size_t>(sankakuNum++)] = {c, a, p};
    return 1;
  }
  return 0;
}

std::pair<int32_t, int32_t> key(int32_t a, int32_t b) { return a < b ? std::pair{a, b} : std::pair{b, a}; }

// Step 7: the interior edges with the triangles on both sides; the neighbour is the first
// other triangle with an edge of the same midpoint.
void makeLine() {
  lineNum = 0;
  std::map<std::pair<int32_t, int32_t>, int> seen;
  std::map<std::pair<double, double>, std::vector<int>> byMidpoint;
  auto midpoint = [](int32_t a, int32_t b) {
    const SankakuPoint &p = pData[static_cast<std::size_t>(a)], &q = pData[static_cast<std::size_t>(b)];
    return std::pair{(p.x + q.x) / 2, (p.y + q.y) / 2};
  };
  for (int t = 0; t < sankakuNum; ++t)
    for (int e = 0; e < 3; ++e) {
      const auto& s = sData[static_cast<std::size_t>(t)];
      byMidpoint[midpoint(s[static_cast<std::size_t>(e)], s[static_cast<std::size_t>((e + 1) % 3)])]
          .push_back(t);
    }
  for (int t = 0; t < sankakuNum; ++t)
    for (int e = 0; e < 3; ++e) {
      const auto& s = sData[static_cast<std::size_t>(t)];
      const int32_t a = s[static_cast<std::size_t>(e)], b = s[static_cast<std::size_t>((e + 1) % 3)];
      if (seen.count(key(a, b))) continue;
      const auto m = midpoint(a, b);
      int neighbour = -1;
      // Midpoints within the tolerance of this one: look around it in the ordered map.
      for (auto it = byMidpoint.lower_bound({m.first - kEps, -HUGE_VAL});
           it != byMidpoint.end() && it->first.first <= m.first + kEps; ++it) {
        if (std::fabs(it->first.second - m.second) >= kEps || std::fabs(it->first.first - m.first) >= kEps)
          continue;
        for (int other : it->second)
          if (other != t && (neighbour < 0 || other < neighbour)) neighbour = other;
      }
      if (neighbour < 0) continue;
      seen[key(a, b)] = lineNum;
      lData[static_cast<std::size_t>(lineNum++)] = SankakuLine{a, b, t, neighbour};
    }
}

double smallestAngle(int a, int b, int c) {
  const SankakuPoint &p = pData[static_cast<std::size_t>(a)], &q = pData[static_cast<std::size_t>(b)],
                     &r = pData[static_cast<std::size_t>(c)];
  return std::min({sankakuKakudo(p.x, p.y, q.x, q.y, r.x, r.y), sankakuKakudo(q.x, q.y, r.x, r.y, p.x, p.y),
                   sankakuKakudo(r.x, r.y, p.x, p.y, q.x, q.y)});
}

int otherCorner(int t, int a, int b) {
  for (int32_t v : sData[static_cast<std::size_t>(t)])
    if (v != a && v != b) return v;
  return -1;
}

// The first edge record with the pair in either order, or -1.
int findLine(int32_t a, int32_t b) {
  for (int i = 0; i < lineNum; ++i) {
    const SankakuLine& l = lData[static_cast<std::size_t>(i)];
    if ((l.a == a && l.b == b) || (l.a == b && l.b == a)) return i;
  }
  return -1;
}

// Step 8, one edge: 0 when it swapped the diagonal, 1 when not.
int taikakusenKoukan(int e) {
  SankakuLine& l = lData[static_cast<std::size_t>(e)];
  const int a = l.a, b = l.b, t1 = l.t1, t2 = l.t2;
  const int c = otherCorner(t1, a, b), d = otherCorner(t2, a, b);
  if (c < 0 || d < 0) return 1;
  const SankakuPoint &A = pData[static_cast<std::size_t>(a)], &B = pData[static_cast<std::size_t>(b)],
                     &C = pData[static_cast<std::size_t>(c)], &D = pData[static_cast<std::size_t>(d)];
  if (!cross2LinesUseInTaikakuKoukan(A.x, A.y, B.x, B.y, C.x, C.y, D.x, D.y)) return 1;
  const double now = std::min(smallestAngle(a, b, c), smallestAngle(a, b, d));
  const double swapped = std::min(smallestAngle(a, c, d), smallestAngle(c, b, d));
  if (!(swapped > now)) return 1;
  sData[static_cast<std::size_t>(t1)] = {a, c, d};
  sData[static_cast<std::size_t>(t2)] = {b, d, c};
  l = SankakuLine{c, d, t1, t2};
  if (const int cb = findLine(c, b); cb >= 0) {
    SankakuLine& r = lData[static_cast<std::size_t>(cb)];
    if (r.t1 == t1)
      r.t1 = t2;
    else if (r.t2 == t1)
      r.t2 = t2;
  }
  if (const int da = findLine(d, a); da >= 0) {
    SankakuLine& r = lData[static_cast<std::size_t>(da)];
    if (r.t1 == t2)
      r.t1 = t1;
    else if (r.t2 == t2)
      r.t2 = t1;
  }
  return 0;
}

}  // namespace

int initSankakuData() {
  try {
    pData.assign(kSankakuCapacity, SankakuPoint{0, 0});
    sData.assign(kSankakuCapacity, std::array<int32_t, 3>{-1, -1, -1});
    lData.assign(kSankakuCapacity, SankakuLine{0, 0, 0, 0});
  } catch (const std::bad_alloc&) {
    std::vector<SankakuPoint>().swap(pData);
    std::vector<std::array<int32_t, 3>>().swap(sData);
    std::vector<SankakuLine>().swap(lData);
    return 0;
  }
  pointNum = sankakuNum = lineNum = 0;
  return 1;
}

double sankakuKakudo(double x0, double y0, double x1, double y1, double x2, double y2) {
  const double ux = x1 - x0, uy = y1 - y0, vx = x2 - x0, vy = y2 - y0;
  const double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
  if (lu == 0 || lv == 0) return 0;
  return std::acos(std::clamp((ux * vx + uy * vy) / (lu * lv), -1.0, 1.0));
}

int cross2LinesUseInTaikakuKoukan(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                  double y4) {
  const double dx1 = x2 - x1, dy1 = y2 - y1, dx2 = x4 - x3, dy2 = y4 - y3;
  const double det = dx1 * dy2 - dy1 * dx2;
  if (std::fabs(det) < kEps) return 0;
  const double s = ((x3 - x1) * dy2 - (y3 - y1) * dx2) / det;
  const double t = ((x3 - x1) * dy1 - (y3 - y1) * dx1) / det;
  auto inside = [](double p) { return p >= kEps && p <= 1 - kEps; };
  return inside(s) && inside(t) ? 1 : 0;
}

int getSankakuFromPoints_X(double* points, int n, double* out, int* count, bool coordinates) {
  if (n > kSankakuCapacity || n < 0) return 0;
  if (!tablesReady() && !initSankakuData()) return 0;
  for (int i = 0; i < 3 * n; ++i)
    if (!std::isfinite(points[i])) return 0;
  n = mergePoints(points, n);
  for (int i = 0; i < n; ++i)
    pData[static_cast<std::size_t>(i)] = SankakuPoint{points[3 * i], points[3 * i + 1]};
  pointNum = n;
  sankakuNum = lineNum = 0;

  std::vector<int32_t> hull;
  int hullCount = 0;
  if (!wrap(n, hull, &hullCount)) return 0;

  // Step 4: the hull fanned from its first point.
  for (int i = 1; i + 1 < hullCount; ++i) {
    const int a = hull[0], b = hull[static_cast<std::size_t>(i)], c = hull[static_cast<std::size_t>(i + 1)];
    if (!(area2(a, b, c) > kEps)) continue;
    sData[static_cast<std::size_t>(sankakuNum++)] = {a, b, c};
  }
  // Step 5: the other points inserted, each splitting the triangle that holds it.
  for (int t = 0; t < sankakuNum;) {
    const auto [a, b, c] = sData[static_cast<std::size_t>(t)];
    if (area2(a, b, c) < kEps) {
      ++t;
      continue;
    }
    const int split = addSankaku(t);
    if (split < 0) return 0;
    if (split == 0) ++t;
  }
  // Step 6: slivers of no area dropped, the order kept.
  int kept = 0;
  for (int t = 0; t < sankakuNum; ++t) {
    const auto& s = sData[static_cast<std::size_t>(t)];
    if (area2(s[0], s[1], s[2]) > kEps) sData[static_cast<std::size_t>(kept++)] = s;
  }
  sankakuNum = kept;
  makeLine();
  for (int pass = 0; pass < kMaxSwapPasses; ++pass) {
    bool swapped = false;
    for (int e = 0; e < lineNum; ++e)
      if (taikakusenKoukan(e) == 0) swapped = true;
    if (!swapped) break;
  }
  const int width = coordinates ? 9 : 3;
  if (static_cast<long long>(sankakuNum) * width > TNumber) return 0;
  for (int t = 0; t < sankakuNum; ++t)
    for (int k = 0; k < 3; ++k) {
      const int32_t p = sData[static_cast<std::size_t>(t)][static_cast<std::size_t>(k)];
      if (coordinates) {
        out[t * 9 + k * 3] = pData[static_cast<std::size_t>(p)].x;
        out[t * 9 + k * 3 + 1] = pData[static_cast<std::size_t>(p)].y;
        out[t * 9 + k * 3 + 2] = points[3 * p + 2];
      } else {
        out[t * 3 + k] = p;
      }
    }
  *count = sankakuNum;
  return 1;
}

int getSankakuFromPoints(double* points, int n, double* out, int* count) {
  return getSankakuFromPoints_X(points, n, out, count, true);
}

int getSankakuFromPoints2(double* points, int n, double* out, int* count) {
  return getSankakuFromPoints_X(points, n, out, count, false);
}

int DoSankakuHokan(const double* triangles, int n, double* out, int* count) {
  if (n > kSankakuCapacity / 4 || n < 0) return 0;
  std::vector<double> points;
  try {
    points.resize(static_cast<std::size_t>(n) * 12);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  for (int t = 0; t < n; ++t) {
    const double* tri = triangles + static_cast<std::size_t>(t) * 9;
    double* p = points.data() + static_cast<std::size_t>(t) * 12;
    std::copy(tri, tri + 9, p);
    for (int k = 0; k < 3; ++k) p[9 + k] = (tri[k] + tri[3 + k] + tri[6 + k]) / 3;
  }
  return getSankakuFromPoints_X(points.data(), n * 4, out, count, true);
}
