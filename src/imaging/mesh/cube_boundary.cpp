#include "imaging/mesh/cube_boundary.h"

#include <algorithm>
#include <cmath>

#include "lang/values.h"

std::int32_t kakudoStatus = 1;

int changeKakudoStatus(std::int32_t value) {
  kakudoStatus = value == 1 ? 1 : 0;
  return 1;
}

namespace pravella::mesh {

namespace {

// The twelve cube edges as corner pairs, in the order of their numbers (which is also the
// order of the pairs by first and then second corner).
constexpr int kEdges[12][2] = {{0, 1}, {0, 2}, {0, 4}, {1, 3}, {1, 5}, {2, 3},
                               {2, 6}, {3, 7}, {4, 5}, {4, 6}, {5, 7}, {6, 7}};
// The faces as their four corners: x = 0, x = 1, y = 0, y = 1, z = 0, z = 1.
constexpr int kFaces[6][4] = {{0, 2, 4, 6}, {1, 3, 5, 7}, {0, 1, 4, 5},
                              {2, 3, 6, 7}, {0, 1, 2, 3}, {4, 5, 6, 7}};

// Corner pair -> edge number + 1 (0 when the corners share no edge), and edge pair -> 1 when
// the two edges lie on a common face.
struct CubeTables {
  int edgeOf[8][8] = {};
  bool faceNeighbour[12][12] = {};
  CubeTables() {
    for (int e = 0; e < 12; ++e) {
      edgeOf[kEdges[e][0]][kEdges[e][1]] = edgeOf[kEdges[e][1]][kEdges[e][0]] = e + 1;
    }
    auto onFace = [](int e, const int* face) {
      return std::count(face, face + 4, kEdges[e][0]) && std::count(face, face + 4, kEdges[e][1]);
    };
    for (int e = 0; e < 12; ++e)
      for (int f = 0; f < 12; ++f)
        for (const auto& face : kFaces)
          if (e != f && onFace(e, face) && onFace(f, face)) faceNeighbour[e][f] = true;
  }
};
const CubeTables& tables() {
  static const CubeTables t;
  return t;
}

// The corners of the cube at (x, y, z) of the grid.
void cubeCorners(const double* grid, int n, int x, int y, int z, double c[8][4]) {
  for (int k = 0; k < 2; ++k)
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i) {
        double* corner = c[k * 4 + j * 2 + i];
        corner[0] = x + i;
        corner[1] = y + j;
        corner[2] = z + k;
        corner[3] = grid[(static_cast<std::size_t>(z + k) * n + (y + j)) * n + (x + i)];
      }
}

// Runs `cube` on every cube with one to seven corners above the threshold.
template <typename Cube>
int everyCube(const double* grid, int rows, int cols, double t, Cube&& cube) {
  const int n = cols, d = n > 0 ? rows / n : 0;
  for (int z = 0; z + 1 < d; ++z)
    for (int y = 0; y + 1 < n; ++y) {
      if (meshWorkBroken()) return 0;
      for (int x = 0; x + 1 < n; ++x) {
        double c[8][4];
        cubeCorners(grid, n, x, y, z, c);
        int above = 0;
        for (const auto& corner : c)
          if (corner[3] > t) ++above;
        if (above == 0 || above == 8) continue;
        if (!cube(c)) return 0;
      }
    }
  return 1;
}

// The global numbers of a cube's vertices; false when the vertex list is full.
bool mergeVertices(const std::vector<CutVertex>& cut, VertexList& vertices,
                   std::vector<std::int32_t>& numbers) {
  numbers.clear();
  for (const CutVertex& v : cut) {
    const std::int32_t k = vertices.merge(v.p, vertexLimit());
    if (k < 0) return false;
    numbers.push_back(k);
  }
  return true;
}

std::vector<Point3> pointsOf(const std::vector<CutVertex>& cut) {
  std::vector<Point3> p;
  p.reserve(cut.size());
  for (const CutVertex& v : cut) p.push_back(v.p);
  return p;
}

}  // namespace

int cubeBoundary_A(const double c[8][4], double t, std::vector<CutVertex>& vertices,
                   std::vector<Polygon>& polygons) {
  const CubeTables& tab = tables();
  vertices.clear();
  polygons.clear();
  int onEdge[12];
  for (int e = 0; e < 12; ++e) {
    onEdge[e] = -1;
    const int a = kEdges[e][0], b = kEdges[e][1];
    const double va = c[a][3], vb = c[b][3];
    if (!((va > t && vb < t) || (va < t && vb > t))) continue;
    auto at = [&](int k) { return (c[a][k] * (t - vb) - c[b][k] * (t - va)) / (va - vb); };
    onEdge[e] = static_cast<int>(vertices.size());
    vertices.push_back(CutVertex{Point3{at(0), at(1), at(2)}, e, a, b});
  }
  std::vector<bool> used(vertices.size(), false);

  // Corners cut off alone: above the threshold first, then below.
  for (int side = 0; side < 2; ++side)
    for (int corner = 0; corner < 8; ++corner) {
      const double v = c[corner][3];
      if (side == 0 ? !(v > t) : !(v < t)) continue;
      Polygon triangle;
      for (int nb = 0; nb < 8; ++nb)
        if (const int e = tab.edgeOf[corner][nb]; e && onEdge[e - 1] >= 0) triangle.push_back(onEdge[e - 1]);
      if (triangle.size() != 3) continue;
      for (int k : triangle) used[static_cast<std::size_t>(k)] = true;
      polygons.push_back(triangle);
    }

  // The corner of an edge with the larger value (the higher-numbered one on a tie).
  auto high = [&](const CutVertex& v) {
    return c[v.a][3] > c[v.b][3] ? v.a : c[v.b][3] > c[v.a][3] ? v.b : std::max(v.a, v.b);
  };
  auto near = [&](int h, int g) { return h == g || tab.edgeOf[h][g] != 0; };
  const int count = static_cast<int>(vertices.size());
  for (int start = 0; start < count; ++start) {
    if (used[static_cast<std::size_t>(start)]) continue;
    Polygon polygon{start};
    used[static_cast<std::size_t>(start)] = true;
    int current = start;
    for (;;) {
      const int e = vertices[static_cast<std::size_t>(current)].edge;
      int only = -1, candidates = 0;
      for (int k = 0; k < count; ++k)
        if (!used[static_cast<std::size_t>(k)] &&
            tab.faceNeighbour[e][vertices[static_cast<std::size_t>(k)].edge]) {
          if (candidates++ == 0) only = k;
        }
      int next = -1;
      if (candidates == 1) {
        next = only;
      } else {
        const int h = high(vertices[static_cast<std::size_t>(current)]);
        for (int k = 0; k < count && next < 0; ++k) {
          const CutVertex& v = vertices[static_cast<std::size_t>(k)];
          if (!used[static_cast<std::size_t>(k)] && tab.faceNeighbour[e][v.edge] && near(h, high(v)))
            next = k;
        }
      }
      if (next < 0) break;
      used[static_cast<std::size_t>(next)] = true;
      polygon.push_back(next);
      current = next;
    }
    if (polygon.size() >= 3) polygons.push_back(polygon);
  }
  return 1;
}

double kakudo(const std::vector<Point3>& p, int a, int b, int c) {
  const Point3 &A = p[static_cast<std::size_t>(a)], &B = p[static_cast<std::size_t>(b)],
               &C = p[static_cast<std::size_t>(c)];
  const double ux = A.x - B.x, uy = A.y - B.y, uz = A.z - B.z;
  const double wx = C.x - B.x, wy = C.y - B.y, wz = C.z - B.z;
  const double lengths = (ux * ux + uy * uy + uz * uz) * (wx * wx + wy * wy + wz * wz);
  // A collapsed corner must never count as the smallest angle.
  if (!(lengths >= 1e-12)) return 2 * M_PI;
  return std::acos(std::clamp((ux * wx + uy * wy + uz * wz) / std::sqrt(lengths), -1.0, 1.0));
}

double minKakudo(const std::vector<Point3>& p, int a, int b, int c) {
  return std::min({kakudo(p, b, a, c), kakudo(p, a, b, c), kakudo(p, a, c, b)});
}

std::vector<std::array<int, 3>> makeTrianglesFromPolygon(const std::vector<Point3>& p,
                                                         const Polygon& polygon) {
  std::vector<std::array<int, 3>> triangles;
  const int m = static_cast<int>(polygon.size());
  if (m < 3) return triangles;
  for (int i = 2; i < m; ++i)
    triangles.push_back(
        {polygon[0], polygon[static_cast<std::size_t>(i - 1)], polygon[static_cast<std::size_t>(i)]});
  std::vector<std::array<int, 2>> diagonals;
  for (int i = 2; i + 1 < m; ++i) diagonals.push_back({polygon[0], polygon[static_cast<std::size_t>(i)]});
  auto holds = [](const std::array<int, 3>& t, int a, int b) {
    return std::count(t.begin(), t.end(), a) && std::count(t.begin(), t.end(), b);
  };
  auto third = [](const std::array<int, 3>& t, int a, int b) {
    for (int v : t)
      if (v != a && v != b) return v;
    return -1;
  };
  // Each flip strictly improves the rule's measure of the pair it changes; the bound only
  // guards against rounding in angles of bent (non-planar) polygons.
  for (int pass = 0; pass < 100; ++pass) {
    bool changed = false;
    for (auto& diagonal : diagonals) {
      const int a = diagonal[0], b = diagonal[1];
      int t1 = -1, t2 = -1;
      for (int k = 0; k < static_cast<int>(triangles.size()); ++k)
        if (holds(triangles[static_cast<std::size_t>(k)], a, b)) {
          if (t1 < 0) {
            t1 = k;
          } else {
            t2 = k;
            break;
          }
        }
      if (t2 < 0) continue;
      const int c = third(triangles[static_cast<std::size_t>(t1)], a, b);
      const int d = third(triangles[static_cast<std::size_t>(t2)], a, b);
      const double now = std::min(minKakudo(p, a, c, b), minKakudo(p, a, b, d));
      const double flipped = std::min(minKakudo(p, a, c, d), minKakudo(p, c, b, d));
      if (kakudoStatus == 1 ? !(flipped > now) : !(flipped < now)) continue;
      triangles[static_cast<std::size_t>(t1)] = {a, c, d};
      triangles[static_cast<std::size_t>(t2)] = {c, b, d};
      diagonal = {c, d};
      changed = true;
    }
    if (!changed) break;
  }
  return triangles;
}

int volumeBoundary_Sub3(const double* grid, int rows, int cols, double t, VertexList& vertices,
                        std::vector<std::array<int, 3>>& triangles) {
  std::vector<CutVertex> cut;
  std::vector<Polygon> polygons;
  std::vector<std::int32_t> numbers;
  return everyCube(grid, rows, cols, t, [&](const double c[8][4]) {
    cubeBoundary_A(c, t, cut, polygons);
    const std::vector<Point3> points = pointsOf(cut);
    if (!mergeVertices(cut, vertices, numbers)) return tooManyTriangles();
    // Every polygon is triangulated, seven-sided ones too, so that the surface has no holes.
    for (const Polygon& polygon : polygons)
      for (const auto& tri : makeTrianglesFromPolygon(points, polygon)) {
        if (triangles.size() >= triangleLimit()) return tooManyTriangles();
        triangles.push_back({numbers[static_cast<std::size_t>(tri[0])],
                             numbers[static_cast<std::size_t>(tri[1])],
                             numbers[static_cast<std::size_t>(tri[2])]});
      }
    return 1;
  });
}

int volumeBoundary_Sub2(const double* grid, int rows, int cols, double t, VertexList& vertices,
                        std::vector<Polygon>& polygons) {
  std::vector<CutVertex> cut;
  std::vector<Polygon> cubePolygons;
  std::vector<std::int32_t> numbers;
  return everyCube(grid, rows, cols, t, [&](const double c[8][4]) {
    cubeBoundary_A(c, t, cut, cubePolygons);
    if (!mergeVertices(cut, vertices, numbers)) return tooManyTriangles();
    for (const Polygon& local : cubePolygons) {
      Polygon q;
      for (int k : local) q.push_back(numbers[static_cast<std::size_t>(k)]);
      // A row of seven holds at most six vertices: a longer polygon gives up a quadrilateral
      // (p0, p1, p2, p3) and goes on as (p0, p3, ...), so a heptagon becomes a quadrilateral
      // and a pentagon along its diagonal p0-p3.
      while (q.size() > 6) {
        if (polygons.size() >= polygonLimit()) return tooManyTriangles();
        polygons.push_back({q[0], q[1], q[2], q[3]});
        q.erase(q.begin() + 1, q.begin() + 3);
      }
      if (polygons.size() >= polygonLimit()) return tooManyTriangles();
      polygons.push_back(q);
    }
    return 1;
  });
}

int volumeBoundary_3(const double* grid, int rows, int cols, double t, double* out, int* outRows,
                     VertexList::Search search) {
  VertexList vertices(search);
  std::vector<std::array<int, 3>> triangles;
  if (!volumeBoundary_Sub3(grid, rows, cols, t, vertices, triangles)) return 0;
  const auto& v = vertices.points();
  const long long total = static_cast<long long>(v.size()) + static_cast<long long>(triangles.size()) + 2;
  if (total * 3 > TNumber) return tooManyTriangles();
  double* row = out;
  auto put = [&](double a, double b, double c) {
    row[0] = a;
    row[1] = b;
    row[2] = c;
    row += 3;
  };
  put(static_cast<double>(v.size()), 0, 0);
  for (const Point3& p : v) put(p.x, p.y, p.z);
  put(static_cast<double>(triangles.size()), 0, 0);
  for (const auto& tri : triangles) put(tri[0], tri[1], tri[2]);
  *outRows = static_cast<int>(total);
  return 1;
}

int volumeBoundary_2(const double* grid, int rows, int cols, double t, double* out, int* outRows) {
  VertexList vertices;
  std::vector<Polygon> polygons;
  if (!volumeBoundary_Sub2(grid, rows, cols, t, vertices, polygons)) return 0;
  const auto& v = vertices.points();
  const long long total = static_cast<long long>(v.size()) + static_cast<long long>(polygons.size()) + 2;
  if (total * 7 > TNumber) return tooManyTriangles();
  std::fill(out, out + total * 7, 0.0);
  double* row = out;
  row[0] = static_cast<double>(v.size());
  row += 7;
  for (const Point3& p : v) {
    row[0] = p.x;
    row[1] = p.y;
    row[2] = p.z;
    row += 7;
  }
  row[0] = static_cast<double>(polygons.size());
  row += 7;
  for (const Polygon& q : polygons) {
    row[0] = static_cast<double>(q.size());
    for (std::size_t k = 0; k < q.size(); ++k) row[1 + k] = q[k];
    row += 7;
  }
  *outRows = static_cast<int>(total);
  return 1;
}

}  // namespace pravella::mesh
