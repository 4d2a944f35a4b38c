#include "platform/cformat.h"

#include <cstdio>

namespace pravella {

std::string vcformat(const char* format, std::va_list args) {
  std::va_list copy;
  va_copy(copy, args);
  char small[256];
  const int needed = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (needed < 0) return {};
  if (static_cast<size_t>(needed) < sizeof small) return std::string(small, needed);
  std::string out(static_cast<size_t>(needed), '\0');
  std::vsnprintf(out.data(), out.size() + 1, format, args);
  return out;
}

std::string cformat(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string out = vcformat(format, args);
  va_end(args);
  return out;
}

}  // namespace pravella
