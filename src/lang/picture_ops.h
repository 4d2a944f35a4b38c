#pragma once
// The picture cases of the operators: a picture (type 20) with another picture or with a
// colour value, the picture transpose, and the picture settings behind "graphBlendLevel" and
// "graphOpeMode". The picture support fills these in; until then every picture case fails
// with the operator's own type message, as a value the operator cannot take.

#include "lang/values.h"

// "+", "-", "*", "/", "x" or "%" with at least one picture operand (a on the left, b on the
// right). On success the result is pushed at *sp (the operands are already taken off).
// Returns 1, or 0 after reporting.
int DoPictureOperator(char op, const CalcStackEntry& a, const CalcStackEntry& b, CalcStackEntry* stack,
                      int* sp);

// The transpose "'" of a picture.
int DoPictureTranspose(const CalcStackEntry& a, CalcStackEntry* stack, int* sp);
