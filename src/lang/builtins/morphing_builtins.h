#pragma once
// The triangle-warp built-ins: "morphingData" (3 and 4 arguments), "morphingPicture" (3 and 4)
// and "morphingPicture_old" (3) of the letter M.

#include "lang/values.h"

namespace pravella::builtins {

int morphingData(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int morphingPicture(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int morphingPictureOld(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins
