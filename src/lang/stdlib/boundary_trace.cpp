#include "lang/stdlib/boundary_trace.h"

#include <cstddef>

namespace {

constexpr int kDr[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kDc[8] = {1, 1, 0, -1, -1, -1, 0, 1};

bool isSet(const double* image, int rows, int cols, int r, int c) {
  return r >= 0 && r < rows && c >= 0 && c < cols && image[static_cast<std::size_t>(r) * cols + c] != 0.0;
}

int directionOf(int dr, int dc) {
  for (int d = 0; d < 8; ++d)
    if (kDr[d] == dr && kDc[d] == dc) return d;
  return 4;
}

// The step from `p` without appending: false for an isolated pixel.
bool step(BoundaryPosition& p, const double* image, int rows, int cols) {
  int prevR = p.row + kDr[p.back], prevC = p.col + kDc[p.back];
  for (int i = 1; i <= 8; ++i) {
    const int d = (p.back + i) % 8;
    const int r = p.row + kDr[d], c = p.col + kDc[d];
    if (isSet(image, rows, cols, r, c)) {
      // The neighbour checked just before is background and touches the new pixel.
      p.back = directionOf(prevR - r, prevC - c);
      p.row = r;
      p.col = c;
      return true;
    }
    prevR = r;
    prevC = c;
  }
  return false;
}

// The step to `next` returns to the start, which the trace would then leave the way it first
// did: the boundary is closed (a start the boundary passes twice is left another way).
bool closes(const BoundaryPosition& start, const BoundaryPosition& next, const double* image, int rows,
            int cols) {
  if (next.row != start.row || next.col != start.col) return false;
  BoundaryPosition first = start, after = next;
  step(first, image, rows, cols);
  step(after, image, rows, cols);
  return first.row == after.row && first.col == after.col && first.back == after.back;
}

}  // namespace

int searchNextBoundaryCell(const BoundaryPosition& start, BoundaryPosition& current, double* points,
                           int* count, const double* image, int rows, int cols) {
  BoundaryPosition next = current;
  if (!step(next, image, rows, cols)) return 0;
  if (closes(start, next, image, rows, cols)) return 0;
  current = next;
  points[2 * static_cast<std::size_t>(*count)] = current.row + 1;
  points[2 * static_cast<std::size_t>(*count) + 1] = current.col + 1;
  ++*count;
  return 1;
}

int traceBoundary(const double* image, int rows, int cols, double* points, int* count, int limit) {
  *count = 0;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      if (!isSet(image, rows, cols, r, c)) continue;
      // The first set pixel in row order has background (or the edge) to its west.
      const BoundaryPosition start{r, c, 4};
      if (limit < 1) return 0;
      points[0] = r + 1;
      points[1] = c + 1;
      *count = 1;
      BoundaryPosition current = start;
      while (true) {
        if (*count >= limit) {
          // The list is full: fine only when the trace ends here.
          BoundaryPosition next = current;
          if (!step(next, image, rows, cols)) return 1;
          return closes(start, next, image, rows, cols) ? 1 : 0;
        }
        if (!searchNextBoundaryCell(start, current, points, count, image, rows, cols)) return 1;
      }
    }
  return 0;
}
