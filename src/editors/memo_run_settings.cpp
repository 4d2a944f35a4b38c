#include "editors/memo_run_settings.h"

#include <mutex>

#include "lang/values.h"

std::atomic<int> graphOutPutMode{1};
std::atomic<double> gnuplotGraphWidth{450.0};

namespace {

std::mutex& pathMutex() {
  static std::mutex m;
  return m;
}

std::string& pathValue() {
  static std::string path = pravella::kDefaultGnuplotPath;
  return path;
}

}  // namespace

void changeGraphInsertMode(double value) { graphOutPutMode.store(value == 0.0 ? 0 : 1); }

int setGnuPlotPath(std::string_view path) {
  if (path.size() >= static_cast<std::size_t>(kPathBytes)) return 0;
  std::lock_guard guard(pathMutex());
  pathValue() = path.empty() ? std::string(pravella::kDefaultGnuplotPath) : std::string(path);
  return 1;
}

namespace pravella {

std::string gnuplotPath() {
  std::lock_guard guard(pathMutex());
  return pathValue();
}

}  // namespace pravella
