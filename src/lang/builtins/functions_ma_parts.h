#pragma once
// The built-ins beginning with "ma": the rows of the movie windows, whose work is done by the
// motion analyser's windows (functions_ma_movie.cpp). The table itself, the path figures and
// the names forwarded to other subsystems are in functions_ma.cpp.

#include "lang/values.h"

namespace pravella::builtins::ma {

#define VK_MA_ROW(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)
VK_MA_ROW(getMovieDuration);
VK_MA_ROW(captureMovieImageToPict);
VK_MA_ROW(captureMovieImage);
VK_MA_ROW(setMovieCurrentTime);
VK_MA_ROW(selectNoneMovie);
VK_MA_ROW(selectAllMovie);
VK_MA_ROW(deleteMovie);
VK_MA_ROW(cutMovie);
VK_MA_ROW(pasteMovie);
VK_MA_ROW(copyMovie);
VK_MA_ROW(getMovieOriginalSize);
VK_MA_ROW(getMovieCurrentSize);
VK_MA_ROW(getMovieCurrentTime);
VK_MA_ROW(closeAllMovieWindows);
VK_MA_ROW(closeMovieWindow);
VK_MA_ROW(stepForwardMovie);
VK_MA_ROW(stepBackwardMovie);
VK_MA_ROW(stopMovie);
VK_MA_ROW(playMovie);
VK_MA_ROW(gotoEndOfMovie);
VK_MA_ROW(gotoBeginningOfMovie);
VK_MA_ROW(openMovieWindow);
#undef VK_MA_ROW

}  // namespace pravella::builtins::ma
