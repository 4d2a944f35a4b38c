#pragma once
// Opens a piece of memo text in the user's web browser: an address as it is, a Japanese postal
// code as a map search, anything else as a web search.

#include <string>
#include <string_view>

namespace pravella {

// The two services a text that is not an address goes to, with their search paths: a postal
// code becomes a map search, any other text a web search. They live here, in one place.
inline constexpr std::string_view kPostalCodeMapHost = "https://www.openstreetmap.org";
inline constexpr std::string_view kWebSearchHost = "https://www.google.com";
// Where an encyclopedia link made from selected words leads: this prefix and the words
// percent-encoded byte by byte (its Japanese edition).
inline constexpr std::string_view kEncyclopediaArticlePrefix = "https://ja.wikipedia.org/wiki/";

// Longest text (in bytes) that is opened at all.
inline constexpr std::size_t kWebLaunchTextLimit = 255;

// Writes the address for `text` (UTF-8) into `address` and returns 1, or empties it and returns
// 0 when nothing is to be opened: an empty text, one longer than 255 bytes, or one that begins
// with "-" (the opener would take it for an option). The query value of a map or web search is
// percent-encoded from its UTF-8 bytes; a text holding an address is kept unchanged.
int checkURLforwebLaunchURL(std::string_view text, std::string& address);

// Why `text` is not opened, in a line for the user; empty when it is.
std::string webLaunchRefusal(std::string_view text);

// Builds the address and hands it to the desktop's opener as its one argument. Reports nothing.
void webLaunchURL(std::string_view text);

}  // namespace pravella
