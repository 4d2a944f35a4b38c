#include "editors/dropped_files_path.h"

#include <mutex>

namespace {
std::mutex pathMutex;  // set by a run on its worker thread, read by the control panels
std::string path;
}  // namespace

void setDragedFilePathString(std::string_view text) {
  std::lock_guard lock(pathMutex);
  path.assign(text);
}

std::string dragedFilePathString() {
  std::lock_guard lock(pathMutex);
  return path;
}
