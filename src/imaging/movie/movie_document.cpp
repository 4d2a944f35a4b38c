#include "imaging/movie/movie_document.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace pravella::movie {

std::int64_t toMovieUnits(std::int64_t value, std::int32_t scale) {
  if (scale == kMovieTimeScale) return value;
  // 128 bits: value × 600 overflows 64 bits long before a movie could be that long.
  const __int128 product = static_cast<__int128>(value) * kMovieTimeScale;
  __int128 q = product / scale;
  if (product % scale != 0 && product < 0) --q;  // rounded down, also below zero
  if (q > INT64_MAX) return INT64_MAX;
  if (q < INT64_MIN) return INT64_MIN;
  return static_cast<std::int64_t>(q);
}

std::unique_ptr<MovieDocument> MovieDocument::open(const QString& path, QString* why) {
  MovieSourcePtr source = openMovieFileSource(path, why);
  if (!source) return nullptr;
  auto doc = std::make_unique<MovieDocument>();
  for (int i = 0; i < source->frameCount(); ++i) doc->frames_.push_back({source, i});
  doc->rebuildStarts();
  return doc;
}

bool MovieDocument::isMovieFile(const QString& path) { return openMovieFileSource(path) != nullptr; }

std::unique_ptr<MovieDocument> MovieDocument::fromPictureFile(const QString& path, std::int64_t duration) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return nullptr;
  auto doc = std::make_unique<MovieDocument>();
  if (!doc->appendStill(file.readAll(), duration)) return nullptr;
  doc->setEdited(false);
  return doc;
}

bool MovieDocument::appendStill(const QByteArray& encoded, std::int64_t duration, const QString& file) {
  const bool continuing = stills_ && !frames_.empty() && frames_.back().source == stills_ &&
                          frames_.back().index == stills_->frameCount() - 1;
  if (!continuing) stills_ = std::make_shared<StillSource>();
  if (!stills_->append(encoded, duration, file)) return false;
  frames_.push_back({stills_, stills_->frameCount() - 1});
  rebuildStarts();
  edited_ = true;
  return true;
}

std::int64_t MovieDocument::frameDuration(int i) const {
  return frames_[i].source->frameDuration(frames_[i].index);
}

QSize MovieDocument::naturalSize() const {
  return frames_.empty() ? QSize() : frames_.front().source->naturalSize();
}

void MovieDocument::rebuildStarts() {
  starts_.assign(1, 0);
  if (frames_.empty()) {
    starts_.clear();
  } else {
    for (const FrameRef& f : frames_) starts_.push_back(starts_.back() + f.source->frameDuration(f.index));
  }
  current_ = std::clamp<std::int64_t>(current_, 0, duration());
  selStart_ = std::clamp<std::int64_t>(selStart_, 0, duration());
  selDuration_ = std::clamp<std::int64_t>(selDuration_, 0, duration() - selStart_);
}

int MovieDocument::frameIndexAt(std::int64_t time) const {
  if (frames_.empty() || time < 0 || time > duration()) return -1;
  if (time == duration()) {
    // The very end shows the last frame that lasts at all.
    for (int i = frameCount() - 1; i >= 0; --i)
      if (frameDuration(i) > 0 || i == 0) return i;
  }
  // The last start at or before the time: frames of no duration are passed over.
  auto it = std::upper_bound(starts_.begin(), starts_.end() - 1, time);
  return static_cast<int>(it - starts_.begin()) - 1;
}

QImage MovieDocument::frameAt(std::int64_t time) {
  const int i = frameIndexAt(time);
  if (i < 0) return {};
  return frames_[i].source->frame(frames_[i].index);
}

void MovieDocument::setCurrentTime(std::int64_t time) {
  current_ = std::clamp<std::int64_t>(time, 0, duration());
}

void MovieDocument::stepForward() {
  const int i = frameIndexAt(current_);
  if (i < 0) return;
  setCurrentTime(i + 1 < frameCount() ? starts_[i + 1] : duration());
}

void MovieDocument::stepBackward() {
  const int i = frameIndexAt(current_);
  if (i < 0) return;
  // From inside a frame back to its start; from its start to the frame before.
  if (current_ > starts_[i] && current_ < duration()) {
    setCurrentTime(starts_[i]);
  } else if (current_ == duration()) {
    setCurrentTime(starts_[i]);
  } else if (i > 0) {
    setCurrentTime(starts_[i - 1]);
  }
}

void MovieDocument::setSelection(std::int64_t start, std::int64_t length) {
  selStart_ = std::clamp<std::int64_t>(start, 0, duration());
  selDuration_ = std::clamp<std::int64_t>(length, 0, duration() - selStart_);
}

std::pair<int, int> MovieDocument::selectedFrames() const {
  if (selDuration_ <= 0 || frames_.empty()) return {0, 0};
  const std::int64_t end = selStart_ + selDuration_;
  const int first =
      static_cast<int>(std::lower_bound(starts_.begin(), starts_.end() - 1, selStart_) - starts_.begin());
  const int last =
      static_cast<int>(std::lower_bound(starts_.begin(), starts_.end() - 1, end) - starts_.begin());
  return {first, last};
}

void MovieDocument::copy() {
  const auto [first, last] = selectedFrames();
  if (first >= last) return;
  setMovieClipboard(std::vector<FrameRef>(frames_.begin() + first, frames_.begin() + last));
}

void MovieDocument::deleteSelection() {
  const auto [first, last] = selectedFrames();
  if (first >= last) return;
  const std::int64_t at = starts_[first];
  frames_.erase(frames_.begin() + first, frames_.begin() + last);
  stills_.reset();
  current_ = at;
  selStart_ = at;
  selDuration_ = 0;
  rebuildStarts();
  edited_ = true;
}

void MovieDocument::cut() {
  copy();
  deleteSelection();
}

void MovieDocument::paste() {
  std::vector<FrameRef> clip = movieClipboard();
  if (clip.empty()) return;
  if (selDuration_ > 0) deleteSelection();
  int at = frames_.empty() ? 0
                           : static_cast<int>(std::lower_bound(starts_.begin(), starts_.end() - 1, current_) -
                                              starts_.begin());
  if (at < frameCount() && starts_[at] < current_) ++at;
  frames_.insert(frames_.begin() + at, clip.begin(), clip.end());
  stills_.reset();
  rebuildStarts();
  const std::int64_t start = starts_[at];
  const std::int64_t end = starts_[at + static_cast<int>(clip.size())];
  setSelection(start, end - start);
  current_ = end;
  edited_ = true;
}

namespace {

std::mutex& clipboardMutex() {
  static std::mutex m;
  return m;
}
std::vector<MovieDocument::FrameRef>& clipboard() {
  static std::vector<MovieDocument::FrameRef> c;
  return c;
}

}  // namespace

std::vector<MovieDocument::FrameRef> movieClipboard() {
  std::lock_guard lock(clipboardMutex());
  return clipboard();
}

void setMovieClipboard(std::vector<MovieDocument::FrameRef> frames) {
  std::lock_guard lock(clipboardMutex());
  clipboard() = std::move(frames);
}

}  // namespace pravella::movie
