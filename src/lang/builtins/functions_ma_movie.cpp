// Built-ins "ma": the movie windows of the motion analyser, addressed by title. A title that no
// window has is answered as each row says: "NoMovie." for setting the time, selecting and
// editing, a zero pair for the questions, "No Image Data." for the matrix captures, a silent
// failure for the picture capture and a silent success for everything else.

#include <QString>

#include <string>

#include "graphics/picture.h"
#include "imaging/movie_windows.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/functions_ma_parts.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "platform/cformat.h"

namespace pravella::builtins::ma {

namespace {

using namespace pravella::motion;

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

int popTitle(CalcStackEntry* stack, int* sp, QString& title) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  title = QString::fromUtf8(text(vk_ta));
  return 1;
}

// A time argument: 1 x 1 seconds (the scale taken as 0) or 1 x 2 (value, scale).
int popTime(CalcStackEntry* stack, int* sp, double* pair) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_ta, &a)) return 0;
  if (!a.isReal() || a.rows != 1 || (a.cols != 1 && a.cols != 2)) return vkInvalidArguments();
  pair[0] = vk_ta[0];
  pair[1] = a.cols == 2 ? vk_ta[1] : 0;
  return 1;
}

// The title, with the time before it on the stack when the call has two arguments.
int popTitleAndTime(int argc, CalcStackEntry* stack, int* sp, QString& title, double* pair, bool& timed) {
  timed = argc == 2;
  if (timed && !popTime(stack, sp, pair)) return 0;
  return popTitle(stack, sp, title);
}

int noMovie() {
  error_disp("NoMovie.");
  return 0;
}

using Query = int (*)(const QString&, double*);

// A question about the window: its answer, or [0, 0] when there is no window.
int query(CalcStackEntry* stack, int* sp, Query ask) {
  QString title;
  if (!popTitle(stack, sp, title)) return 0;
  double pair[2] = {0, 0};
  ask(title, pair);
  return vkPushReals(stack, sp, pair, 1, 2);
}

int edit(CalcStackEntry* stack, int* sp, MovieEdit what) {
  QString title;
  if (!popTitle(stack, sp, title)) return 0;
  return domaEditMovie(title, what) ? 1 : noMovie();
}

int transport(CalcStackEntry* stack, int* sp, MovieTransport what) {
  QString title;
  if (!popTitle(stack, sp, title)) return 0;
  domaTransportMovie(title, what);
  return 1;
}

}  // namespace

int getMovieDuration(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return query(stack, sp, domaGetMovieDuration);
}
int getMovieOriginalSize(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return query(stack, sp, domaGetMovieOriginalSize);
}
int getMovieCurrentSize(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return query(stack, sp, domaGetMovieCurretSize);
}
int getMovieCurrentTime(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return query(stack, sp, domaGetMovieCurrentTime);
}

int captureMovieImageToPict(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  QString title;
  double pair[2];
  bool timed = false;
  if (!popTitleAndTime(code[*pc].argc, stack, sp, title, pair, timed)) return 0;
  Picture picture;
  // No window or no frame: the call fails without a message of its own.
  if (!domaCaptureMovieImageToPICT(title, timed ? pair : nullptr, &picture)) return 0;
  return PushToStack(stack, sp, picture.bytes().constData(), kValuePicture, static_cast<int>(picture.size()),
                     0);
}

int captureMovieImage(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  QString title;
  double pair[2];
  bool timed = false;
  if (!popTitleAndTime(code[*pc].argc, stack, sp, title, pair, timed)) return 0;
  int height = 0, width = 0;
  const int got =
      doCaptureMovieImageAtTimeAndConvert(title, timed ? pair : nullptr, vk_tc, TNumber, &height, &width);
  if (got <= 0) {
    if (got == 0) error_disp("No Image Data.");
    return 0;
  }
  return vkPushReals(stack, sp, vk_tc, height, width);
}

int setMovieCurrentTime(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_tb, &a)) return 0;
  if (!a.isReal() || a.rows != 1 || a.cols != 2) return vkInvalidArguments();
  QString title;
  if (!popTitle(stack, sp, title)) return 0;
  // A scale of 0 or below has no frame at all; the movie would divide by it.
  const std::optional<MovieTime> time = movieTimeFromPair(vk_tb[0], vk_tb[1]);
  if (!time) return vkInvalidArguments();
  return domaSetMovieCurrentTime(title, *time) ? 1 : noMovie();
}

int selectNoneMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return edit(stack, sp, MovieEdit::SelectNone);
}
int selectAllMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return edit(stack, sp, MovieEdit::SelectAll);
}
int deleteMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return edit(stack, sp, MovieEdit::Delete);
}
int cutMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) { return edit(stack, sp, MovieEdit::Cut); }
int pasteMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return edit(stack, sp, MovieEdit::Paste);
}
int copyMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return edit(stack, sp, MovieEdit::Copy);
}

int closeAllMovieWindows(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!PopFromStack(stack, sp, vk_ta, nullptr, nullptr, nullptr)) return 0;
  doCloseAllMovieWindow();
  return 1;
}

int closeMovieWindow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  QString title;
  if (!popTitle(stack, sp, title)) return 0;
  doCloseMovieWindow(title);
  return 1;
}

int stepForwardMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return transport(stack, sp, MovieTransport::StepForward);
}
int stepBackwardMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return transport(stack, sp, MovieTransport::StepBackward);
}
int stopMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return transport(stack, sp, MovieTransport::Stop);
}
int playMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return transport(stack, sp, MovieTransport::Play);
}
int gotoEndOfMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return transport(stack, sp, MovieTransport::GotoEnd);
}
int gotoBeginningOfMovie(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  return transport(stack, sp, MovieTransport::GotoBeginning);
}

int openMovieWindow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  QString title, path;
  if (!popTitle(stack, sp, title) || !popTitle(stack, sp, path)) return 0;
  // A file that is no movie still succeeds; only a request nobody can carry out fails.
  if (openMovieWindowWithMovie(path, title) == OpenMovieResult::NoReceiver) {
    error_disp(cformat("No window receives [%s].", kOpenMovieWindowNotification));
    return 0;
  }
  return 1;
}

}  // namespace pravella::builtins::ma
