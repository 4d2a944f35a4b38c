#pragma once
// The density-plot editor: a matrix shown as a colour image on which the user draws one
// closed lasso; the program gets back the mask of the elements inside it. The lasso is kept in
// matrix pixels (y up, the image's top row the highest y).

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

#include "graphics/editors/lasso_model.h"

namespace pravella {

struct DensityPlotEditState {
  LassoModel lasso;
  int32_t width_n = 0, height_m = 0;  // the matrix's columns and rows
  QImage image;
  std::function<void(const QString&)> sound;  // "Basso"; the panel installs the player
};

DensityPlotEditState& densityPlotEditState();

// Runs the edit of the m x n matrix with the colour range (the data's own when min is not
// below max). `mask` receives m x n values, 1.0 inside the lasso. Returns 1 when the panel was
// accepted with a lasso; 0 (without a message) for flat data, a cancelled panel or no lasso.
int DoDensityPlotEdit(int m, int n, const double* data, double max, double min, double* mask);

// The mask of the state's lasso: element (r, c) is tested at (c, m - 1 - r).
void densityPlotEditMask(double* mask);

// OK of the panel: true when the lasso is closed; else "Basso" and the panel stays.
bool densityPlotEditOk();

}  // namespace pravella
