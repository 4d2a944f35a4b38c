#pragma once
// Two-dimensional plots as picture values: line, point and marked plots of x-y data, free-form
// point lists with a style per point, and grouped and stacked bar charts. Each draws axes with
// tick marks and "%G" labels, the data, then the graph titles into a picture of the plot size.
// Matrices are row-major doubles. Each routine returns 1 with the picture in `out`, or 0
// after one message.

#include <cstdint>

#include "graphics/picture.h"

// Plot size in pixels (400 by 280 at start).
extern int32_t hwin;
extern int32_t vwin;
// 1: point plots draw single pixels instead of dots.
extern int32_t pointMode;
// x min, x max, x step, y min, y max, y step, and 1.0 in the seventh when they are to be used:
// the range of the segment plot (mode 4).
extern double axisData[7];
// Whether the polygons of bar and surface plots get a frame line (1 at start).
extern uint8_t DrawLineStatus;
// The plot size, point mode, axis and frame settings as at start, for a fresh language.
void resetPlotSettings();

// Largest and smallest of the rows x cols values.
int getMaxMin(const double* m, int rows, int cols, double* max, double* min);

// Modes: 1 lines, 2 points, 3 lines with dots, 4 one segment per row (x and y are k x 2, the
// third argument holds a colour number per row), 5..7 as 1..3 with the range row (six values)
// as the third argument.
int DoPlot(const double* x, const double* y, const double* third, int xRows, int xCols, int yRows, int yCols,
           int mode, pravella::Picture& out);
// As DoPlot with marks: the last column of y flags each point (filled or open circle).
int DoPlotMark(const double* x, const double* y, const double* third, int xRows, int xCols, int yRows,
               int yCols, int mode, pravella::Picture& out);
// Rows of (x, y, kind, colour number, mark size); `range` six values, all zero: automatic.
int DoPlotSpecial(const double* points, const double* range, int rows, int cols, pravella::Picture& out);
// Bars from `base` of the given width, one group per row, series by column (colour numbers 1
// to 6 used in turn). `range` six values; an unusable one means automatic.
int DoBarPlot(const double* x, const double* y, const double* range, int xRows, int xCols, int yRows,
              int yCols, double base, double width, const double* colors, int colorCount,
              pravella::Picture& out);
int DoStackBarPlot(const double* x, const double* y, const double* range, int xRows, int xCols, int yRows,
                   int yCols, double base, double width, const double* colors, int colorCount,
                   pravella::Picture& out);

// Sizes below 100 become 100. Returns 1.
int DoSetWindowSize(int32_t width, int32_t height);
// 0 or 1, else "invalid status".
int DoPointMode(double value);
int FrameLineDraw(uint8_t value);
