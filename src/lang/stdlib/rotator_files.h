#pragma once
// Rotator files: a set of 3-D points or a grid of them, with colour codes and optional axis
// lines, written as a numbered text file "rotate%03ld.rot" in the data folder and handed to
// the desktop's opener, which shows it in the external 3-D viewer of that file type. One
// point a line: "%g\t%g\t%g\t%ld\n" (x, y, z, code); the axis rows come first.

#include <cstdint>
#include <string>
#include <vector>

// The axis rows (x, y, z, colour index) written at the head of every rotator file.
extern std::vector<double> RotaterAxisData;
extern int RotaterAxisMsize;
// The number of the next rotator file; only grows while the process runs.
extern long rotNumber;

// The colour code of a colour index: the index limited to 0 .. 7, then mapped through
// 0, 7, 3, 6, 5, 2, 4, 1.
long rotatorColorCode(double index);

// flag non-zero: the k rows of 4 values become the axis data; flag 0: the axis data is
// cleared. Returns 1.
int SetRotaterData(const double* rows, int k, int flag);

// x, y and z are rows x cols each. DoExecRotator gives every point the one colour index;
// DoExecRotatorX gives each point its own (rows x cols integers). Modes: 0 points, 1 the grid's
// edges (DoExecRotator only, rows and cols at least 2), 2 the columns as lines, 3 modes 0 and
// 2. Returns 1 after the file was written (atomically) and opened; 0 after "Can't open the
// save file." or "invalid arguments".
int DoExecRotator(const double* x, const double* y, const double* z, int rows, int cols, int colorIndex,
                  int mode);
int DoExecRotatorX(const double* x, const double* y, const double* z, int rows, int cols,
                   const int32_t* colors, int mode);

namespace pravella {
// The path of rotator file number n in the data folder.
std::string rotatorFilePath(long n);
}  // namespace pravella
