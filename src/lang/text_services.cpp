#include "lang/text_services.h"

#include <cmath>
#include <cstdint>

#include "lang/values.h"

namespace {

// One character's digit; a character that is no hexadecimal digit counts as 0.
int hexDigit(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return 0;
}

}  // namespace

double HexToDec(std::string_view digits) {
  if (digits.empty()) return 0.0;
  // A first digit of 8 or more makes the text a two's complement of 4 x length bits. Its value
  // minus 16^length is taken as -(complement + 1), the complement read from the digits 15 - d:
  // subtracting the two large powers would lose every digit past the 53rd bit (16 F's gave 0)
  // and both overflow past 256 digits.
  const bool negative = hexDigit(digits[0]) >= 8;
  double value = 0.0;
  for (char ch : digits) value = value * 16.0 + (negative ? 15 - hexDigit(ch) : hexDigit(ch));
  return negative ? -(value + 1) : value;
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
