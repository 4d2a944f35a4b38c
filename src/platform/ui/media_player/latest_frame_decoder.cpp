#include "platform/ui/media_player/latest_frame_decoder.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <mutex>

namespace pravella::player {

// Shared with the worker's task, which may outlive the decoder.
struct LatestFrameDecoder::State {
  Done done;  // GUI thread only; cleared when the decoder goes

  std::mutex mutex;          // guards what follows
  long long handedBack = 0;  // the newest request handed back or cancelled
  FrameAt frameAt;
  int generation = 0;  // bumped with each source
  long long requests = 0;
  bool pending = false;
  qint64 wanted = 0;
  bool running = false;  // a task of ours is in the pool
};

LatestFrameDecoder::LatestFrameDecoder(Done done) : state_(std::make_shared<State>()) {
  state_->done = std::move(done);
}

LatestFrameDecoder::~LatestFrameDecoder() {
  state_->done = nullptr;
  setSource({});
}

void LatestFrameDecoder::setSource(FrameAt frameAt) {
  hasSource_ = static_cast<bool>(frameAt);
  FrameAt old;
  {
    std::lock_guard lock(state_->mutex);
    old = std::move(state_->frameAt);
    state_->frameAt = std::move(frameAt);
    ++state_->generation;
    state_->pending = false;
  }
  // (The old source, when it is not decoding, goes here, outside the lock.)
}

void LatestFrameDecoder::request(qint64 us) {
  bool start = false;
  {
    std::lock_guard lock(state_->mutex);
    if (!state_->frameAt) return;
    ++state_->requests;
    state_->wanted = us;
    state_->pending = true;
    start = !state_->running;
    state_->running = true;
  }
  if (!start) return;
  std::shared_ptr<State> state = state_;
  QThreadPool::globalInstance()->start([state] { work(state); });
}

void LatestFrameDecoder::cancel() {
  std::lock_guard lock(state_->mutex);
  state_->pending = false;
  state_->handedBack = state_->requests;
}

void LatestFrameDecoder::work(const std::shared_ptr<State>& state) {
  for (;;) {
    FrameAt frameAt;
    qint64 us = 0;
    long long request = 0;
    int generation = 0;
    {
      std::lock_guard lock(state->mutex);
      if (!state->pending || !state->frameAt) {
        state->running = false;
        return;
      }
      state->pending = false;
      frameAt = state->frameAt;
      us = state->wanted;
      request = state->requests;
      generation = state->generation;
    }
    const QImage image = frameAt(us);
    frameAt = nullptr;  // a source replaced meanwhile goes here, off the GUI thread
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) continue;
    QMetaObject::invokeMethod(
        app,
        [state, image, us, request, generation] {
          {
            std::lock_guard lock(state->mutex);
            if (generation != state->generation || request <= state->handedBack) return;
            state->handedBack = request;
          }
          if (state->done) state->done(image, us);
        },
        Qt::QueuedConnection);
  }
}

}  // namespace pravella::player
