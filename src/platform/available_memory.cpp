#include "platform/available_memory.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace pravella {

namespace {
std::atomic<long long> fixedAvailable{-1};
}  // namespace

long long availableMemoryBytes() {
  const long long fixed = fixedAvailable.load();
  if (fixed >= 0) return fixed;
  std::FILE* f = std::fopen("/proc/meminfo", "re");
  if (!f) return -1;
  long long kib = -1;
  char line[256];
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "MemAvailable:", 13) != 0) continue;
    if (std::sscanf(line + 13, "%lld", &kib) != 1) kib = -1;
    break;
  }
  std::fclose(f);
  return kib < 0 ? -1 : kib * 1024;
}

void setAvailableMemoryForTests(long long bytes) { fixedAvailable.store(bytes < 0 ? -1 : bytes); }

}  // namespace pravella
