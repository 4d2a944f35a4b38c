#pragma once
// Text to number as the C library's atof reads it ("12.5", " -3e2", "0x1A", "inf"; text that
// is not a number gives 0), always with the C locale: Qt sets the user's locale at start-up,
// and a data file must not read "1.5" as 1 where the decimal mark is a comma.

#include <string_view>

namespace pravella {

double cAtof(std::string_view text);

}  // namespace pravella
