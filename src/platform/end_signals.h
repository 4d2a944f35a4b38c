#pragma once
// SIGTERM, SIGHUP and SIGINT (a kill, a closed terminal or logout, Ctrl+C) end the application
// the way Quit does, with every edit saved. A signal handler may do almost nothing, so it only
// writes the signal's number into a pipe; a socket notifier on the GUI thread reads it there and
// calls the application's end. The first signal also starts a last limit, kept by a thread of
// its own that the handler wakes through a second pipe, so that it counts even while the GUI
// thread is held: when the process has not ended `lastMs` later (something on the GUI thread
// does not return), it ends there, saying so on the console.

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace pravella {

class EndSignals : public QObject {
 public:
  // `end` runs on the thread that makes this object, once per signal received. One instance
  // at a time; its end puts back the handlers that were there before.
  explicit EndSignals(std::function<void(int signal)> end, QObject* parent = nullptr, int lastMs = kLastMs);
  ~EndSignals() override;

  // The signals taken.
  static constexpr int kSignals[] = {15 /* SIGTERM */, 1 /* SIGHUP */, 2 /* SIGINT */};
  static constexpr int kLastMs = 8000;

 private:
  void readPipe();
  void keepLastLimit();

  std::function<void(int)> end_;
  QSocketNotifier* notifier_ = nullptr;
  int lastMs_;
  std::mutex mutex_;
  std::condition_variable cancel_;
  bool cancelled_ = false;
  std::thread limit_;
};

}  // namespace pravella
