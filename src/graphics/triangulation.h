#pragma once
// Planar triangulation of scattered points carrying values: merge coincident points, walk the
// convex hull, fan it into triangles, insert the remaining points one by one, then swap
// diagonals while that makes the smallest angle larger. Serves "pointsToSankaku",
// "sankakuHokan" and the point digitiser. The working tables are process-wide (one
// triangulation at a time, on the language's thread) and keep the last mesh.

#include <array>
#include <cstdint>
#include <vector>

inline constexpr int kSankakuCapacity = 100000;
// Each interior edge is shared by two triangles, so a table of kSankakuCapacity triangles has at
// most 3/2 as many interior edges (a mesh of n points about 3n).
inline constexpr int kSankakuEdgeCapacity = kSankakuCapacity / 2 * 3;

struct SankakuPoint {
  double x, y;
};
struct SankakuLine {
  int32_t a, b;    // the edge's points
  int32_t t1, t2;  // the triangles on either side
};

extern std::vector<SankakuPoint> pData;            // merged points
extern std::vector<std::array<int32_t, 3>> sData;  // triangles (point indices)
extern std::vector<SankakuLine> lData;             // interior edges
extern int32_t pointNum, sankakuNum, lineNum;

// Allocates the tables where not yet allocated and clears them; 0 (tables released) when
// memory cannot be had. Every triangulation fails while the tables are absent.
int initSankakuData();

// Triangulates the n rows of (x, y, value), which step 1 rewrites in place (merged points
// first). Coordinate form: 9 values a triangle (x, y, value of each corner); index form: 3
// point indices a triangle. Returns 1 with the triangle count in *count, or 0 without a
// message (too many points, fewer than three distinct ones, all on one line, too many
// triangles, values that are not finite, coordinates beyond 1e+15, or a result above the
// element capacity); reportSankakuFailure() then says why.
int getSankakuFromPoints(double* points, int n, double* out, int* count);
int getSankakuFromPoints2(double* points, int n, double* out, int* count);
int getSankakuFromPoints_X(double* points, int n, double* out, int* count, bool coordinates);

// Each triangle (9 values a row) refined at its centroid, the corners of neighbours merged:
// coordinate form. 0 for more than 25,000 triangles or any failure of the triangulation.
int DoSankakuHokan(const double* triangles, int n, double* out, int* count);

// Reports why the last triangulation or refinement returned 0: the limit, the memory or the
// input that stopped it, else "Can not create triangles." (fewer than three distinct points,
// all on one line). Returns 0, for the built-ins to return.
int reportSankakuFailure();

// The angle at p0 between the directions to p1 and p2 (0 when either has no length).
double sankakuKakudo(double x0, double y0, double x1, double y1, double x2, double y2);
// 1 when the segments (x1, y1)-(x2, y2) and (x3, y3)-(x4, y4) cross strictly inside both.
int cross2LinesUseInTaikakuKoukan(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                  double y4);
