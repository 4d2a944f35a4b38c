#pragma once
// The two progress bars that long work anywhere reports to.

// The main window's own bar: posts "setProgressBar" with the text "minimum\tmaximum\tvalue";
// without a window nothing shows it.
void setProgressBar(double minimum, double maximum, double value);

// The shared progress indicator, the month list drawer's bar: programs, module loading, the
// memo runs and the memo-database writers drive it. The range is posted as kProcessIndicator
// with "minimum\tmaximum", a value with "minimum\tmaximum\tvalue". A value other than 0 is
// posted only when at least 21 ticks (of 1/60 s) have passed since the bar was last drawn, so
// the bar is redrawn about three times a second at most; 0, the end of an operation, always
// shows.
inline constexpr const char* kProcessIndicator = "processIndicator";
void setProcessIndicator(double minimum, double maximum);
void setProcessIndicatorValue(double value);
// Range and value at once, shown whatever the time since the last drawing: for work of a few
// steps (a conversion's "converter running"), which the redraw limit would otherwise hide.
void showProcessIndicator(double minimum, double maximum, double value);
