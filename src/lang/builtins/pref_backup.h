#pragma once
// Settings that the P built-ins write for the windows: whether the backup tool also backs up
// the preferences (1 at start; "prefBackupNeed"), and the shared progress bar.

#include <cstdint>

extern std::uint8_t prefBackupNeedStatua;

// Posts "setProgressBar" with the text "minimum\tmaximum\tvalue" for the main window's bar.
void setProgressBar(double minimum, double maximum, double value);
