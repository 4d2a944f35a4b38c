#pragma once
// Format texts that users give for numbers (the display and save formats, the built-in str).

#include <string_view>

// True for a printf format that takes exactly one double (one e, f, g or a conversion, "%%"
// aside, no "*", no %n) whose width and precision are at most 999, so that formatting one
// number can neither read a missing argument nor make a giant text.
bool vkIsSafeNumberFormat(std::string_view format);
