#include "imaging/mesh/sample_boundary.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

#include "lang/report.h"
#include "lang/values.h"
#include "lang/variables.h"
#include "platform/atomic_file.h"
#include "platform/cformat.h"

namespace pravella::mesh {

namespace {

constexpr double kPlaneTolerance = 1e-12;

// Sample classes: outside, surface, interior.
enum : int { kOutside = 0, kSurface = 1, kInterior = -1 };

struct Grid {
  const double* values;
  int n, d;
  double at(int x, int y, int z) const { return values[(static_cast<std::size_t>(z) * n + y) * n + x]; }
  bool inside(int x, int y, int z) const { return x >= 0 && y >= 0 && z >= 0 && x < n && y < n && z < d; }
};

constexpr int kNeighbours[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};

std::vector<int> classify(const Grid& g, double t) {
  std::vector<int> cls(static_cast<std::size_t>(g.n) * g.n * g.d, kOutside);
  for (int z = 0; z < g.d; ++z)
    for (int y = 0; y < g.n; ++y)
      for (int x = 0; x < g.n; ++x) {
        if (!(g.at(x, y, z) > t)) continue;
        int above = 0;
        for (const auto& o : kNeighbours) {
          const int X = x + o[0], Y = y + o[1], Z = z + o[2];
          if (g.inside(X, Y, Z) && g.at(X, Y, Z) > t) ++above;
        }
        cls[(static_cast<std::size_t>(z) * g.n + y) * g.n + x] = above == 6 ? kInterior : kSurface;
      }
  return cls;
}

struct CubePoint {
  Point3 p;
  int cls;
};

// The plane value of q for the plane through a, b, c (normal not normalised).
double planeValue(const Point3& a, const Point3& b, const Point3& c, const Point3& q) {
  const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  return nx * (q.x - a.x) + ny * (q.y - a.y) + nz * (q.z - a.z);
}

// 1 when no two points lie strictly on opposite sides of the plane through i, j, k.
int isBoundaryTriangle(const std::vector<CubePoint>& pts, int i, int j, int k) {
  bool over = false, under = false;
  for (const CubePoint& q : pts) {
    const double v = planeValue(pts[static_cast<std::size_t>(i)].p, pts[static_cast<std::size_t>(j)].p,
                                pts[static_cast<std::size_t>(k)].p, q.p);
    if (v > kPlaneTolerance) over = true;
    if (v < -kPlaneTolerance) under = true;
  }
  return over && under ? 0 : 1;
}

using Triple = std::array<int, 3>;

std::vector<Triple> searchBoundaryTriangle(const std::vector<CubePoint>& pts) {
  const int m = static_cast<int>(pts.size());
  std::vector<Triple> candidates;
  for (int i = 0; i < m; ++i)
    for (int j = i + 1; j < m; ++j)
      for (int k = j + 1; k < m; ++k) {
        if (pts[static_cast<std::size_t>(i)].cls <= 0 || pts[static_cast<std::size_t>(j)].cls <= 0 ||
            pts[static_cast<std::size_t>(k)].cls <= 0)
          continue;
        if (isBoundaryTriangle(pts, i, j, k)) candidates.push_back({i, j, k});
      }
  // The coplanar rules: four coplanar surface points give two triangles split along one
  // diagonal, and a face holding an interior point is dropped.
  enum class State { Undecided, Accepted, Rejected };
  std::vector<State> state(candidates.size(), State::Undecided);
  auto same = [](const Triple& t, int a, int b, int c) {
    Triple s{a, b, c};
    std::sort(s.begin(), s.end());
    return t == s;
  };
  for (std::size_t n = 0; n < candidates.size(); ++n) {
    if (state[n] == State::Rejected) continue;
    state[n] = State::Accepted;
    const auto [a, b, c] = candidates[n];
    for (int p = 0; p < m; ++p) {
      if (p == a || p == b || p == c) continue;
      const Point3& q = pts[static_cast<std::size_t>(p)].p;
      if (std::fabs(planeValue(pts[static_cast<std::size_t>(a)].p, pts[static_cast<std::size_t>(b)].p,
                               pts[static_cast<std::size_t>(c)].p, q)) > kPlaneTolerance)
        continue;
      if (pts[static_cast<std::size_t>(p)].cls == kInterior) {
        state[n] = State::Rejected;
        break;
      }
      for (std::size_t later = n + 1; later < candidates.size(); ++later) {
        if (state[later] != State::Undecided) continue;
        if (same(candidates[later], a, b, p) || same(candidates[later], a, c, p))
          state[later] = State::Rejected;
        else if (same(candidates[later], b, c, p))
          state[later] = State::Accepted;
      }
    }
  }
  std::vector<Triple> accepted;
  for (std::size_t n = 0; n < candidates.size(); ++n)
    if (state[n] == State::Accepted) accepted.push_back(candidates[n]);
  return accepted;
}

// Removes every triangle that occurs twice (any vertex order): both copies lie inside.
void deleteDoubleTriangle(std::vector<Triple>& triangles) {
  std::map<Triple, int> uses;
  auto key = [](Triple t) {
    std::sort(t.begin(), t.end());
    return t;
  };
  for (const Triple& t : triangles) ++uses[key(t)];
  std::erase_if(triangles, [&](const Triple& t) { return uses[key(t)] > 1; });
}

}  // namespace

int volumeBoundary_Sub(const double* grid, int rows, int cols, double t, VertexList& vertices,
                       std::vector<std::array<int, 3>>& triangles) {
  const Grid g{grid, cols, cols > 0 ? rows / cols : 0};
  const std::vector<int> cls = classify(g, t);
  auto classAt = [&](int x, int y, int z) { return cls[(static_cast<std::size_t>(z) * g.n + y) * g.n + x]; };
  std::vector<CubePoint> pts;
  for (int z = 0; z + 1 < g.d; ++z)
    for (int y = 0; y + 1 < g.n; ++y) {
      if (meshWorkBroken()) return 0;
      for (int x = 0; x + 1 < g.n; ++x) {
        pts.clear();
        for (int k = 0; k < 2; ++k)
          for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i)
              if (const int c = classAt(x + i, y + j, z + k); c != kOutside)
                pts.push_back(CubePoint{Point3{double(x + i), double(y + j), double(z + k)}, c});
        if (pts.size() < 4) continue;
        if (pts.size() == 4 &&
            std::fabs(planeValue(pts[0].p, pts[1].p, pts[2].p, pts[3].p)) <= kPlaneTolerance)
          continue;
        const std::vector<Triple> local = searchBoundaryTriangle(pts);
        std::int32_t numbers[8];
        for (std::size_t k = 0; k < pts.size(); ++k) {
          numbers[k] = vertices.merge(pts[k].p, vertexLimit());
          if (numbers[k] < 0) return tooManyTriangles();
        }
        for (const Triple& tri : local) {
          if (triangles.size() >= triangleLimit()) return tooManyTriangles();
          triangles.push_back({numbers[tri[0]], numbers[tri[1]], numbers[tri[2]]});
        }
      }
    }
  deleteDoubleTriangle(triangles);

  // Relocation, every vertex from its own unmoved sample position.
  for (Point3& p : vertices.points()) {
    const int x = static_cast<int>(p.x), y = static_cast<int>(p.y), z = static_cast<int>(p.z);
    const double v = g.at(x, y, z);
    double sx = 0, sy = 0, sz = 0;
    int crossings = 0;
    for (const auto& o : kNeighbours) {
      const int X = x + o[0], Y = y + o[1], Z = z + o[2];
      if (!g.inside(X, Y, Z)) continue;
      const double w = g.at(X, Y, Z);
      if (!(w < t)) continue;
      // LineAB_X: where the interpolation from the sample to the neighbour meets t.
      sx += (x * (t - w) - X * (t - v)) / (v - w);
      sy += (y * (t - w) - Y * (t - v)) / (v - w);
      sz += (z * (t - w) - Z * (t - v)) / (v - w);
      ++crossings;
    }
    if (crossings > 0) p = Point3{sx / crossings, sy / crossings, sz / crossings};
  }
  return 1;
}

int volumeBoundary_1(const double* grid, int rows, int cols, double t, double* out, int* outRows) {
  VertexList vertices;
  std::vector<std::array<int, 3>> triangles;
  if (!volumeBoundary_Sub(grid, rows, cols, t, vertices, triangles)) return 0;
  if (static_cast<long long>(triangles.size()) * 9 > TNumber) return tooManyTriangles();
  const auto& v = vertices.points();
  double* row = out;
  for (const auto& tri : triangles)
    for (int k : tri) {
      const Point3& p = v[static_cast<std::size_t>(k)];
      row[0] = p.x;
      row[1] = p.y;
      row[2] = p.z;
      row += 3;
    }
  *outRows = static_cast<int>(triangles.size());
  return 1;
}

std::string meshTo3DMF(const std::vector<Point3>& vertices,
                       const std::vector<std::array<int, 3>>& triangles) {
  std::string s;
  s += "3DMetafile ( 1 5 Normal tableofcontents0> )\n";
  s += "\tContainer (\n\t\tViewHints ( )\n\t\tImageClearColor (1 1.0 1.0 1.0)\n\t)\n";
  s += "\tContainer (\n\t\tMesh (\n";
  s += cformat("\t\t\t%ld\n", static_cast<long>(vertices.size()));
  for (const Point3& p : vertices) s += cformat("\t\t\t%g %g %g\n", p.x, p.y, p.z);
  s += cformat("\t\t\t%ld\n", static_cast<long>(triangles.size()));
  s += "\t\t\t0\n";
  for (const auto& t : triangles)
    s += cformat("\t\t\t3 %ld %ld %ld\n", static_cast<long>(t[0]), static_cast<long>(t[1]),
                 static_cast<long>(t[2]));
  s += "\t\t)\n";
  s += "\t\tContainer (\n\t\t\tAttributeSet ( )\n\t\t\tDiffuseColor (1.0 0.9 0.9)\n";
  s += "\t\t\tSpecularColor (0.9 1.0 0.800000)\n\t\t\tTransparencyColor (0.5 0.5 0.9)\n\t\t)\n";
  s += "\t)\n\tEndGroup ( )\n";
  return s;
}

int volumeBoundary_3DMF(const double* grid, int rows, int cols, double t, const std::string& name) {
  VertexList vertices;
  std::vector<std::array<int, 3>> triangles;
  if (!volumeBoundary_Sub(grid, rows, cols, t, vertices, triangles)) return 0;
  std::string path;
  if (!changeFullPath(name, path)) return 0;
  NowLoadSaveName = path;
  const std::string text = meshTo3DMF(vertices.points(), triangles);
  // Through a temporary file renamed at the end: a full disk leaves no half-written mesh.
  if (!writeFileAtomically(QString::fromStdString(path),
                           QByteArray(text.data(), static_cast<qsizetype>(text.size())))) {
    error_disp("Can't open the save file(3DMF).");
    return 0;
  }
  return 1;
}

}  // namespace pravella::mesh
