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
// Kana, character widths and text pictures (functions_t_kana.cpp).
VK_T_BUILTIN(toKatakanaBuiltin);
VK_T_BUILTIN(toHiraganaBuiltin);
VK_T_BUILTIN(toHankakuSJIS);
VK_T_BUILTIN(toHankakuJIS);
VK_T_BUILTIN(toZenkakuJIS);
VK_T_BUILTIN(toZenkakuSJIS);
VK_T_BUILTIN(toZenkakuJIS_Omoji);
VK_T_BUILTIN(toSeion);
VK_T_BUILTIN(text2Pict);
#undef VK_T_BUILTIN

}  // namespace pravella::builtins
