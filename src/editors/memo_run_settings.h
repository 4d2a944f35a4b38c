#pragma once
// Settings of the memo run that programs change through built-ins and the memo views read:
// where displayed pictures go, and the gnuplot program and picture width (the sound switch
// pvSoundStatus is among the language's settings). Built-ins set them on a run's worker
// thread while the GUI thread reads them, hence atomics.

#include <atomic>
#include <string>
#include <string_view>

// Pictures a program shows: 1 (at start) into the memo text, 0 into a JPEG file in the
// picture folder.
extern std::atomic<int> graphOutPutMode;
// Width in points of a picture pasted by a gnuplot block (450 at start).
extern std::atomic<double> gnuplotGraphWidth;

// Sets graphOutPutMode to 1 for any number but 0 (NaN counts as not 0), else to 0.
void changeGraphInsertMode(double value);

// The gnuplot program: refused (0, no change) for a path of 1,024 bytes or more; an empty
// path restores "/usr/local/bin/gnuplot"; 1 otherwise.
int setGnuPlotPath(std::string_view path);

namespace pravella {

inline constexpr const char* kDefaultGnuplotPath = "/usr/local/bin/gnuplot";

// The path set with setGnuPlotPath.
std::string gnuplotPath();

}  // namespace pravella
