#include "lang/builtins/movie_builder_builtins.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <limits>
#include <string>

#include "graphics/picture_clipboard.h"
#include "imaging/motion_tracking.h"
#include "imaging/movie_builder.h"
#include "lang/builtins/builtin_args.h"
#include "lang/builtins/builtin_table.h"
#include "lang/builtins/window_arguments.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/variables.h"
#include "platform/cformat.h"

namespace pravella::builtins {

namespace {

using moviebuilder::Answer;

char* text(double* buffer) { return reinterpret_cast<char*>(buffer); }

int noReceiver(const char* name) {
  error_disp(cformat("No window receives [%s].", name));
  return 0;
}

int fail(const char* message) {
  error_disp(message);
  return 0;
}

// The file name of a program, counted from the working folder.
int popPath(CalcStackEntry* stack, int* sp, std::string& path) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  path = text(vk_ta);
  if (path.empty()) return 1;
  std::string full;
  if (!changeFullPath(path, full)) return vkInvalidArguments();
  path = full;
  return 1;
}

// The system's reason for a refused save goes ahead of the built-in's own message, if any.
void reportRefusal(const QString& why) {
  if (!why.isEmpty()) error_disp(why.toStdString());
}

// The save panel route of movie_save and movie_saveAs.
int saveMovieThroughPanel() {
  QString why;
  switch (moviebuilder::saveMovieAs(&why)) {
    case Answer::NoReceiver:
      return noReceiver(moviebuilder::kSaveAsNotification);
    case Answer::Refused:
      reportRefusal(why);
      return fail("Can not Save Movie.");
    case Answer::Done:
      break;
  }
  return 1;
}

}  // namespace

int createMovieBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  if (!vkPopString(stack, sp, text(vk_ta))) return 0;
  return moviebuilder::openVkMovieWindow() == Answer::Done ? 1 : fail("Can not Create New Movie.");
}

int movieCreateBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  return moviebuilder::openVkMovieWindow() == Answer::Done ? 1 : fail("Can not Create Movie.");
}

int addImageToMovieBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double seconds = 0;
  if (!vkPopNumber(stack, sp, &seconds)) return 0;
  VkArg a;
  if (!vkPopArg(stack, sp, vk_tb, &a)) return 0;
  if (!a.isPicture() || a.rows <= 0) return vkInvalidArguments();
  // A frame shorter than one unit would never show.
  const std::optional<std::int64_t> units = moviebuilder::frameUnits(seconds);
  if (!units) return vkInvalidArguments();
  const QByteArray picture(text(vk_tb), a.rows);
  if (!DoCopyPictureToScrap(picture)) return 0;
  switch (moviebuilder::pasteImageToMovie(picture, *units)) {
    case Answer::NoReceiver:
    case Answer::Refused:
      return noReceiver(moviebuilder::kPasteNotification);
    case Answer::Done:
      break;
  }
  return 1;
}

int movieSaveBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string path;
  if (!popPath(stack, sp, path)) return 0;
  if (path.empty()) return saveMovieThroughPanel();
  QString why;
  switch (moviebuilder::saveMovie(QString::fromStdString(path), &why)) {
    case Answer::NoReceiver:
      return noReceiver(moviebuilder::kSaveNotification);
    case Answer::Refused:
      reportRefusal(why);
      return 0;  // without a message of its own
    case Answer::Done:
      break;
  }
  return 1;
}

int movieSaveAsBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  double ignored = 0;
  if (!vkPopNumber(stack, sp, &ignored)) return 0;
  return saveMovieThroughPanel();
}

int movieCommandBuiltin(int, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  double value = 0;
  if (!vkPopNumber(stack, sp, &value)) return 0;
  QString name = QString::fromStdString(code[*pc].name).mid(6);  // after "movie_"
  // The rate and the magnification go on in single precision; modes and flags as integers.
  if (name == QLatin1String("setRate")) {
    value = static_cast<float>(value);
  } else if (name == QLatin1String("resizeWithMagnification")) {
    if (!windowFactorAccepted(value)) return vkInvalidArguments();
    // In single precision, but never rounded up to infinity or down to no size at all: the
    // window side fits any factor to the screen and to a pixel.
    const float factor = static_cast<float>(value);
    value = std::isinf(factor) ? std::numeric_limits<float>::max()
            : factor == 0      ? std::numeric_limits<float>::denorm_min()
                               : factor;
  } else if (name == QLatin1String("setLoopMode") || name == QLatin1String("playsSelectionOnly") ||
             name == QLatin1String("setPlaysEveryFrame")) {
    value = std::isfinite(value) ? std::trunc(value) : 0;
  }
  // Without a builder the command does nothing and still succeeds.
  moviebuilder::command(name, value);
  return 1;
}

int openMovieImageWindowBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  std::string path;
  if (!popPath(stack, sp, path)) return 0;
  switch (motion::openMovieImageWindowWithMovie(QString::fromStdString(path))) {
    case motion::OpenMovieResult::NoReceiver:
      return noReceiver(motion::kOpenMovieImageWindowNotification);
    case motion::OpenMovieResult::NotAMovie:
      return vkInvalidArguments();
    case motion::OpenMovieResult::Opened:
      break;
  }
  return 1;
}

}  // namespace pravella::builtins
