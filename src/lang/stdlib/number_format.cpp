#include "lang/stdlib/number_format.h"

#include "lang/report.h"

namespace {

// Reads the digits at f[i] and moves i past them; false when they give more than 999.
bool boundedNumber(std::string_view f, std::size_t& i) {
  int digits = 0;
  while (i < f.size() && f[i] == '0') ++i;  // leading zeros are the 0 flag or padding
  while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
    ++i;
    if (++digits > 3) return false;
  }
  return true;
}

}  // namespace

bool vkIsSafeNumberFormat(std::string_view f) {
  if (!vkIsSingleRealFormat(f)) return false;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%') continue;
    ++i;
    if (i < f.size() && f[i] == '%') continue;
    while (i < f.size() && std::string_view("-+ #").find(f[i]) != std::string_view::npos) ++i;
    if (!boundedNumber(f, i)) return false;
    if (i < f.size() && f[i] == '.') {
      ++i;
      if (!boundedNumber(f, i)) return false;
    }
  }
  return true;
}
