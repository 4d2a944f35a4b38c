#include "lang/text_services.h"

#include <cmath>
#include <cstdint>

#include "lang/values.h"

double HexToDec(std::string_view digits) {
  // Every character is one digit position; one that is no hexadecimal digit counts as 0.
  double value = 0.0;
  for (char ch : digits) {
    int d = 0;
    if (ch >= '0' && ch <= '9')
      d = ch - '0';
    else if (ch >= 'a' && ch <= 'f')
      d = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F')
      d = ch - 'A' + 10;
    value = value * 16.0 + d;
  }
  if (digits.empty()) return 0.0;
  const char first = digits[0];
  const bool negative =
      (first >= '8' && first <= '9') || (first >= 'a' && first <= 'f') || (first >= 'A' && first <= 'F');
  if (negative) value -= std::pow(16.0, static_cast<double>(digits.size()));
  return value;
}

int swapTextString(std::string_view source, std::string_view search, std::string_view replacement,
                   std::string& out) {
  if (search.empty()) return 0;
  const std::size_t limit = static_cast<std::size_t>(TNumber) * 8;
  std::string result;
  std::size_t at = 0;
  for (;;) {
    const std::size_t hit = source.find(search, at);
    if (hit == std::string_view::npos) break;
    result.append(source.substr(at, hit - at));
    result.append(replacement);
    at = hit + search.size();
    if (result.size() >= limit) return 0;
  }
  result.append(source.substr(at));
  if (result.size() >= limit) return 0;
  out = std::move(result);
  return 1;
}
