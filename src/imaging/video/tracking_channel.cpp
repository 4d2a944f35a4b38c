#include "imaging/video/tracking_channel.h"

#include <chrono>

namespace pravella::video {

void TrackingChannel::pushKey(int key) {
  {
    std::lock_guard lock(mutex_);
    events_.push_back({TrackingEvent::Key, key, 0, 0});
  }
  arrived_.notify_all();
}

void TrackingChannel::pushClick(int x, int y) {
  {
    std::lock_guard lock(mutex_);
    events_.push_back({TrackingEvent::Click, 0, x, y});
  }
  arrived_.notify_all();
}

void TrackingChannel::windowClosed() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    listener_ = nullptr;
    player_ = nullptr;
  }
  arrived_.notify_all();
}

void TrackingChannel::setListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void TrackingChannel::setSoundPlayer(std::function<void(const char*)> player) {
  std::lock_guard lock(mutex_);
  player_ = std::move(player);
}

QImage TrackingChannel::frame() const {
  std::lock_guard lock(mutex_);
  return frame_;
}

bool TrackingChannel::finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

bool TrackingChannel::waitEvent(int ms, TrackingEvent* event) {
  std::unique_lock lock(mutex_);
  arrived_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return closed_ || !events_.empty(); });
  if (!events_.empty()) {
    *event = events_.front();
    events_.pop_front();
    return true;
  }
  if (closed_) {
    *event = {TrackingEvent::Key, kEscapeKey, 0, 0};
    return true;
  }
  return false;
}

void TrackingChannel::publishFrame(QImage frame) {
  std::lock_guard lock(mutex_);
  frame_ = std::move(frame);
  if (listener_) listener_();
}

void TrackingChannel::playSound(const char* name) {
  std::lock_guard lock(mutex_);
  if (player_) player_(name);
}

void TrackingChannel::finish() {
  std::lock_guard lock(mutex_);
  finished_ = true;
  if (listener_) listener_();
}

}  // namespace pravella::video
