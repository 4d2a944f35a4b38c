#pragma once
// The motion analyser's movie windows as programs see them: a title-keyed list of open movie
// windows and the operations the "ma" built-ins carry out on the window of a title. The
// windows themselves (a movie view with its controller bar) implement MovieWindow and register
// here; until one is registered under a title, every operation on that title finds nothing and
// answers as for a missing window.
//
// The operations run on the program's worker thread; an implementation of MovieWindow whose
// window lives on the GUI thread does the work there and waits for it.

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

#include "graphics/picture.h"
#include "graphics/window_list.h"

namespace pravella::motion {

// A point in a movie: `value` units of 1/`scale` second.
struct MovieTime {
  std::int64_t value = 0;
  std::int32_t scale = 0;
  std::int32_t flags = 0;
  friend bool operator==(const MovieTime&, const MovieTime&) = default;
};

enum class MovieEdit { Copy, Cut, Paste, Delete, SelectAll, SelectNone };
enum class MovieTransport { GotoBeginning, GotoEnd, Play, Stop, StepForward, StepBackward };

class MovieWindow {
 public:
  virtual ~MovieWindow() = default;
  virtual void transport(MovieTransport what) = 0;
  virtual void edit(MovieEdit what) = 0;
  virtual MovieTime currentTime() = 0;
  virtual void setCurrentTime(MovieTime time) = 0;
  virtual MovieTime duration() = 0;
  virtual QSize naturalSize() = 0;
  // The whole window, title bar and controller bar included.
  virtual QSize windowFrameSize() = 0;
  // The frame shown at `time`, at the movie's natural size; false when there is none.
  virtual bool frameAt(MovieTime time, QImage* frame) = 0;
  // Closes the window (its list entry is already gone).
  virtual void closeWindow() = 0;
};

using MovieWindowHandle = std::shared_ptr<MovieWindow>;

// The list itself (process-wide) and its five operations.
WindowList<MovieWindowHandle>& movieWindowList();
MovieWindowHandle findWindowFromMovieWindowList(const QString& title);
MovieWindowHandle findFirstWindowFromMovieWindowList();
QString findTitleFromMovieWindowList(const MovieWindowHandle& window);
void addWindowToMovieWindowList(const QString& title, MovieWindowHandle window);
void deleteMovieWindowListForKey(const QString& title);

// The time of the frame a capture asks for, from the optional pair (a, b) of the program:
// none given, the current time; a >= 0 with b = 0, a seconds at the current time's scale;
// otherwise a units at scale b. No time (nullopt) when the scale would be 0 or below (negative
// seconds end up there) or a value does not fit: a movie cannot divide by such a scale.
std::optional<MovieTime> frameTime(const double* pair, MovieTime current);
// The time a program sets: a units at scale b, flags 0; nullopt as above.
std::optional<MovieTime> movieTimeFromPair(double a, double b);

// Queries: 1 and (value, scale), (height, width) into out[0..1]; 0 when no window has the
// title (out is left as it was). The current size is the window frame's height less the 42
// points of title and controller bars, and its width.
int domaGetMovieDuration(const QString& title, double* out);
int domaGetMovieCurrentTime(const QString& title, double* out);
int domaGetMovieOriginalSize(const QString& title, double* out);
int domaGetMovieCurretSize(const QString& title, double* out);
// 0 when no window has the title.
int domaSetMovieCurrentTime(const QString& title, MovieTime time);
int domaEditMovie(const QString& title, MovieEdit what);
// Nothing happens when no window has the title.
void domaTransportMovie(const QString& title, MovieTransport what);

// Removes the list entry of the title, then closes its window; nothing when there is none.
void doCloseMovieWindow(const QString& title);
void doCloseAllMovieWindow();

// The frame at frameTime(pair, ...) as an intensity matrix: red + green + blue of each pixel
// (0 to 765, summed in single precision), row 0 the top row, into `out` of `capacity` reals.
// 0 when no window has the title or there is no such time or frame; -1, with the reason
// reported, when the frame holds more pixels than `capacity`.
int doCaptureMovieImageAtTimeAndConvert(const QString& title, const double* pair, double* out,
                                        long long capacity, int* height, int* width);
// The same frame as an opaque picture value; 0 as above.
int domaCaptureMovieImageToPICT(const QString& title, const double* pair, Picture* picture);
// What the two captures do with a frame; for the windows and the tests.
void intensityOf(const QImage& frame, double* out);
Picture pictureOfFrame(const QImage& frame);

// Asks the movie windows to open the movie file under the title (reusing the window of that
// title, or a new one). The request goes out as the notification below with the strings
// (path, title); its observer answers true when the file opened as a movie.
inline constexpr char kOpenMovieWindowNotification[] = "openMovieWindowWithMovie";
enum class OpenMovieResult { NoReceiver, Opened, NotAMovie };
OpenMovieResult openMovieWindowWithMovie(const QString& path, const QString& title);

}  // namespace pravella::motion
