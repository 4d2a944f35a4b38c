#pragma once
// The complex-matrix and chirp-z built-ins of the letter C, as entries of its table.

#include "lang/values.h"

namespace pravella::builtins {

#define VK_C_BUILTIN(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)
VK_C_BUILTIN(cMul);
VK_C_BUILTIN(cDiv);
VK_C_BUILTIN(cConv);
VK_C_BUILTIN(cConj);
VK_C_BUILTIN(cAbs);
VK_C_BUILTIN(cArg);
VK_C_BUILTIN(cAdd);
VK_C_BUILTIN(cSub);
VK_C_BUILTIN(cMulElements);
VK_C_BUILTIN(cDivElements);
VK_C_BUILTIN(cPow);
VK_C_BUILTIN(cExp);
VK_C_BUILTIN(cLn);
VK_C_BUILTIN(cSin);
VK_C_BUILTIN(cCos);
VK_C_BUILTIN(cTan);
VK_C_BUILTIN(cSinh);
VK_C_BUILTIN(cCosh);
VK_C_BUILTIN(cTanh);
VK_C_BUILTIN(cSqrt);
VK_C_BUILTIN(czt2Real);
VK_C_BUILTIN(czt2Complex);
VK_C_BUILTIN(cztInv2Real);
VK_C_BUILTIN(cztInv2Complex);
VK_C_BUILTIN(cztForward);
VK_C_BUILTIN(cztInverse);
#undef VK_C_BUILTIN

}  // namespace pravella::builtins
