#include "graphics/editors/density_plot_edit.h"

#include "graphics/editors/density_image.h"
#include "graphics/editors/hand_editor_panels.h"
#include "graphics/outline_region.h"

namespace pravella {

DensityPlotEditState& densityPlotEditState() {
  static DensityPlotEditState state;
  return state;
}

void densityPlotEditMask(double* mask) {
  const DensityPlotEditState& s = densityPlotEditState();
  const QRegion region = s.lasso.region();
  const int m = s.height_m, n = s.width_n;
  for (int r = 0; r < m; ++r)
    for (int c = 0; c < n; ++c)
      mask[static_cast<std::size_t>(r) * n + c] = regionContains(region, c, m - 1 - r) ? 1.0 : 0.0;
}

bool densityPlotEditOk() {
  DensityPlotEditState& s = densityPlotEditState();
  if (s.lasso.closed()) return true;
  if (s.sound) s.sound(QStringLiteral("Basso"));
  return false;
}

int DoDensityPlotEdit(int m, int n, const double* data, double max, double min, double* mask) {
  DensityPlotEditState& s = densityPlotEditState();
  s.lasso.setFactors(1.0, 1.0);
  s.width_n = n;
  s.height_m = m;
  if (!densityRange(data, m, n, &max, &min)) return 0;
  s.lasso.clear();
  s.image = densityPlotImage(data, m, n, max, min);
  if (s.image.isNull()) return 0;
  const bool accepted = runHandEditorPanel(kShowDensityPlotEditPanel) == kPanelAccepted;
  const bool drawn = !s.lasso.empty();
  if (drawn) densityPlotEditMask(mask);
  s.lasso.clear();
  return accepted && drawn ? 1 : 0;
}

}  // namespace pravella
