#pragma once
// The console log: every diagnostic line of the application goes to standard error as
// "[vk]:" + local time stamp + TAB + message. The message is data: it is written as it
// stands, never interpreted as a format. Callers that need to insert a value build the text
// first (see cformat.h). No line end is added; messages carry their own "\n".

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace pravella {

// The stamp "%4d/%02d/%02d %02d:%02d:%02d" (year padded to 4 with blanks).
std::string consoleStamp(const std::tm& local);

// The whole line as it is written: "[vk]:" stamp "\t" message.
std::string consoleLine(const std::tm& local, std::string_view message);

// Where the log goes; standard error unless a test redirects it. Returns the previous stream.
std::FILE* setConsoleLogStream(std::FILE* stream);

// How many lines the log has written, from any thread: a caller compares two counts to learn
// whether an operation said anything.
std::uint64_t consoleLinesWritten();

}  // namespace pravella

// Writes one message with the current local time. Safe to call from any thread: a line is
// written in one piece, so lines from two threads never interleave.
void showErrMessageToConsole(std::string_view message);
