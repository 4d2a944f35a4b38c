#pragma once
// Triangle-mesh warping of pictures and number matrices: every target triangle of the result
// is filled from its source triangle by the affine map that sends the target corners onto the
// source corners. A table row holds 12 numbers: the source corners (x1, y1, x2, y2, x3, y3),
// then the target corners, 1-based, x the column and y the row. Every routine first subtracts
// 1 from all 12 numbers of every row, in place. Triangles go in table order, later ones over
// earlier ones; a pixel belongs to a triangle by the drawing system's region rule.
//
// Each returns 1, or 0 after reporting ("Bad triangle", "Too big data.", "Invalid PICT.") or
// without a message (all target x or all target y equal; no off-screen world). A target
// triangle whose corners lie on one line reports "pivot error": the picture routines skip it
// and go on, the matrix routine fails.

#include <QByteArray>

// The result grows to the extent of the target triangles: *outH and *outW come in as the
// least height and width and go out as the size used. W and H (when both are at least 1) are
// the clip inside which pixels are written, else the source picture's size. Nearest pixel.
int changeMoofPicture_2(const QByteArray& picture, double* table, int count, int W, int H, QByteArray& out,
                        int* outH, int* outW);
// The same with bilinear sampling; a pixel whose source point lies on the picture's last row or
// column, or outside it, becomes black.
int changeMoofPicture_3(const QByteArray& picture, double* table, int count, int W, int H, QByteArray& out,
                        int* outH, int* outW);
// A rows x cols matrix into an *outRows x *outCols one (the same growth rule), bilinear over
// the values truncated toward zero; cells outside every triangle are 0. `out` must hold
// TNumber doubles.
int changeMoofData_2(const double* values, int rows, int cols, double* table, int count, double* out,
                     int* outRows, int* outCols);
// A picture of exactly W x H pixels (the source's size when W or H is below 1), nearest pixel.
int changeMoofPicture(const QByteArray& picture, double* table, int count, int W, int H, QByteArray& out);
