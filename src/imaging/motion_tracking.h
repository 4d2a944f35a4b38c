#pragma once
// The motion analyser's tracking: a background averaged from frames of a movie filmed by a
// fixed camera, and the detection of one moving object in a frame (the difference from the
// background, a 5 by 5 mean, a threshold, 4-connected regions and a rule that chooses one).
// Each detection gives one result line (time, x, y, pixels) of the (t, x, y) form that the
// angular-velocity built-ins read. The tracking window drives these; they hold no window.

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

#include "imaging/movie_windows.h"

namespace pravella::motion {

// The background: 3 bytes a pixel (red, green, blue), rows from the top.
struct Background {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  bool isEmpty() const { return width <= 0 || height <= 0; }
};

// The one background of the process (empty until the first is made); it outlives windows.
Background& backGroundData();

// The time values at which a background samples a movie of `duration` units (scale units a
// second), every `intervalSeconds`; a selection (length > 0) narrows it and, when it would give
// ten samples or fewer, takes a tenth of it as the step. A step of 0 counts as 1.
std::vector<std::int64_t> backgroundSampleTimes(std::int64_t duration, std::int32_t scale,
                                                int intervalSeconds, std::int64_t selectionStart,
                                                std::int64_t selectionLength);

// Sums frames, then gives their per-channel mean truncated to bytes.
class BackgroundAccumulator {
 public:
  // The first frame fixes the size; a frame of another size is left out. False then.
  bool add(const QImage& frame);
  int count() const { return count_; }
  Background result() const;

 private:
  int width_ = 0, height_ = 0, count_ = 0;
  std::vector<float> sum_;
};

// The background as a 24-bit image.
QImage backgroundImage(const Background& background);
// Each channel (frame - background) × 3, clamped to 0..255; null when the sizes differ.
QImage differenceImage(const QImage& frame, const Background& background);

enum class ChoiceRule { Largest, Nearest };

struct Detection {
  bool comparable = false;        // the frame had the background's size
  const char* failure = nullptr;  // "no cell" and the labelling's other messages
  bool chosen = false;
  double x = 0;    // mean column, from 1
  double r = 0;    // mean row, from 1
  long n = 0;      // pixels
  QImage display;  // the mask, with the mark of the chosen region
};

// Finds the object in a frame. `threshold` is the least 5 by 5 mean of the brightening over the
// background; `maxLength` the extent a region must stay under for the largest rule; (prevX,
// prevR) the position the nearest rule measures from.
class Detector {
 public:
  Detection detect(const QImage& frame, const Background& background, double threshold, int maxLength,
                   ChoiceRule rule, double prevX, double prevR);

 private:
  std::vector<std::int64_t> table_;  // summed-area table of the difference
  std::vector<double> mask_;
  std::vector<double> cells_;
  std::vector<int> diff_;
};

// "%9.3f\t%6.1f\t%6.1f\t%5ld\n": seconds, x, height - r, pixels.
QString resultLine(double seconds, double x, double yUp, long n);

// The desktop file of a result: "ma_" + the fourteen digits + ".txt".
QString resultFilePath(const QString& nowDateTime);
// The local time as "%4d%02d%02d%02d%02d%02d".
QString nowDateTimeString();
// Writes the text in CP932 (characters without a form there replaced), atomically; an empty
// string on success, else the reason.
QString saveResultText(const QString& text, const QString& path);

// Asks the tracking window to open the movie file. Observers answer true when it opened.
inline constexpr char kOpenMovieImageWindowNotification[] = "openMovieImageWindowWithMovie";
OpenMovieResult openMovieImageWindowWithMovie(const QString& path);

}  // namespace pravella::motion
