#pragma once
// The paths of the files last dropped on a control panel, each followed by a newline: the
// panels write them on the GUI thread, the built-in "getDropedFilesPathOnAmMode" reads them
// from a program's thread. Empty until something is dropped.

#include <string>

std::string dragedFilePathString();
void setDragedFilePathString(std::string paths);
