#include "lang/picture_ops.h"

#include "graphics/picture_builtins.h"

// The picture work itself lives with the picture support (src/graphics).
int DoPictureOperator(char op, const CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack,
                      int* sp) {
  return vkPictureOperands(op, a, b, stack, sp);
}

int DoPictureTranspose(const CalcStackEntry& a, CalcStackEntry* stack, int* sp) {
  return vkPictureTransposed(a, stack, sp);
}
