#include "lang/picture_ops.h"

#include "lang/builtin_seam.h"
#include "lang/report.h"

// Without the picture support a picture operand is a type the operators do not know.
int DoPictureOperator(char op, const CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack,
                      int* sp) {
  if (const auto f = vkBuiltins().pictureOperator) return f(op, a, b, stack, sp);
  error_disp("Invalid data type.");
  return 0;
}

int DoPictureTranspose(const CalcStackEntry& a, CalcStackEntry* stack, int* sp) {
  if (const auto f = vkBuiltins().pictureTranspose) return f(a, stack, sp);
  error_disp("Invalid data type.");
  return 0;
}

int DoPictureToNumbers(CalcStackEntry& entry) {
  if (const auto f = vkBuiltins().pictureToNumbers) return f(entry);
  error_disp("Invalid data type.");
  return 0;
}
