#pragma once
// The one rule for a size or a place that a program gives a window (the OpenGL plot windows,
// the picture sub-windows, the movie builder's magnification): a size below one pixel, or a
// value that is not a number, is refused with "Invalid arguments."; a size larger than the
// screen, or a place off it, is accepted and the window side fits the window to the screen.

#include <cmath>

namespace pravella::builtins {

inline bool windowSizeAccepted(double width, double height) { return width >= 1 && height >= 1; }

inline bool windowPlaceAccepted(double x, double y) { return !std::isnan(x) && !std::isnan(y); }

// A size given as a factor of the content's: the window then takes at least a pixel each way.
inline bool windowFactorAccepted(double factor) { return factor > 0; }

}  // namespace pravella::builtins
