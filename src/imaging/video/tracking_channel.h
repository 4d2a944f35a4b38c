#pragma once
// Between a point-tracking run (on the program's worker thread) and its window (on the GUI
// thread): the window hands keys and left clicks over, the run hands frames and sounds back.
// Every member is thread-safe. The window registers a listener that the run calls, under the
// channel's lock, when a frame is ready or the run has ended; the window removes it before it
// goes, so the run never calls into a window that is gone.

#include <QImage>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace pravella::video {

inline constexpr const char* kOpenTrackingWindow = "openOpenCVTrackingWindow";
inline constexpr const char* kTrackingWindowTitle = "PV_OpenCV";
inline constexpr int kEscapeKey = 27;

struct TrackingEvent {
  enum Kind { Key, Click } kind = Key;
  int key = 0;
  int x = 0, y = 0;
};

class TrackingChannel {
 public:
  // Window side.
  void pushKey(int key);
  void pushClick(int x, int y);
  // Closing the window ends the run as ESC does.
  void windowClosed();
  void setListener(std::function<void()> listener);
  void setSoundPlayer(std::function<void(const char*)> player);
  QImage frame() const;
  bool finished() const;

  // Run side. Waits up to `ms` milliseconds for an event; false when none came.
  bool waitEvent(int ms, TrackingEvent* event);
  void publishFrame(QImage frame);
  void playSound(const char* name);
  void finish();

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<TrackingEvent> events_;
  bool closed_ = false;
  bool finished_ = false;
  QImage frame_;
  std::function<void()> listener_;
  std::function<void(const char*)> player_;
};

// How the run hands its channel to the window through a notification (its object).
class TrackingChannelCarrier : public QObject {
 public:
  explicit TrackingChannelCarrier(std::shared_ptr<TrackingChannel> channel) : channel_(std::move(channel)) {}
  const std::shared_ptr<TrackingChannel>& channel() const { return channel_; }

 private:
  std::shared_ptr<TrackingChannel> channel_;
};

}  // namespace pravella::video
