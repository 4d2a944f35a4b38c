#pragma once
// A movie as the movie windows and the movie builder hold it: an edit list of frames taken
// from sources (files, still pictures), a current time, a selection, and the edits the
// windows offer (copy, cut, delete, paste through one process-wide movie clipboard). Time is
// counted in 1/600 s throughout. Video only: sound tracks are not played.
//
// A document is used from one thread at a time (the GUI thread for a window); the clipboard
// may be reached from any.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/movie/movie_source.h"

namespace pravella::movie {

// A time of `value` units at `scale` units a second, in 1/600 s (rounded down); `scale` must
// be positive.
std::int64_t toMovieUnits(std::int64_t value, std::int32_t scale);

class MovieDocument {
 public:
  struct FrameRef {
    MovieSourcePtr source;
    int index = 0;
  };

  MovieDocument() = default;

  // The file as a movie: null (and the reason) when libavformat finds no decodable video.
  static std::unique_ptr<MovieDocument> open(const QString& path, QString* why = nullptr);
  // Whether a file opens as a movie.
  static bool isMovieFile(const QString& path);
  // A movie of one frame: the picture file, lasting `duration` units.
  static std::unique_ptr<MovieDocument> fromPictureFile(const QString& path, std::int64_t duration);

  // Appends a still frame (encoded bytes: JPEG, PNG, ...) lasting `duration` units; false when
  // the bytes are no picture. Consecutive stills share one source. With a `file`, the bytes
  // are kept there rather than in memory.
  bool appendStill(const QByteArray& encoded, std::int64_t duration, const QString& file = {});

  int frameCount() const { return static_cast<int>(frames_.size()); }
  const FrameRef& frameRef(int i) const { return frames_[i]; }
  std::int64_t frameStart(int i) const { return starts_[i]; }
  std::int64_t frameDuration(int i) const;
  std::int64_t duration() const { return starts_.empty() ? 0 : starts_.back(); }
  // The first frame's size; empty for an empty movie.
  QSize naturalSize() const;
  bool isEmpty() const { return frames_.empty(); }

  // The frame shown at `time`: the one whose span holds it (the last frame at the very end);
  // -1 when there is none.
  int frameIndexAt(std::int64_t time) const;
  // The frame at a time, at natural size; a null image when there is none.
  QImage frameAt(std::int64_t time);
  QImage currentFrame() { return frameAt(current_); }

  std::int64_t currentTime() const { return current_; }
  void setCurrentTime(std::int64_t time);  // kept within 0 .. duration
  void gotoBeginning() { setCurrentTime(0); }
  void gotoEnd() { setCurrentTime(duration()); }
  void stepForward();
  void stepBackward();

  std::int64_t selectionStart() const { return selStart_; }
  std::int64_t selectionDuration() const { return selDuration_; }
  void setSelection(std::int64_t start, std::int64_t length);
  void selectAll() { setSelection(0, duration()); }
  void selectNone() { setSelection(current_, 0); }

  // Edits work on whole frames: those whose start lies inside the selection.
  void copy();
  void cut();
  void deleteSelection();
  // Inserts the clipboard at the current time (the frame boundary at or after it), replacing
  // the selection when there is one; the pasted frames become the selection.
  void paste();

  bool isEdited() const { return edited_; }
  void setEdited(bool edited) { edited_ = edited; }

 private:
  void rebuildStarts();
  std::pair<int, int> selectedFrames() const;

  std::vector<FrameRef> frames_;
  std::vector<std::int64_t> starts_;  // frameCount() + 1 entries once there is a frame
  std::int64_t current_ = 0;
  std::int64_t selStart_ = 0;
  std::int64_t selDuration_ = 0;
  bool edited_ = false;
  std::shared_ptr<StillSource> stills_;  // where appended stills go while they come in a row
};

// The process-wide movie clipboard: what copy and cut leave and paste takes.
std::vector<MovieDocument::FrameRef> movieClipboard();
void setMovieClipboard(std::vector<MovieDocument::FrameRef> frames);

}  // namespace pravella::movie
