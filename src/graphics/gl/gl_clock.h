#pragma once
// The one clock of the OpenGL plot views: seconds on a monotonic clock, and the 1/60 s ticks
// that the fling rule counts. Tests set it, so that what depends on time runs without
// sleeping.

#include <cstdint>
#include <optional>

namespace pravella::gl {

// Seconds since the clock's start (or the time a test set).
double glNow();
// Whole 1/60 s ticks of glNow().
std::int64_t glTickCount();

// Makes glNow() answer `seconds` until set again; std::nullopt returns to the real clock.
void setGLClockForTests(std::optional<double> seconds);

}  // namespace pravella::gl
