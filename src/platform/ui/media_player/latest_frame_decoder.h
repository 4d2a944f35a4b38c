#pragma once
// Decodes the pictures of a movie's frames on a worker, for a view that only paints: each
// request replaces the one still waiting (only the latest position matters, and a backlog
// would show the movie ever later), and each finished picture is handed back on the GUI
// thread, the newest only. A picture of a source that was replaced since, or of a request
// older than the last one handed back or cancelled, is dropped.

#include <QImage>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace pravella::player {

class LatestFrameDecoder {
 public:
  using FrameAt = std::function<QImage(qint64 us)>;
  // `done(image, us)` is called on the GUI thread with the picture of the time asked for; a null
  // image where the source has none.
  using Done = std::function<void(const QImage& image, qint64 us)>;

  explicit LatestFrameDecoder(Done done);
  // A decoding still running finishes on its own; its picture is dropped.
  ~LatestFrameDecoder();
  LatestFrameDecoder(const LatestFrameDecoder&) = delete;
  LatestFrameDecoder& operator=(const LatestFrameDecoder&) = delete;

  // The source asked from now on (called on the worker only); none cancels. Pictures of the
  // source before are dropped.
  void setSource(FrameAt frameAt);
  bool hasSource() const { return hasSource_; }
  // Asks for the picture at `us`, replacing a request not yet started.
  void request(qint64 us);
  // Drops every picture asked for so far (the view shows something else now).
  void cancel();

 private:
  struct State;
  // The worker's task: decodes what is asked for until nothing waits.
  static void work(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
  bool hasSource_ = false;
};

}  // namespace pravella::player
