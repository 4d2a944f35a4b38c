#pragma once
// A one-shot timer behind an interface, so that a test can stand in for the clock: the memo's
// auto-save waits 300 seconds after the last edit, which no test should sit through.

#include <QTimer>
#include <functional>
#include <memory>

namespace pravella {

class OneShotTimer {
 public:
  virtual ~OneShotTimer() = default;
  // (Re)starts the timer; `action` runs once when it fires. A running timer is replaced.
  virtual void start(int seconds, std::function<void()> action) = 0;
  virtual void stop() = 0;
  virtual bool isActive() const = 0;
};

// The timer of the main event loop.
class QtOneShotTimer : public OneShotTimer {
 public:
  QtOneShotTimer() {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      // The action may restart the timer; take it before running.
      std::function<void()> action = std::move(action_);
      if (action) action();
    });
  }
  void start(int seconds, std::function<void()> action) override {
    action_ = std::move(action);
    timer_.start(seconds * 1000);
  }
  void stop() override {
    timer_.stop();
    action_ = nullptr;
  }
  bool isActive() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> action_;
};

}  // namespace pravella
