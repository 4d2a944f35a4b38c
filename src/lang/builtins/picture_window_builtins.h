#pragma once
// Built-ins of the windows that programs open by title: picture sub-windows (openPictWindow
// and its synonyms, closePictWindow, closeAllPictWindow, movePictWindow, sizePictWindow) and
// the movie window of "openMovieWindow". Each is a table entry of its letter.

struct CalcStackEntry;
struct vk_Code;

namespace pravella::builtins {

int showPictInWindow(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int closePictWindowBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int closeAllPictWindowBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int movePictWindowBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int sizePictWindowBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int openMovieWindowBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins
