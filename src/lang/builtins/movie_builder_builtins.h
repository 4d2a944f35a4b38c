#pragma once
// Built-ins of the movie builder: createMovie, addImageToMovie and the movie_ family; and of
// the tracking window: openMovieImageWindow. Each is a table entry of its letter.

struct CalcStackEntry;
struct vk_Code;

namespace pravella::builtins {

int createMovieBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int movieCreateBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int addImageToMovieBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int movieSaveBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int movieSaveAsBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
// The commands with one number: ignored, passed on as a real, or truncated to an integer,
// as the command's name says.
int movieCommandBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int openMovieImageWindowBuiltin(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

}  // namespace pravella::builtins
