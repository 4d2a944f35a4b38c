#include "imaging/movie_windows.h"

#include <QStringList>
#include <QVariant>

#include <cmath>
#include <limits>

#include "lang/report.h"
#include "platform/notification_center.h"

namespace pravella::motion {

namespace {

// Title bar and controller bar: what the window frame has beyond the movie's picture.
constexpr int kFrameBars = 42;

bool fitsInt64(double v) {
  // 2^63 is exactly representable; anything at or beyond it is not a 64-bit value.
  return std::isfinite(v) && v > -9223372036854775808.0 && v < 9223372036854775808.0;
}

std::optional<MovieTime> unitsAtScale(double a, double b) {
  if (!fitsInt64(a) || !std::isfinite(b)) return std::nullopt;
  const double scale = std::trunc(b);
  if (scale <= 0 || scale > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return MovieTime{static_cast<std::int64_t>(a), static_cast<std::int32_t>(scale), 0};
}

}  // namespace

WindowList<MovieWindowHandle>& movieWindowList() {
  static WindowList<MovieWindowHandle> list;
  return list;
}

MovieWindowHandle findWindowFromMovieWindowList(const QString& title) {
  return movieWindowList().find(title);
}
MovieWindowHandle findFirstWindowFromMovieWindowList() { return movieWindowList().first(); }
QString findTitleFromMovieWindowList(const MovieWindowHandle& window) {
  return movieWindowList().titleOf(window);
}
void addWindowToMovieWindowList(const QString& title, MovieWindowHandle window) {
  movieWindowList().add(title, std::move(window));
}
void deleteMovieWindowListForKey(const QString& title) { movieWindowList().remove(title); }

std::optional<MovieTime> movieTimeFromPair(double a, double b) { return unitsAtScale(a, b); }

std::optional<MovieTime> frameTime(const double* pair, MovieTime current) {
  if (!pair) return current;
  const double a = pair[0], b = pair[1];
  if (a >= 0 && b == 0) {
    if (current.scale <= 0) return std::nullopt;
    const double units = std::trunc(a * current.scale);
    if (!fitsInt64(units)) return std::nullopt;
    return MovieTime{static_cast<std::int64_t>(units), current.scale, current.flags};
  }
  return unitsAtScale(a, b);
}

namespace {

void writePair(double* out, double a, double b) {
  out[0] = a;
  out[1] = b;
}

}  // namespace

int domaGetMovieDuration(const QString& title, double* out) {
  MovieWindowHandle w = findWindowFromMovieWindowList(title);
  if (!w) return 0;
  const MovieTime t = w->duration();
  writePair(out, static_cast<double>(t.value), t.scale);
  return 1;
}

int domaGetMovieCurrentTime(const QString& title, double* out) {
  MovieWindowHandle w = findWindowFromMovieWindowList(title);
  if (!w) return 0;
  const MovieTime t = w->currentTime();
  writePair(out, static_cast<double>(t.value), t.scale);
  return 1;
}

int domaGetMovieOriginalSize(const QString& title, double* out) {
  MovieWindowHandle w = findWindowFromMovieWindowList(title);
  if (!w) return 0;
  const QSize s = w->naturalSize();
  writePair(out, s.height(), s.width());
  return 1;
}

int domaGetMovieCurretSize(const QString& title, double* out) {
  MovieWindowHandle w = findWindowFromMovieWindowList(title);
  if (!w) return 0;
  const QSize s = w->windowFrameSize();
  writePair(out, s.height() - kFrameBars, s.width());
  return 1;
}

int domaSetMovieCurrentTime(const QString& title, MovieTime time) {
  MovieWindowHandle w = findWindowFromMovieWindowList(title);
  if (!w) return 0;
  w->setCurrentTime(time);
  return 1;
}

int domaEditMovie(const QString& title, MovieEdit what) {
  MovieWindowHandle w = findWindowFromMovieWindowList(title);
  if (!w) return 0;
  w->edit(what);
  return 1;
}

void domaTransportMovie(const QString& title, MovieTransport what) {
  if (MovieWindowHandle w = findWindowFromMovieWindowList(title)) w->transport(what);
}

void doCloseMovieWindow(const QString& title) {
  MovieWindowHandle w = findWindowFromMovieWindowList(title);
  if (!w) return;
  // The entry goes first, so that a window that closes slowly or not at all is never found
  // again and closing all windows always ends.
  deleteMovieWindowListForKey(title);
  w->closeWindow();
}

void doCloseAllMovieWindow() {
  while (MovieWindowHandle w = findFirstWindowFromMovieWindowList()) {
    deleteMovieWindowListForKey(findTitleFromMovieWindowList(w));
    w->closeWindow();
  }
}

namespace {

bool captureFrame(const QString& title, const double* pair, QImage* frame) {
  MovieWindowHandle w = findWindowFromMovieWindowList(title);
  if (!w) return false;
  const std::optional<MovieTime> time = frameTime(pair, w->currentTime());
  if (!time) return false;
  return w->frameAt(*time, frame) && !frame->isNull();
}

}  // namespace

void intensityOf(const QImage& frame, double* out) {
  const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      const float sum = static_cast<float>(qRed(line[x])) + static_cast<float>(qGreen(line[x])) +
                        static_cast<float>(qBlue(line[x]));
      *out++ = sum;
    }
  }
}

Picture pictureOfFrame(const QImage& frame) {
  // A movie frame covers its whole frame: opaque, as a world erased and then filled.
  return Picture::fromImage(frame.convertToFormat(QImage::Format_RGB32));
}

int doCaptureMovieImageAtTimeAndConvert(const QString& title, const double* pair, double* out,
                                        long long capacity, int* height, int* width) {
  QImage frame;
  if (!captureFrame(title, pair, &frame)) return 0;
  // The matrix goes into the language's scratch buffer: a larger frame would overrun it.
  if (static_cast<long long>(frame.width()) * frame.height() > capacity) {
    error_disp(QStringLiteral("Too big data: a frame of %1 x %2 is more than %3 elements.")
                   .arg(frame.width())
                   .arg(frame.height())
                   .arg(capacity)
                   .toStdString());
    return -1;
  }
  intensityOf(frame, out);
  *height = frame.height();
  *width = frame.width();
  return 1;
}

int domaCaptureMovieImageToPICT(const QString& title, const double* pair, Picture* picture) {
  QImage frame;
  if (!captureFrame(title, pair, &frame)) return 0;
  *picture = pictureOfFrame(frame);
  return picture->isEmpty() ? 0 : 1;
}

OpenMovieResult openMovieWindowWithMovie(const QString& path, const QString& title) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString name = QString::fromLatin1(kOpenMovieWindowNotification);
  if (!center.hasObservers(name)) return OpenMovieResult::NoReceiver;
  const QVariant reply = center.post(name, QString(), QStringList{path, title});
  return reply.toBool() ? OpenMovieResult::Opened : OpenMovieResult::NotAMovie;
}

}  // namespace pravella::motion
