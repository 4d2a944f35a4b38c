#pragma once
// Operator, relation and logical records (kinds 2, 9 and 10): they take their operands from
// the value stack (right operand on top) and push one result. Numbers are real or integer
// matrices with broadcasting of scalars, rows and columns; strings and pictures have their own
// meanings of some operators.

#include "lang/values.h"

// Operator records by name: ";" display, "|" matrix literal, "+" "-" "*" "/" "x" "%", "'"
// transpose, "!" factorial, "^" power, "@" element access. Returns 1, or 0 after reporting.
int DoOperator(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoAddSub(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoMulDiv(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoMulDivOP(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

int DoRelation(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoLogical(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// The real matrix product c = a (r by k) times b (k by n), row-major, cache-blocked.
void vkMatrixProduct(const double* a, const double* b, double* c, int r, int k, int n);
