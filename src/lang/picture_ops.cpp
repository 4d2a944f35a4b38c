#include "lang/picture_ops.h"

#include "lang/report.h"

int DoPictureOperator(char op, const CalcStackEntry& /*a*/, const CalcStackEntry& /*b*/,
                      CalcStackEntry* /*stack*/, int* /*sp*/) {
  // Picture arithmetic (DoGraphOpeCalc, DoGraphOpeCalc2, OpePict and the joins) arrives with
  // the picture support; until then the operator refuses the operand.
  error_disp(op == '+' || op == '-' ? "Invalid data structure." : "Invalid data type.");
  return 0;
}

int DoPictureTranspose(const CalcStackEntry& /*a*/, CalcStackEntry* /*stack*/, int* /*sp*/) {
  error_disp("Invalid data type.");
  return 0;
}
