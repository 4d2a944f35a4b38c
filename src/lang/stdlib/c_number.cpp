#include "lang/stdlib/c_number.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <string>

namespace pravella {

double cAtof(std::string_view text) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string copy(text);  // strtod needs a terminator and stops at an embedded NUL
  return strtod_l(copy.c_str(), nullptr, cLocale);
}

}  // namespace pravella
