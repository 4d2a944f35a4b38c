#pragma once
// What the threshold-surface meshers share: points, the global vertex list that merges points
// of exactly equal coordinates, the capacity of the lists and of the result buffer, and the
// message that refuses a surface too large for them.

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace pravella::mesh {

struct Point3 {
  double x = 0, y = 0, z = 0;
};

// A point takes the number of the first listed vertex with exactly equal coordinates, else it
// is appended. The hash map gives the same numbers as a linear search in constant time; the
// linear search is kept for the benchmark that compares the two.
class VertexList {
 public:
  enum class Search { Hash, Linear };
  explicit VertexList(Search search = Search::Hash) : search_(search) {}

  // The vertex number of p; -1 when the list is full (more than `limit` vertices).
  std::int32_t merge(const Point3& p, std::size_t limit);
  const std::vector<Point3>& points() const { return points_; }
  std::vector<Point3>& points() { return points_; }

 private:
  struct Key {
    double x, y, z;
    bool operator==(const Key& o) const { return x == o.x && y == o.y && z == o.z; }
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const;
  };
  Search search_;
  std::vector<Point3> points_;
  std::unordered_map<Key, std::int32_t, KeyHash> index_;
};

// The list capacities the meshers have always had: TNumber bytes per list, so TNumber / 24
// vertices, TNumber / 12 triangles and TNumber / 28 polygons.
std::size_t vertexLimit();
std::size_t triangleLimit();
std::size_t polygonLimit();

// Reports "Too many Triangles" and returns 0: a surface that needs more than the lists or the
// result buffer (TNumber reals) hold.
int tooManyTriangles();

// The break test of the grid walks, made per row of cubes: a grid of the largest size takes
// many seconds. True after reporting the break message when the button has been held.
bool meshWorkBroken();

}  // namespace pravella::mesh
