#include "editors/dropped_files.h"

#include <mutex>
#include <utility>

namespace {

std::mutex& pathsLock() {
  static std::mutex lock;
  return lock;
}

std::string& paths() {
  static std::string value;
  return value;
}

}  // namespace

std::string dragedFilePathString() {
  std::lock_guard guard(pathsLock());
  return paths();
}

void setDragedFilePathString(std::string value) {
  std::lock_guard guard(pathsLock());
  paths() = std::move(value);
}
