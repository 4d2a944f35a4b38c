#pragma once
// The file chooser of the loaders: an empty file name asks the window side for one.

#include <string>

#include "lang/values.h"

// When `name` is empty, posts "cal_getFilePath" and takes the chosen path from the stack into
// `name` (the empty string when the user cancelled). Returns 1; 0 without a message when the
// window side failed, or after "Invalid arguments." when its answer is not a string. All the
// built-in's arguments must have been popped already: the answer arrives on the same stack.
int vkFileNameOrChooser(CalcStackEntry* stack, int* sp, std::string& name);
