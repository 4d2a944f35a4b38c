#pragma once
// Where the picture support meets the interpreter: the hooks the graphics code reports and
// reads through, and the picture cases of the language's own operations.

struct CalcStackEntry;

namespace pravella {

// Installs the error report, program variables, working folder, picture size limit and the
// picture display (to the clipboard) into the graphics code, and clears the graph titles.
// Called once by the language's start-up.
void installPictureSupport();

}  // namespace pravella

// A picture value on the stack becomes the integer matrix (type 30) of its pixels' red + green
// + blue, as a picture assigned to a real variable does. Returns 1, or 0 after a report.
int vkPictureToNumbers(CalcStackEntry& entry);
