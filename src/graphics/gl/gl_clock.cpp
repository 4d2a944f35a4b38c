#include "graphics/gl/gl_clock.h"

#include <atomic>
#include <chrono>
#include <cmath>

namespace pravella::gl {

namespace {

const auto gClockStart = std::chrono::steady_clock::now();
std::atomic<bool> gFixed{false};
std::atomic<double> gFixedSeconds{0.0};

}  // namespace

double glNow() {
  if (gFixed.load()) return gFixedSeconds.load();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - gClockStart).count();
}

std::int64_t glTickCount() { return static_cast<std::int64_t>(std::floor(glNow() * 60.0)); }

void setGLClockForTests(std::optional<double> seconds) {
  if (seconds) gFixedSeconds.store(*seconds);
  gFixed.store(seconds.has_value());
}

}  // namespace pravella::gl
