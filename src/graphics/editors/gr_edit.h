#pragma once
// The graph editor: the rows of a data matrix plotted as dots (one column against another, or
// against the row index), from which the user keeps the rows inside or outside a lasso. The
// state is the editor's, one per process: the program's thread fills it, the panel edits it
// on the GUI thread while the program waits, and the program reads the rows back.

#include <QImage>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "graphics/editors/lasso_model.h"
#include "graphics/picture.h"

namespace pravella {

struct GrEditState {
  std::vector<double> org_data;  // the rows handed in (org_m x org_n)
  std::vector<double> now_data;  // the rows kept so far (now_m x org_n)
  int32_t org_m = 0, org_n = 0, now_m = 0;
  int32_t xParam = 0, yParam = 0;  // 1-based columns; xParam 0 plots the 0-based row index
  int32_t width_n = 0, height_m = 0;  // the image view's size, also the plot's
  double xFactor = 1, yFactor = 1;    // the last resize ratios
  double xmin_A = 0, xmax_A = 1, ymin_A = 0, ymax_A = 1;  // axis ranges of the last plot
  LassoModel lasso;
  QImage image;  // the last plot
  // The panel's image view size, kept by the panel for the program's thread.
  std::atomic<int> viewWidth{400}, viewHeight{300};
  // Feedback sounds ("Basso"); the panel installs the player.
  std::function<void(const QString&)> sound;
};

GrEditState& grEditState();

// Runs the whole edit: the data copied, plotted at the panel's size, the panel run. `out`
// receives the rows kept (*outRows of n columns) whether or not the panel was accepted.
// Returns 1 only when it was.
int DoGrEdit_test1(const double* data, int m, int n, int xParam, int yParam, double* out, int* outRows);

// Copies the data into org_data and now_data and sets the sizes and columns. 0 without memory.
int DoMakeInnerData(const double* data, int m, int n, int xParam, int yParam);

// The whole rows whose plotted point lies inside the lasso (mode 1) or not (mode 0), in order;
// `out` may be `data`.
int DoGetSelectedData(const double* data, int m, int n, int xParam, int yParam, double* out, int* outCount,
                      int mode);

// The dot plot of the editor at width x height with automatic ranges, which it stores in the
// state. Returns 1, or 0 after "Invalid plot parameters." or "Invalid plot range.".
int DoMakePlotImageorGrEdit(const double* x, const double* y, int xCount, int yCount, int width, int height,
                            Picture& out);

// Plots now_data into the state's image at width_n x height_m; false for a column outside the
// data or a failed plot.
bool showGrEditImage();

// Where a data point sits in view coordinates (y up).
QPointF grEditViewPoint(double x, double y);

// The panel's actions on the state.
void grEditSelect(bool inside);  // keep the rows inside (outside) the lasso
void grEditRevert();
bool grEditOk();  // true when the panel may end accepted
void grEditResize(int width, int height);

}  // namespace pravella
