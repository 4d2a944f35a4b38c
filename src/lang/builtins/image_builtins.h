#pragma once
// Built-ins over images that live in the letters of other groups, each as a table entry (the
// frame arguments of the dispatchers).

#include "lang/values.h"

// gazoHosei with 1 to 3 arguments: a picture or a matrix of more than 2 rows and columns,
// then the factor (1.0 when left out), then the half-width (2 when left out, above 0). A
// matrix result has the input's shape; a picture's colour channels are each corrected.
int vkGazoHoseiBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
