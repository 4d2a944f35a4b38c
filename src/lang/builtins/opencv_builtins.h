#pragma once
// The OpenCV built-ins: "fGrabber" (one camera frame as a picture), "rinkaku_cv" (an active
// contour fitted to a picture) and "test_cv" (point tracking in a window).

#include "lang/values.h"

namespace pravella::builtins {

int fGrabberBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int testCvBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int rinkakuCvBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins
