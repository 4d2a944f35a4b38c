#pragma once
// Text services the parser relies on: hexadecimal literals and string escapes.

#include <string>
#include <string_view>

// The value of hexadecimal digits (the part of a literal after "0x"). When the first digit is
// 8 to F the digits are a two's-complement number of their length: "FF" gives -1, "80" -128,
// "0FF" 255. Every character is a digit position, one that is no hexadecimal digit counting as 0
// ("1G" is 16); the empty text gives 0. Past the range of a double the value is infinite.
double HexToDec(std::string_view digits);

// Writes `source` into `out` with every occurrence of `search` replaced by `replacement`,
// scanning left to right without overlap. Returns 0 when `search` is empty or the output would
// pass 8 x TNumber bytes, else 1.
int swapTextString(std::string_view source, std::string_view search, std::string_view replacement,
                   std::string& out);
