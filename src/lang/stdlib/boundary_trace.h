#pragma once
// Tracing the outer boundary of a region of set pixels (not 0) of an image (row-major
// doubles) by its 8 neighbours, clockwise on the screen (rows downward).

// A position of the trace: row, column (from 0) and the direction (0 east, then clockwise:
// 1 south-east, 2 south, ... 7 north-east) from that pixel to the background pixel the trace
// came along.
struct BoundaryPosition {
  int row = 0;
  int col = 0;
  int back = 4;
};

// One step: the next set pixel clockwise around `current`, starting after its background
// neighbour, becomes `current` and is appended to `points` as (row + 1, column + 1) at row
// *count. Returns 1 after a step, 0 when the trace is complete (the step would return to
// `start` and leave it again the way it first did) or the pixel has no set neighbour.
int searchNextBoundaryCell(const BoundaryPosition& start, BoundaryPosition& current, double* points,
                           int* count, const double* image, int rows, int cols);

// The whole boundary of the region of the first set pixel in row order: its pixels in trace
// order from that pixel, as (row + 1, column + 1) rows; `limit` rows at most. Returns 1, or 0
// when no pixel is set or the boundary has more than `limit` pixels.
int traceBoundary(const double* image, int rows, int cols, double* points, int* count, int limit);
