#include "imaging/mesh/mesh_lists.h"

#include <cmath>
#include <cstring>

#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/values.h"

namespace pravella::mesh {

std::size_t VertexList::KeyHash::operator()(const Key& k) const {
  auto bits = [](double v) {
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    return u;
  };
  std::uint64_t h = bits(k.x) * 0x9E3779B97F4A7C15ull;
  h ^= bits(k.y) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
  h ^= bits(k.z) + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
  return static_cast<std::size_t>(h);
}

std::int32_t VertexList::merge(const Point3& p, std::size_t limit) {
  if (search_ == Search::Linear) {
    for (std::size_t i = 0; i < points_.size(); ++i) {
      const Point3& q = points_[i];
      if (q.x == p.x && q.y == p.y && q.z == p.z) return static_cast<std::int32_t>(i);
    }
  } else if (!std::isnan(p.x) && !std::isnan(p.y) && !std::isnan(p.z)) {
    // Adding 0 makes -0 and +0 one key, as == treats them; a NaN equals nothing and is always
    // appended, as the linear search would.
    const Key key{p.x + 0.0, p.y + 0.0, p.z + 0.0};
    if (auto found = index_.find(key); found != index_.end()) return found->second;
    if (points_.size() >= limit) return -1;
    const auto number = static_cast<std::int32_t>(points_.size());
    index_.emplace(key, number);
    points_.push_back(p);
    return number;
  }
  if (points_.size() >= limit) return -1;
  points_.push_back(p);
  return static_cast<std::int32_t>(points_.size() - 1);
}

std::size_t vertexLimit() { return static_cast<std::size_t>(TNumber) / 24; }
std::size_t triangleLimit() { return static_cast<std::size_t>(TNumber) / 12; }
std::size_t polygonLimit() { return static_cast<std::size_t>(TNumber) / 28; }

int tooManyTriangles() {
  error_disp("Too many Triangles");
  return 0;
}

bool meshWorkBroken() {
  if (!vkBreakHeld()) return false;
  error_disp(kVkBreakMessage);
  return true;
}

}  // namespace pravella::mesh
