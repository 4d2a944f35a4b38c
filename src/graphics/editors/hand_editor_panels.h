#pragma once
// How a hand editor reaches its panel: the routine fills the editor's state on the program's
// thread, posts the panel's notification and waits; the panel's controller runs the modal
// panel on the GUI thread and leaves the code it ended with (128 OK, 129 Cancel) in the reply.

namespace pravella {

inline constexpr int kPanelAccepted = 128;
inline constexpr int kPanelCanceled = 129;

inline constexpr const char* kShowGrEditPanel = "showGrEditPanel";
inline constexpr const char* kShowDensityPlotEditPanel = "showDensityPloyEditPanel";
inline constexpr const char* kShowGetPictPointsPanel = "showGetPictPointsPanel";

// Whether a panel observes the name; reports "No window receives [name]." when none does, so
// that a program without windows fails at once instead of waiting.
bool handEditorPanelReady(const char* name);

// Posts the name and returns the code the panel ended with (0 when none answered).
int runHandEditorPanel(const char* name);

}  // namespace pravella
