#pragma once
// Pictures of parametric surfaces (x, y, z matrices of one shape, z vertical) seen with the
// shared 3-D view: a hidden-surface mesh, a shaded surface, a surface coloured by a value
// matrix (optionally with contour lines) and a stereo pair. Cells are painted far to near
// (the painter's method). Matrices are row-major doubles.

#include <QByteArray>

#include <cstdint>

#include "graphics/picture.h"

// The 3-D view (picture size of the surface pictures, magnification, turn and tilt angles in
// degrees, eye distance) and the fixed height constants.
namespace view3d {
extern int32_t hwin;  // 300 at start; the 2-D plots keep their own size
extern int32_t vwin;
}  // namespace view3d
extern double magView3D, viewX, viewY, viewZ, Dhight, Dmax, Dmin;
// The 3-D view as at start, for a fresh language.
void resetView3DSettings();

// The rotation of a view: rows across, up and depth; each row's second coefficient multiplies
// z and its third y.
struct ViewRotation {
  double A[3], B[3], C[3];
};

// (w, h, turn, tilt, eye distance, magnification); DoSetView3D stores the middle three with
// their signs changed. Return 1, or 0 with the view unchanged for a value that is not finite,
// a size (truncated) outside 1 to 32,767 or an eye distance of 0.
int DoSetparametricPlot3D(const double v[6]);
int DoSetView3D(const double v[6]);

int CalcAngle(ViewRotation* r, double turn, double tilt);

// Perspective projection of a parametric grid into screen-x and screen-y grids; a point at or
// behind the eye plane lands on the centre.
int Calc3DframeTo2D(int rows, int cols, const double* x, const double* y, const double* z, double* sx,
                    double* sy, const ViewRotation& r, double cx, double cy, double W, double H, double eye,
                    double scale);
// The rotated across, depth and up values of every point, without projection.
int Calc3DframeTo3D(int rows, int cols, const double* x, const double* y, const double* z, double* across,
                    double* depth, double* up, const ViewRotation& r);

// Perspective projection of a height grid: node (i, j) stands at u = j / (cols - 1) - 0.5,
// -(i / (rows - 1) - 0.5) with its height (already scaled); no eye-plane test.
int Calc3Dto2D(int rows, int cols, double* sx, double* sy, const double* heights, const ViewRotation& r,
               double cx, double cy, double W, double eye);

// One grid cell: its projected corners P(i, j), P(i+1, j), P(i, j+1), P(i+1, j+1) as
// (vertical, horizontal), its row and column, and its squared distance from the eye plane.
struct SurfaceQuad {
  int16_t corners[4][2];
  int32_t row, column;
  double key;
  double mean;
};

// The cells of a parametric grid whose corners all lie before the eye plane; *count of them.
int CalcBehind3D(int rows, int cols, SurfaceQuad* out, const double* x, const double* y, const double* z,
                 double eye, const double* sx, const double* sy, const ViewRotation& r, int* count);
// Every cell of a height grid (none dropped), keyed at its first corner, with the mean of the
// source values at its four corners.
int CalcBehind(int rows, int cols, SurfaceQuad* out, const double* heights, const double* sx,
               const double* values, const double* sy, double eye, const ViewRotation& r, int* count);
// Farthest first, cells at equal distance in their order. 0 when the work memory cannot be had,
// or after the break message when the held button stopped the sort.
int SortBehind(SurfaceQuad* quads, int count);

// The shade index (64 .. 164) of a triangle under the light (1, 1, 1).
int lightingIndex(const double q0[3], const double q1[3], const double q2[3]);

// The surface pictures; each returns 1 with the picture in `out`, or 0 without a message.
int DoParametricPlot3D(int rows, int cols, const double* x, const double* y, const double* z,
                       pravella::Picture& out);
int DoParametricPlot3DColor(int rows, int cols, const double* x, const double* y, const double* z,
                            pravella::Picture& out);
// Coloured by c over (p0, p1) when p1 < p0, else over c's own range.
int DoParametricPlot3DSP(int rows, int cols, const double* x, const double* y, const double* z,
                         const double* c, double p0, double p1, pravella::Picture& out);
// As SP with contour lines every `step` from the minimum (blue below `threshold`, red at or
// above), the cell outlines only when `frame` > 0.
int DoParametricPlot3DSPTopo(int rows, int cols, const double* x, const double* y, const double* z,
                             const double* c, double p0, double p1, double step, double threshold,
                             double frame, pravella::Picture& out);
// Two views side by side, turned by +-eyeAngle degrees (swapped when swap is not 0).
int DoParametricPlot3DStereo(int rows, int cols, const double* x, const double* y, const double* z,
                             const double* c, double p0, double p1, double step, double threshold,
                             double eyeAngle, int32_t swap, pravella::Picture& out);

// The picture draped over the surface as the 3-D view sees it: the picture cut into a grid of
// the surface's cells, each cell's two triangles warped onto its projection, far cells first.
// Always hwin by vwin pixels (white where no cell is); the warp shifts everything one pixel up
// and left. Returns 1, or 0 (a failed warp reports).
int PlotPict3D(int rows, int cols, const double* x, const double* y, const double* z,
               const QByteArray& picture, pravella::Picture& out);

// Colour-table index of a value mean m in [min, max]: rule "SP" (0 .. 254) and rule "Topo"
// (0 .. 255).
int valueIndexSP(double m, double min, double max);
int valueIndexTopo(double m, double min, double max);
