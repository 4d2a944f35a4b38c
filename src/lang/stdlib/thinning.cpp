#include "lang/stdlib/thinning.h"

#include <cstddef>

#include "lang/report.h"
#include "lang/run_state.h"

namespace {

// Work values: 0 background, 1 set, 21 and 31 marked for the forward and the backward sweep,
// 41 kept for good. Only 0 is even, so "even" means background.
constexpr unsigned char kSet = 1, kForward = 21, kBackward = 31, kKept = 41;

struct Grid {
  unsigned char* w;
  int cols;
  unsigned char& at(int r, int c) const { return w[static_cast<std::size_t>(r) * cols + c]; }
  int background(int r, int c) const { return at(r, c) % 2 == 0 ? 1 : 0; }
};

// Deletes (0) or keeps (41) one marked pixel by the connectivity number of its neighbours.
void decide(const Grid& g, int r, int c) {
  const int n = g.background(r - 1, c), s = g.background(r + 1, c);
  const int w = g.background(r, c - 1), e = g.background(r, c + 1);
  const int ne = g.background(r - 1, c + 1), nw = g.background(r - 1, c - 1);
  const int sw = g.background(r + 1, c - 1), se = g.background(r + 1, c + 1);
  const int around = n + s + w + e + ne + nw + sw + se;
  // An end point or an isolated pixel stays, so lines do not shrink from their ends.
  if (around >= 7) {
    g.at(r, c) = kKept;
    return;
  }
  const int connectivity = n + e + w + s - ne * e * n - nw * n * w - w * sw * s - e * s * se;
  g.at(r, c) = connectivity == 1 ? 0 : kKept;
}

}  // namespace

int thin8y(double* image, unsigned char* work, int rows, int cols) {
  const std::size_t pixels = static_cast<std::size_t>(rows) * cols;
  for (std::size_t i = 0; i < pixels; ++i) work[i] = image[i] > 0 ? kSet : 0;
  const Grid g{work, cols};
  bool marked = true;
  while (marked) {
    marked = false;
    // A pass peels one layer: a large solid shape takes as many passes as half its width, each
    // over the whole image. The break is looked at per row.
    for (int r = 1; r < rows - 1; ++r) {
      if (vkBreakHeld()) {
        error_disp(kVkBreakMessage);
        return 0;
      }
      for (int c = 1; c < cols - 1; ++c) {
        unsigned char& p = g.at(r, c);
        if (p != kSet) continue;
        if (g.at(r - 1, c) == 0)
          p = kForward;
        else if (g.at(r, c - 1) == 0)
          p = kBackward;
        else if (g.at(r + 1, c) == 0)
          p = kForward;
        else if (g.at(r, c + 1) == 0)
          p = kBackward;
        else
          continue;
        marked = true;
      }
    }
    if (!marked) break;
    for (int r = 1; r < rows - 1; ++r)
      for (int c = 1; c < cols - 1; ++c)
        if (g.at(r, c) == kForward) decide(g, r, c);
    for (int r = rows - 2; r >= 1; --r)
      for (int c = cols - 2; c >= 1; --c)
        if (g.at(r, c) == kBackward) decide(g, r, c);
  }
  for (std::size_t i = 0; i < pixels; ++i) image[i] = work[i] != 0 ? 1.0 : 0.0;
  return 1;
}
