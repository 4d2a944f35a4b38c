#pragma once
// printf-style formatting into a std::string. The format must be a literal of our own code
// (the compiler checks it against the arguments); text from users or files is never a format.

#include <cstdarg>
#include <string>

namespace pravella {

std::string cformat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string vcformat(const char* format, std::va_list args) __attribute__((format(printf, 1, 0)));

}  // namespace pravella
