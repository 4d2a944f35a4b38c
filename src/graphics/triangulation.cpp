#include "graphics/triangulation.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <new>
#include <string>
#include <utility>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"
#include "platform/cformat.h"

std::vector<SankakuPoint> pData;
std::vector<std::array<int32_t, 3>> sData;
std::vector<SankakuLine> lData;
int32_t pointNum = 0, sankakuNum = 0, lineNum = 0;

namespace {

using pravella::cformat;

// The diagonal swap's crossing test uses this absolute tolerance on the determinant and the
// intersection parameters; the tests that build the mesh are exact (see the grid below).
constexpr double kEps = 1e-10;
// Each swap makes the smallest angle strictly larger, so the passes end; the cap only guards
// against a cycle that rounding might make.
constexpr int kMaxSwapPasses = 100000;
// Edges tested for a swap between two looks at the break.
constexpr int kEdgesBetweenBreakTests = 4096;

std::string failureReason;

// A failure the caller can name: the reason is kept for the built-ins to say.
int refuse(std::string why) {
  failureReason = std::move(why);
  return 0;
}

bool tablesReady() { return !pData.empty() && !sData.empty() && !lData.empty(); }

double round3(double v) { return std::nearbyint(v * 1000) / 1000; }

// The merged points lie on a grid of 0.001, and every orientation and area test is made on
// their grid coordinates as exact integers: the tolerance of 1e-10 on doubled areas then means
// "not zero", since the smallest area that is not zero is 1e-6. That holds while the corners
// returned, the doubles nearest the grid points, stand for them; once a double's own steps come
// near 0.001 (from 2^42) they no longer do: three corners on one line as returned could make a
// triangle on the grid. A set whose largest coordinate is past 2^42 is therefore put on a
// coarser grid, the step of a double at that coordinate (a power of two, 1/1024 at 2^42, 1/8 at
// 1e+15): every coordinate a whole number of steps, exactly a double, so that the corners
// returned are the very points tested (the largest ones as they were given). In floating point, a hull walk
// past nearly collinear points can miss its start and go round twice, and an absolute
// tolerance drops points once coordinates are large. Up to 1e+15 (1e+18 grid steps, below
// 2^60) a doubled area and a sum of three of them stay below 2^126, so 128-bit integers hold
// every test exactly; larger coordinates are refused rather than triangulated by rounding.
constexpr double kLargestCoordinate = 1e15;

using Wide = __int128;

// Below 2^42 a coordinate times 1000 is below 2^52, where the product in doubles and its
// rounding to three decimals are the grid step and the coordinate as they always were. From
// there a double's own steps come near 0.001 and the product in doubles rounds by more than a
// grid step (by up to 64 steps near 1e+15): the grid step is then taken from the exact value
// of the double, and the coordinate kept is the double nearest its grid point.
constexpr double kExactGridFrom = 4398046511104.0;  // 2^42

// round(v x 1000), ties to even, of the exact v; |v| below 2^53.
long long gridStep(double v) {
  if (std::fabs(v) < kExactGridFrom) return std::llround(std::nearbyint(v * 1000));
  int exponent = 0;
  const double fraction = std::frexp(v, &exponent);
  // v = mantissa / 2^shift with a 53-bit integer mantissa; from 2^42 to 2^53 the shift is 0 to
  // 10 bits, and mantissa x 1000 stays below 2^63.
  const auto mantissa = static_cast<long long>(std::ldexp(fraction, 53));
  const Wide scaled = static_cast<Wide>(mantissa) * 1000;
  const int shift = 53 - exponent;
  if (shift == 0) return static_cast<long long>(scaled);
  const Wide unit = Wide(1) << shift, half = unit >> 1;
  const Wide magnitude = scaled < 0 ? -scaled : scaled;
  Wide whole = magnitude >> shift;
  const Wide rest = magnitude & (unit - 1);
  if (rest > half || (rest == half && (whole & 1))) whole += 1;
  return static_cast<long long>(scaled < 0 ? -whole : whole);
}

// The coordinate a point keeps: rounded to three decimals, the double nearest to its grid
// point. From 2^42 that is the quotient in extended precision (a grid step is exact in its 64
// bits, and no such quotient lies near enough to a midpoint between two doubles for its second
// rounding to go astray); from 2^43 it is the double itself.
double onGrid(double v, long long step) {
  if (std::fabs(v) < kExactGridFrom) return round3(v);
  return static_cast<double>(static_cast<long double>(step) / 1000.0L);
}

// A point's value rounded to three decimals as its coordinates are; from 2^53 on a double is a
// whole number already (and times 1000 it could pass the largest double: 1e+306 became inf).
double valueRounded(double v) {
  if (std::fabs(v) < kExactGridFrom) return round3(v);
  if (std::fabs(v) >= 9007199254740992.0) return v;  // 2^53
  return onGrid(v, gridStep(v));
}

std::vector<long long> gridX, gridY;

// The grid step of a set whose largest coordinate is `largest`: 0 for the grid of 0.001, else
// the step of a double at that coordinate.
double coarseStepFor(double largest) {
  if (largest < kExactGridFrom) return 0;
  int exponent = 0;
  std::frexp(largest, &exponent);
  return std::ldexp(1.0, exponent - 53);
}

// Step 1: coincident points (on one grid point) merged, their values averaged; the kept points
// written back over the first rows in order of first appearance, their grid points kept. With
// a coarse step the grid is that step's (see coarseStepFor).
int mergePoints(double* points, int n, double coarseStep) {
  struct Kept {
    double x, y, sum, count;
    long long gx, gy;
  };
  std::vector<Kept> kept;
  std::map<std::pair<long long, long long>, std::size_t> index;
  for (int i = 0; i < n; ++i) {
    const double x = points[3 * i], y = points[3 * i + 1], v = valueRounded(points[3 * i + 2]);
    // Dividing by a power of two and rounding to a whole number are exact: x / step is below 2^53.
    const long long gx = coarseStep > 0 ? std::llround(std::nearbyint(x / coarseStep)) : gridStep(x);
    const long long gy = coarseStep > 0 ? std::llround(std::nearbyint(y / coarseStep)) : gridStep(y);
    // "Within 1e-10" of multiples of 0.001 is equality of them: one grid point.
    const auto [it, fresh] = index.try_emplace({gx, gy}, kept.size());
    if (fresh && coarseStep > 0)
      kept.push_back(
          {static_cast<double>(gx) * coarseStep, static_cast<double>(gy) * coarseStep, v, 1, gx, gy});
    else if (fresh)
      kept.push_back({onGrid(x, gx), onGrid(y, gy), v, 1, gx, gy});
    else {
      kept[it->second].sum += v;
      kept[it->second].count += 1;
    }
  }
  gridX.resize(kept.size());
  gridY.resize(kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i) {
    points[3 * i] = kept[i].x;
    points[3 * i + 1] = kept[i].y;
    points[3 * i + 2] = kept[i].sum / kept[i].count;
    gridX[i] = kept[i].gx;
    gridY[i] = kept[i].gy;
  }
  return static_cast<int>(kept.size());
}

Wide gx(int i) { return gridX[static_cast<std::size_t>(i)]; }
Wide gy(int i) { return gridY[static_cast<std::size_t>(i)]; }

Wide magnitude(Wide v) { return v < 0 ? -v : v; }

// Twice the signed area of (a, b, c), in grid steps squared.
Wide cross(int a, int b, int c) {
  return (gx(b) - gx(a)) * (gy(c) - gy(a)) - (gy(b) - gy(a)) * (gx(c) - gx(a));
}

// p inside or on (a, b, c): the three areas p makes with the edges add up to the triangle's.
bool pointInSankaku(int p, int a, int b, int c) {
  return magnitude(cross(p, a, b)) + magnitude(cross(p, b, c)) + magnitude(cross(p, c, a)) ==
         magnitude(cross(a, b, c));
}

// a-b and c-d cross at a point inside both: c and d strictly either side of a-b, a and b of c-d.
bool crossStrictly(int a, int b, int c, int d) {
  const Wide ab_c = cross(a, b, c), ab_d = cross(a, b, d), cd_a = cross(c, d, a), cd_b = cross(c, d, b);
  return ((ab_c > 0 && ab_d < 0) || (ab_c < 0 && ab_d > 0)) &&
         ((cd_a > 0 && cd_b < 0) || (cd_a < 0 && cd_b > 0));
}

// Step 3: gift wrapping, clockwise from the leftmost point (the first of equals) upwards. From
// the current point the next is the one turned furthest left of the way the walk came, among
// points equally far left the nearest, so that collinear points on the hull are all visited.
// The walk ends when it comes back to the start point by its index.
int wrap(int n, std::vector<int32_t>& hull, int* hullCount) {
  if (n < 3) return 0;
  int start = 0;
  for (int i = 1; i < n; ++i)
    if (gx(i) < gx(start)) start = i;
  hull.clear();
  int current = start, previous = -1, steps = 0;
  while (true) {
    hull.push_back(current);
    if (current == start && steps >= 1) {
      hull.push_back(start);
      *hullCount = steps;
      return 1;
    }
    if (++steps > n) return 0;
    if (vkBreakHeld()) return refuse(kVkBreakMessage);
    // The way the walk came; upwards at the start.
    const Wide hx = previous < 0 ? Wide(0) : gx(current) - gx(previous);
    const Wide hy = previous < 0 ? Wide(1) : gy(current) - gy(previous);
    const Wide cx = gx(current), cy = gy(current);
    int next = -1;
    Wide bx = 0, by = 0;
    for (int i = 0; i < n; ++i) {
      if (i == current) continue;
      const Wide ux = gx(i) - cx, uy = gy(i) - cy;
      if (ux == 0 && uy == 0) continue;
      // Straight left of the way is outside the range of directions taken.
      if (hx * uy - hy * ux > 0 && hx * ux + hy * uy == 0) continue;
      bool better = next < 0;
      if (!better) {
        const Wide turn = bx * uy - by * ux;
        if (turn != 0)
          better = turn > 0;
        else if (bx * ux + by * uy > 0)
          better = ux * ux + uy * uy < bx * bx + by * by;
        else
          better = hx * ux + hy * uy > 0;  // straight on beats straight back
      }
      if (better) {
        next = i;
        bx = ux;
        by = uy;
      }
    }
    if (next < 0) return 0;
    previous = current;
    current = next;
  }
}

// Step 5: the points inside or on each triangle that are not its corners, in point order. A
// triangle split at its first point hands the rest of its points on to its three parts; as the
// parts lie within it, each part's list is every point inside or on it.
using PointLists = std::vector<std::vector<int32_t>>;

void listPoints(int t, const std::vector<int32_t>& from, PointLists& lists) {
  const auto [a, b, c] = sData[static_cast<std::size_t>(t)];
  std::vector<int32_t>& list = lists[static_cast<std::size_t>(t)];
  list.clear();
  if (cross(a, b, c) == 0) return;  // never split
  for (int32_t p : from)
    if (p != a && p != b && p != c && pointInSankaku(p, a, b, c)) list.push_back(p);
}

// Steps 4 to 6 over the hull; 0 when the triangle table would overflow.
int fanAndInsert(const std::vector<int32_t>& hull, int hullCount) {
  for (int i = 1; i + 1 < hullCount; ++i) {
    const int a = hull[0], b = hull[static_cast<std::size_t>(i)], c = hull[static_cast<std::size_t>(i + 1)];
    if (cross(a, b, c) == 0) continue;
    sData[static_cast<std::size_t>(sankakuNum++)] = {a, b, c};
  }
  PointLists lists(static_cast<std::size_t>(sankakuNum));
  std::vector<int32_t> all(static_cast<std::size_t>(pointNum));
  for (int p = 0; p < pointNum; ++p) all[static_cast<std::size_t>(p)] = p;
  for (int t = 0; t < sankakuNum; ++t) {
    if (vkBreakHeld()) return refuse(kVkBreakMessage);
    listPoints(t, all, lists);
  }
  for (int t = 0; t < sankakuNum;) {
    if (vkBreakHeld()) return refuse(kVkBreakMessage);
    std::vector<int32_t> inside = std::move(lists[static_cast<std::size_t>(t)]);
    if (inside.empty()) {
      ++t;
      continue;
    }
    if (sankakuNum + 2 > kSankakuCapacity)
      return refuse(cformat("Too many points: the triangulation holds at most %d triangles, about %d points.",
                            kSankakuCapacity, kSankakuCapacity / 2));
    const auto [a, b, c] = sData[static_cast<std::size_t>(t)];
    const int32_t p = inside.front();
    const int t1 = sankakuNum++, t2 = sankakuNum++;
    sData[static_cast<std::size_t>(t)] = {a, b, p};
    sData[static_cast<std::size_t>(t1)] = {b, c, p};
    sData[static_cast<std::size_t>(t2)] = {c, a, p};
    lists.resize(static_cast<std::size_t>(sankakuNum));
    for (int part : {t, t1, t2}) listPoints(part, inside, lists);
  }
  int kept = 0;
  for (int t = 0; t < sankakuNum; ++t) {
    const auto& s = sData[static_cast<std::size_t>(t)];
    if (cross(s[0], s[1], s[2]) != 0) sData[static_cast<std::size_t>(kept++)] = s;
  }
  sankakuNum = kept;
  return 1;
}

std::pair<int32_t, int32_t> key(int32_t a, int32_t b) { return a < b ? std::pair{a, b} : std::pair{b, a}; }

// The edge record of each pair of points (either order). A pair has one record at most: a
// swap turns the diagonal of a convex quadrilateral into the other, which no edge crosses.
std::map<std::pair<int32_t, int32_t>, int> lineIndex;

// Step 7: the interior edges with the triangles on both sides; the neighbour is the first
// other triangle with an edge of the same midpoint. Midpoints are compared as sums of grid
// coordinates, exactly: in doubles, two midpoints a grid step apart round together at large
// coordinates. False when the table would overflow (it has room for every interior edge the
// triangle table can make; the test keeps it that way).
bool makeLine() {
  lineNum = 0;
  std::map<std::pair<int32_t, int32_t>, int>& seen = lineIndex;
  seen.clear();
  std::map<std::pair<long long, long long>, std::vector<int>> byMidpoint;
  auto midpoint = [](int32_t a, int32_t b) {
    const std::size_t p = static_cast<std::size_t>(a), q = static_cast<std::size_t>(b);
    return std::pair{gridX[p] + gridX[q], gridY[p] + gridY[q]};
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
      int neighbour = -1;
      for (int other : byMidpoint[midpoint(a, b)])
        if (other != t) {
          neighbour = other;  // the list is in table order
          break;
        }
      if (neighbour < 0) continue;
      if (static_cast<std::size_t>(lineNum) >= lData.size()) return false;
      seen[key(a, b)] = lineNum;
      lData[static_cast<std::size_t>(lineNum++)] = SankakuLine{a, b, t, neighbour};
    }
  return true;
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

// The edge record with the pair in either order, or -1.
int findLine(int32_t a, int32_t b) {
  const auto it = lineIndex.find(key(a, b));
  return it == lineIndex.end() ? -1 : it->second;
}

// Step 8, one edge: 0 when it swapped the diagonal, 1 when not.
int taikakusenKoukan(int e) {
  SankakuLine& l = lData[static_cast<std::size_t>(e)];
  const int a = l.a, b = l.b, t1 = l.t1, t2 = l.t2;
  const int c = otherCorner(t1, a, b), d = otherCorner(t2, a, b);
  if (c < 0 || d < 0) return 1;
  const SankakuPoint &A = pData[static_cast<std::size_t>(a)], &B = pData[static_cast<std::size_t>(b)],
                     &C = pData[static_cast<std::size_t>(c)], &D = pData[static_cast<std::size_t>(d)];
  // The test in doubles keeps its tolerance; the exact one on the grid makes sure the
  // quadrilateral is convex where doubles no longer tell (far from 0), so that a swap never
  // folds a triangle over its neighbour.
  if (!crossStrictly(a, b, c, d) || !cross2LinesUseInTaikakuKoukan(A.x, A.y, B.x, B.y, C.x, C.y, D.x, D.y))
    return 1;
  const double now = std::min(smallestAngle(a, b, c), smallestAngle(a, b, d));
  const double swapped = std::min(smallestAngle(a, c, d), smallestAngle(c, b, d));
  if (!(swapped > now)) return 1;
  sData[static_cast<std::size_t>(t1)] = {a, c, d};
  sData[static_cast<std::size_t>(t2)] = {b, d, c};
  lineIndex.erase(key(a, b));
  lineIndex[key(c, d)] = e;
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
    lData.assign(kSankakuEdgeCapacity, SankakuLine{0, 0, 0, 0});
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

int reportSankakuFailure() {
  error_disp(failureReason.empty() ? "Can not create triangles." : failureReason);
  return 0;
}

int getSankakuFromPoints_X(double* points, int n, double* out, int* count, bool coordinates) {
  failureReason.clear();
  if (n < 0) return 0;
  if (n > kSankakuCapacity)
    return refuse(cformat("Too many points: the triangulation holds at most %d.", kSankakuCapacity));
  if (!tablesReady() && !initSankakuData()) return refuse("Can not allocate memory for the triangulation.");
  for (int i = 0; i < n; ++i) {
    const double* row = points + 3 * i;
    if (!std::isfinite(row[0]) || !std::isfinite(row[1]) || !std::isfinite(row[2]))
      return refuse("Points must be finite numbers.");
    if (std::fabs(row[0]) > kLargestCoordinate || std::fabs(row[1]) > kLargestCoordinate)
      return refuse("Coordinates too large: the triangulation takes x and y up to 1e+15.");
  }
  double largest = 0;
  for (int i = 0; i < n; ++i)
    largest = std::max({largest, std::fabs(points[3 * i]), std::fabs(points[3 * i + 1])});
  n = mergePoints(points, n, coarseStepFor(largest));
  for (int i = 0; i < n; ++i)
    pData[static_cast<std::size_t>(i)] = SankakuPoint{points[3 * i], points[3 * i + 1]};
  pointNum = n;
  sankakuNum = lineNum = 0;

  std::vector<int32_t> hull;
  int hullCount = 0;
  if (!wrap(n, hull, &hullCount) || !fanAndInsert(hull, hullCount)) return 0;
  // Points all on one line: the walk came back along it and no triangle has an area.
  if (sankakuNum == 0) return 0;
  if (!makeLine()) return 0;
  for (int pass = 0; pass < kMaxSwapPasses; ++pass) {
    bool swapped = false;
    for (int e = 0; e < lineNum; ++e) {
      if (e % kEdgesBetweenBreakTests == 0 && vkBreakHeld()) return refuse(kVkBreakMessage);
      if (taikakusenKoukan(e) == 0) swapped = true;
    }
    if (!swapped) break;
  }
  const int width = coordinates ? 9 : 3;
  if (static_cast<long long>(sankakuNum) * width > TNumber)
    return refuse(cformat("Too many triangles: %d rows of %d values are more than the element limit %d.",
                          sankakuNum, width, TNumber));
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
  failureReason.clear();
  if (n < 0) return 0;
  // Four points a triangle: the corners and the centroid.
  if (n > kSankakuCapacity / 4)
    return refuse(cformat("Too many triangles: sankakuHokan refines at most %d.", kSankakuCapacity / 4));
  std::vector<double> points;
  try {
    points.resize(static_cast<std::size_t>(n) * 12);
  } catch (const std::bad_alloc&) {
    return refuse("Can not allocate memory for the triangulation.");
  }
  for (int t = 0; t < n; ++t) {
    const double* tri = triangles + static_cast<std::size_t>(t) * 9;
    double* p = points.data() + static_cast<std::size_t>(t) * 12;
    std::copy(tri, tri + 9, p);
    for (int k = 0; k < 3; ++k) p[9 + k] = (tri[k] + tri[3 + k] + tri[6 + k]) / 3;
  }
  return getSankakuFromPoints_X(points.data(), n * 4, out, count, true);
}
