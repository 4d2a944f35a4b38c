#pragma once
// The path text handed to control-panel programs when files are dropped on them.

#include <string>
#include <string_view>

void setDragedFilePathString(std::string_view text);
std::string dragedFilePathString();
