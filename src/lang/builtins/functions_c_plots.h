#pragma once
// The plot built-ins of the letter C: contour plots of a grid or of a grid with node
// coordinates, and the colour under new canvases.

#include "lang/values.h"

namespace pravella::builtins {

// contourPlot(Z), (Z, |max, min, step, reference|), (X, Y, Z, |width, height|) and
// (X, Y, Z, |width, height|, |max, min, step, reference|); levels of 0 are automatic.
int contourPlot(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// changeCanvasColor(name) or (|red, green, blue|); "Bad Color Number" for another argument.
int changeCanvasColor(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins
