#pragma once
// The renderers and ray casters of the letter V.

#include "lang/values.h"

namespace pravella::builtins::volume {

int volumeRendering(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRenderingSmooth(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRenderingAngle(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRenderingSurface(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRenderingDistance(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRenderingTrans(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRenderingXray(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRenderingXrayGrad(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRayTracing(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRayTracingSurface(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int volumeRayTracingSurface2(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins::volume
