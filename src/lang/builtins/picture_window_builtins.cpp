#include "lang/builtins/picture_window_builtins.h"

#include <QByteArray>
#include <QString>

#include <string>

#include "imaging/movie_windows.h"
#include "imaging/picture_windows.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/window_arguments.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/variables.h"
#include "platform/cformat.h"

namespace pravella::builtins {

namespace {

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

int popTitle(CalcStackEntry* stack, int* sp, QString& title) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  title = QString::fromUtf8(text(vk_ta));
  return 1;
}

// A 1 by 2 real (x, y or width, height).
int popPair(CalcStackEntry* stack, int* sp, double* pair) {
  VkArg a;
  if (!vkPopArg(stack, sp, vk_tb, &a)) return 0;
  if (!a.isReal() || a.rows != 1 || a.cols != 2) return vkInvalidArguments();
  pair[0] = vk_tb[0];
  pair[1] = vk_tb[1];
  return 1;
}

int noReceiver(const char* name) {
  error_disp(cformat("No window receives [%s].", name));
  return 0;
}

}  // namespace

int showPictInWindow(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  QString title;
  if (!popTitle(stack, sp, title)) return 0;
  VkArg a;
  if (!vkPopArg(stack, sp, vk_tb, &a)) return 0;
  if (!a.isPicture() || a.rows <= 0) return vkInvalidArguments();
  const QByteArray picture(text(vk_tb), a.rows);
  if (!picturewindows::openSubWindowWithImage(picture, title))
    return noReceiver(picturewindows::kOpenNotification);
  return 1;
}

int closePictWindowBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  QString title;
  if (!popTitle(stack, sp, title)) return 0;
  picturewindows::closePictWindow(title);
  return 1;
}

int closeAllPictWindowBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  picturewindows::closeAllPictWindow();
  return 1;
}

int movePictWindowBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double at[2];
  QString title;
  if (!popPair(stack, sp, at) || !popTitle(stack, sp, title)) return 0;
  if (!windowPlaceAccepted(at[0], at[1])) return vkInvalidArguments();
  picturewindows::movePictWindow(title, at[0], at[1]);
  return 1;
}

int sizePictWindowBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double size[2];
  QString title;
  if (!popPair(stack, sp, size) || !popTitle(stack, sp, title)) return 0;
  if (!windowSizeAccepted(size[0], size[1])) return vkInvalidArguments();
  picturewindows::sizePictWindow(title, size[0], size[1]);
  return 1;
}

int openMovieWindowBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  QString title;
  if (!popTitle(stack, sp, title)) return 0;
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  // Relative names, as for the file built-ins, count from the working folder.
  std::string full;
  if (!changeFullPath(text(vk_ta), full)) return vkInvalidArguments();
  switch (motion::openMovieWindowWithMovie(QString::fromStdString(full), title)) {
    case motion::OpenMovieResult::NoReceiver:
      return noReceiver(motion::kOpenMovieWindowNotification);
    case motion::OpenMovieResult::NotAMovie:
      return vkInvalidArguments();
    case motion::OpenMovieResult::Opened:
      break;
  }
  return 1;
}

}  // namespace pravella::builtins
