#pragma once
// How a run writes into its result text: error reports (`error_disp`) and displayed values
// (`DispData`).

#include <functional>
#include <string_view>

// Reports a failure: the message and "\n" go to the console log; "...<Error>..." + message +
// "\n" is appended to ResultString when it fits below vkResultTextLimit(). Returns 1 when the
// line was added, else 0.
int error_disp(std::string_view message);

// Reports a name (or an argument count) that no built-in takes. error_disp, and a mark that the
// executor takes after the failed call: only then does its "Could not be found" line follow,
// since the name itself was the fault.
int error_disp_unknown(std::string_view message);
// True once after an error_disp_unknown on this thread; clears the mark.
bool vkTakeUnknownFunctionMark();

// Appends a displayed value to ResultString (numbers with DispFormat, cut to restM rows and
// restN columns; strings with CR turned into LF). A picture goes to the picture display hook.
// Returns 1, or 0 when a piece does not fit (after "Output too long: ...") or the value cannot
// be shown, or when the window that shows displays refused it (it answers the display's
// notification with a reply, and has told the user why itself).
int DispData(const void* data, int type, int msize, int nsize);

// True when `format` takes exactly one floating-point argument ("%%" aside), so that user
// text set with "setFormat" can safely reach the formatter.
bool vkIsSingleRealFormat(std::string_view format);

// Formats one number with a validated format (the caller checked vkIsSingleRealFormat).
void vkAppendFormatted(std::string& out, const char* format, double value);

// A matrix as saved text: rows of numbers in `SaveFormat`, TAB between them, a line end after
// each row. False (nothing appended) when the save format is not a safe one-number format.
bool vkAppendSavedTable(std::string& out, const double* values, int rows, int cols);

// Shows a picture value (type 20). The picture support installs it; without it a displayed
// picture adds nothing to the result text and succeeds. Returns 1 or 0.
using VkPictureDisplay = std::function<int(const unsigned char* bytes, int length)>;
void vkSetPictureDisplay(VkPictureDisplay display);
