#pragma once
// The built-ins of the hand editors: "grEdit", "densityPlotEdit", "densityPlotEdit2",
// "getPictPoints", "getPictPointsData" and "getDensityPlotEditPointsData". Each checks its
// arguments, then runs its editor's panel while the program waits; without a panel (no
// windows) it fails with "No window receives [name]." at once.

#include "lang/values.h"

namespace pravella::builtins {

int grEditBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int getPictPointsBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int getPictPointsDataBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int densityPlotEditBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int densityPlotEdit2Builtin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins
