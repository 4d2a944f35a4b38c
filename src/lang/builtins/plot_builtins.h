#pragma once
// The line, point and marked plots that several letters share: one argument (y against its
// row numbers 0, 1, ...), two (x, y), or three (x, y and the range row of six values).

#include "lang/values.h"

// DoPlot (or DoPlotMark with `mark`) in `mode` (1 lines, 2 points, 3 both); the three-argument
// form draws in mode + 4 with the given range. Pushes the picture.
int vkPlotForms(int mode, bool mark, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
