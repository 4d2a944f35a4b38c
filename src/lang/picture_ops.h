#pragma once
// The picture cases of the operators and of assignment: a picture (type 20) with another
// picture or with a colour value, the picture transpose, and a picture assigned to a real
// variable. The work is the picture support's, reached through the built-in seam
// (lang/builtin_seam.h).

#include "lang/values.h"

// "+", "-", "*", "/", "x" or "%" with at least one picture operand (a on the left, b on the
// right). On success the result is pushed at *sp (the operands are already taken off).
// Returns 1, or 0 after reporting.
int DoPictureOperator(char op, const CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack,
                      int* sp);

// The transpose "'" of a picture.
int DoPictureTranspose(const CalcStackEntry& a, CalcStackEntry* stack, int* sp);

// The picture at `entry` becomes the integer matrix (type 30) of its pixels' red + green +
// blue. Returns 1, or 0 after reporting.
int DoPictureToNumbers(CalcStackEntry& entry);
