#pragma once
// The threshold-surface built-ins of the letter V: one cube (vTest), cube polygons
// (volumeBoundary3, volumeBoundary2), surface samples (volumeBoundary, volumeBoundary3DMF),
// tetrahedra (volumeBoundary_old1, volumeBoundary_old2) and the duplicate remover.

#include "lang/values.h"

namespace pravella::builtins {

int vTestBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeBoundary3Builtin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeBoundary2Builtin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeBoundary3DMFBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeBoundaryBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeBoundaryOld1Builtin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeBoundaryOld2Builtin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeBoundaryDeleteSameTriangleBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack,
                                            int* sp);

}  // namespace pravella::builtins
