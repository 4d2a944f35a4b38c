#pragma once
// Handlers of the letter T that live in their own files, listed in functions_t.cpp's table.

#include "lang/values.h"

namespace pravella::builtins {

#define VK_T_BUILTIN(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)
// Text files (functions_t_text_files.cpp).
VK_T_BUILTIN(textFileCountSameString);
VK_T_BUILTIN(textFileCut);
VK_T_BUILTIN(textFileGetLineNumber);
VK_T_BUILTIN(textFileExchangeItem);
VK_T_BUILTIN(textFileCat);
VK_T_BUILTIN(textFileSelectArea);
VK_T_BUILTIN(textFileSelectNumber);
VK_T_BUILTIN(textFileGetNthItem);
VK_T_BUILTIN(textFileDeleteNullLine);
VK_T_BUILTIN(textFileSelectItem);
VK_T_BUILTIN(textFileDeSelectItem);
VK_T_BUILTIN(textFileDeleteItem);
#undef VK_T_BUILTIN

}  // namespace pravella::builtins
