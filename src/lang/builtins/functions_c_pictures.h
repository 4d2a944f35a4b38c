#pragma once
// The picture built-ins of the letter C: the clipboard's picture, JPEG compression, redrawing
// at a new size, and pictures joined one above the other.

#include "lang/values.h"

namespace pravella::builtins {

int currentPicture(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int compressPicture(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int changePictSize(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// `cat` of two pictures already popped: a (length la) above b (length lb).
int catPictures(CalcStackEntry* stack, int* sp, const double* a, int la, const double* b, int lb);

}  // namespace pravella::builtins
