#include "platform/progress_bar.h"

#include <QString>

#include <chrono>
#include <mutex>

#include "platform/cformat.h"
#include "platform/notification_center.h"

namespace {

std::mutex indicatorMutex;  // programs set it on their worker thread, the windows on theirs
double indicatorMin = 0, indicatorMax = 1;
std::chrono::steady_clock::time_point lastDrawn;

void post(const char* name, double minimum, double maximum, double value) {
  pravella::NotificationCenter::defaultCenter().post(
      QString::fromLatin1(name), QString::fromStdString(pravella::cformat("%g\t%g\t%g", minimum, maximum, value)));
}

}  // namespace

void setProgressBar(double minimum, double maximum, double value) { post("setProgressBar", minimum, maximum, value); }

void setProcessIndicator(double minimum, double maximum) {
  {
    std::lock_guard lock(indicatorMutex);
    indicatorMin = minimum;
    indicatorMax = maximum;
    lastDrawn = std::chrono::steady_clock::now();
  }
  // The range alone: the bar keeps its value.
  pravella::NotificationCenter::defaultCenter().post(
      QString::fromLatin1(kProcessIndicator),
      QString::fromStdString(pravella::cformat("%g\t%g", minimum, maximum)));
}

void showProcessIndicator(double minimum, double maximum, double value) {
  {
    std::lock_guard lock(indicatorMutex);
    indicatorMin = minimum;
    indicatorMax = maximum;
    lastDrawn = std::chrono::steady_clock::now();
  }
  post(kProcessIndicator, minimum, maximum, value);
}

void setProcessIndicatorValue(double value) {
  double lo = 0, hi = 1;
  {
    std::lock_guard lock(indicatorMutex);
    const auto now = std::chrono::steady_clock::now();
    // 21 ticks are 350 ms: more redraws would only slow the work they report.
    if (value != 0 && now - lastDrawn < std::chrono::milliseconds(350)) return;
    lastDrawn = now;
    lo = indicatorMin;
    hi = indicatorMax;
  }
  post(kProcessIndicator, lo, hi, value);
}
