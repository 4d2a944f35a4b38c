#pragma once
// The OpenGL plot built-ins ("parametricPlot3D_GL" and its kin) and the window commands by
// title ("closeGLWindow", "moveGLWindow", "sizeGLWindow", the set... commands,
// "getGLPicture"): the entries of their letters' tables. They check and pop the arguments
// and hand the work to graphics/gl, which posts it to the plot windows.

#include "lang/values.h"

namespace pravella::builtins {

// Every form of the five plot built-ins (the name and count pick the form).
int parametricPlotGL(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

int closeAllGLWindow(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int closeGLWindow(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
// "moveGLWindow", "sizeGLWindow" and the set... commands, with or without a title.
int glWindowCommand(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
// "getGLPicture" and "getGLPict".
int getGLPicture(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins
