#pragma once
// "textutil" and "convertDocument" (format, file name): the document converter for programs.

#include "lang/values.h"

namespace pravella::builtins {

// Converts the file onto the Desktop. Success whatever the conversion gives, as programs
// expect; the reason of a failure goes to the console. A non-string argument fails.
int convertDocumentBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins
