#pragma once
// The file-slot built-ins of the letter F and fileExistsAtPath (the frame arguments of the
// dispatchers).

#include "lang/values.h"

namespace pravella::builtins {

#define VK_F_FILE_BUILTIN(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)
VK_F_FILE_BUILTIN(fileExistsAtPathBuiltin);
VK_F_FILE_BUILTIN(fileOpenBuiltin);
VK_F_FILE_BUILTIN(fileCheckBuiltin);
VK_F_FILE_BUILTIN(fileCloseBuiltin);
VK_F_FILE_BUILTIN(fileAllCloseBuiltin);
VK_F_FILE_BUILTIN(fileSeekBuiltin);
VK_F_FILE_BUILTIN(fileGetString1Builtin);
VK_F_FILE_BUILTIN(fileGetString2Builtin);
VK_F_FILE_BUILTIN(fileWrite2Builtin);
VK_F_FILE_BUILTIN(fileWrite3Builtin);
VK_F_FILE_BUILTIN(fileReadBuiltin);
VK_F_FILE_BUILTIN(fileLengthBuiltin);
VK_F_FILE_BUILTIN(filePositionBuiltin);
#undef VK_F_FILE_BUILTIN

}  // namespace pravella::builtins
