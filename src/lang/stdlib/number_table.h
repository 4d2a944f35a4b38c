#pragma once
// The reader of numeric text tables: numbers separated by TAB, space or comma (a run of them
// counts as one), rows ended by CR, LF or CR LF, every row as long as the first. It reads a
// file for the built-in "load" and a string for "val".

#include <cstdio>
#include <string_view>

namespace pravella {

// Reads the table from the stream's position to its end. An empty file gives 0 x 0.
int readNumberTableFromFile(std::FILE* f, double* out, int* rows, int* cols);

// Reads the table held in a text. An empty text gives the 1 x 1 matrix 0.
int readNumberTableFromText(std::string_view text, double* out, int* rows, int* cols);

}  // namespace pravella
