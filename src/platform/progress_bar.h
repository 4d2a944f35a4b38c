#pragma once
// The main window's shared progress bar, as long work anywhere reports to it.

// Posts "setProgressBar" with the text "minimum\tmaximum\tvalue"; the main window's bar
// observes it, and without a window nothing shows it.
void setProgressBar(double minimum, double maximum, double value);
