#include "imaging/mesh/tetra_boundary.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <set>

#include "imaging/mesh/mesh_lists.h"
#include "lang/values.h"

namespace pravella::mesh {

namespace {

// Appends a triangle of three points.
int emit(double* out, int count, const ValuePoint& a, const ValuePoint& b, const ValuePoint& c) {
  double* t = out + static_cast<std::size_t>(count) * 9;
  const ValuePoint* p[3] = {&a, &b, &c};
  for (int k = 0; k < 3; ++k) {
    t[3 * k] = p[k]->x;
    t[3 * k + 1] = p[k]->y;
    t[3 * k + 2] = p[k]->z;
  }
  return count + 1;
}

double distance(const double* a, const double* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

// Heron's product: positive only for a triangle of non-zero area.
bool hasArea(const double* t) {
  const double a = distance(t, t + 3), b = distance(t + 3, t + 6), c = distance(t + 6, t);
  const double s = (a + b + c) / 2;
  return s * (s - a) * (s - b) * (s - c) > 0;
}

// The cube points of (x, y, z) in ring order, moved to the sample positions.
void cubeCorners(const double* grid, int h, int w, int x, int y, int z, ValuePoint p[8]) {
  static const int kRing[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                  {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  for (int c = 0; c < 8; ++c) {
    const int X = x + kRing[c][0], Y = y + kRing[c][1], Z = z + kRing[c][2];
    const double v = grid[(static_cast<std::size_t>(Z) * h + Y) * w + X];
    p[c] = ValuePoint{X + 0.5, Y + 0.5, Z + 0.5, v};
  }
}

bool thresholdInside(const ValuePoint p[8], double threshold) {
  double lo = p[0].v, hi = p[0].v;
  for (int c = 1; c < 8; ++c) {
    lo = std::min(lo, p[c].v);
    hi = std::max(hi, p[c].v);
  }
  return lo < threshold && threshold < hi;
}

// The whole grid, cube by cube, through `cut`; only triangles with area are kept, and only as
// many as the result buffer holds.
int gridBoundary(const double* grid, int h, int w, int d, double threshold, double* out, int* rows, int* cols,
                 const std::function<int(const ValuePoint[8], double*)>& cut) {
  const long long capacity = TNumber / 9;
  double cube[48 * 9];
  int count = 0;
  for (int z = 0; z + 1 < d; ++z)
    for (int y = 0; y + 1 < h; ++y) {
      if (meshWorkBroken()) return 0;
      for (int x = 0; x + 1 < w; ++x) {
        ValuePoint p[8];
        cubeCorners(grid, h, w, x, y, z, p);
        if (!thresholdInside(p, threshold)) continue;
        const int n = cut(p, cube);
        for (int t = 0; t < n; ++t) {
          const double* tri = cube + static_cast<std::size_t>(t) * 9;
          if (!hasArea(tri)) continue;
          if (count >= capacity) return tooManyTriangles();
          std::copy(tri, tri + 9, out + static_cast<std::size_t>(count) * 9);
          ++count;
        }
      }
    }
  *rows = count;
  *cols = 9;
  return 1;
}

}  // namespace

void SortPointData(ValuePoint* points, int count) {
  for (int i = 0; i < count; ++i)
    for (int j = i + 1; j < count; ++j)
      if (points[j].v > points[i].v) std::swap(points[i], points[j]);
}

ValuePoint LineAB(const ValuePoint& a, const ValuePoint& b, double t) {
  const double d = a.v - b.v;
  return ValuePoint{(a.x * (t - b.v) - b.x * (t - a.v)) / d, (a.y * (t - b.v) - b.y * (t - a.v)) / d,
                    (a.z * (t - b.v) - b.z * (t - a.v)) / d, t};
}

int terrahedronBoundary(const ValuePoint in[4], double t, double* out, int count) {
  ValuePoint p[4] = {in[0], in[1], in[2], in[3]};
  SortPointData(p, 4);
  int above = 0;
  for (const ValuePoint& q : p)
    if (q.v > t) ++above;
  auto cut = [&](int i, int j) { return LineAB(p[i], p[j], t); };
  switch (above) {
    case 1:
      return emit(out, count, cut(0, 1), cut(0, 2), cut(0, 3));
    case 2:
      count = emit(out, count, cut(0, 3), cut(0, 2), cut(1, 2));
      return emit(out, count, cut(0, 3), cut(1, 2), cut(1, 3));
    case 3:
      return emit(out, count, cut(0, 3), cut(1, 3), cut(2, 3));
    default:
      return count;
  }
}

int cubeBoundary(const ValuePoint p[15], double t, double* out) {
  static const int kFaces[6][4] = {{0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6},
                                   {3, 0, 4, 7}, {0, 1, 2, 3}, {4, 5, 6, 7}};
  int count = 0;
  for (int f = 0; f < 6; ++f)
    for (int e = 0; e < 4; ++e) {
      const ValuePoint tetra[4] = {p[kFaces[f][e]], p[kFaces[f][(e + 1) % 4]], p[8 + f], p[14]};
      count = terrahedronBoundary(tetra, t, out, count);
    }
  return count;
}

int cubeBoundary_old(const ValuePoint p[8], double t, double* out) {
  static const int kTetra[5][4] = {{0, 4, 5, 7}, {0, 1, 2, 5}, {0, 2, 3, 7}, {2, 5, 6, 7}, {0, 2, 5, 7}};
  int count = 0;
  for (const auto& k : kTetra) {
    const ValuePoint tetra[4] = {p[k[0]], p[k[1]], p[k[2]], p[k[3]]};
    count = terrahedronBoundary(tetra, t, out, count);
  }
  return count;
}

int volumeBoundary(const double* grid, int h, int w, int d, double t, double* out, int* rows, int* cols) {
  return gridBoundary(grid, h, w, d, t, out, rows, cols, [t](const ValuePoint c[8], double* cube) {
    static const int kFaces[6][4] = {{0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6},
                                     {3, 0, 4, 7}, {0, 1, 2, 3}, {4, 5, 6, 7}};
    ValuePoint p[15];
    std::copy(c, c + 8, p);
    ValuePoint centre{0, 0, 0, 0};
    for (int f = 0; f < 6; ++f) {
      ValuePoint m{0, 0, 0, 0};
      for (int k : kFaces[f]) {
        m.x += c[k].x / 4;
        m.y += c[k].y / 4;
        m.z += c[k].z / 4;
        m.v += c[k].v / 4;
      }
      p[8 + f] = m;
    }
    for (int k = 0; k < 8; ++k) {
      centre.x += c[k].x / 8;
      centre.y += c[k].y / 8;
      centre.z += c[k].z / 8;
      centre.v += c[k].v / 8;
    }
    p[14] = centre;
    return cubeBoundary(p, t, cube);
  });
}

int volumeBoundary_old(const double* grid, int h, int w, int d, double t, double* out, int* rows, int* cols) {
  return gridBoundary(grid, h, w, d, t, out, rows, cols,
                      [t](const ValuePoint c[8], double* cube) { return cubeBoundary_old(c, t, cube); });
}

int deleteSameTriangle(const double* triangles, int count, double* out, int* outCount) {
  if (static_cast<long long>(count) * 12 > TNumber) return tooManyTriangles();
  // A triangle is its three vertices in sorted order, so that any order of the same vertices
  // is the same triangle; the coordinates are compared exactly.
  using Vertex = std::array<double, 3>;
  std::set<std::array<Vertex, 3>> seen;
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    const double* t = triangles + static_cast<std::size_t>(i) * 9;
    // A coordinate that is not a number equals nothing: such a triangle is never a repeat.
    const bool comparable = std::none_of(t, t + 9, [](double v) { return std::isnan(v); });
    if (!comparable) {
      std::copy(t, t + 9, out + static_cast<std::size_t>(kept) * 9);
      ++kept;
      continue;
    }
    std::array<Vertex, 3> key;
    for (int k = 0; k < 3; ++k)
      key[static_cast<std::size_t>(k)] = {t[3 * k] + 0.0, t[3 * k + 1] + 0.0, t[3 * k + 2] + 0.0};
    std::sort(key.begin(), key.end());
    if (!seen.insert(key).second) continue;
    std::copy(t, t + 9, out + static_cast<std::size_t>(kept) * 9);
    ++kept;
  }
  *outCount = kept;
  return 1;
}

}  // namespace pravella::mesh
