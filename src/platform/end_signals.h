#pragma once
// SIGTERM, SIGHUP and SIGINT (a kill, a closed terminal or logout, Ctrl+C) end the application
// the way Quit does, with every edit saved. A signal handler may do almost nothing, so it only
// writes the signal's number into a pipe; a socket notifier on the GUI thread reads it there and
// calls the application's end.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace pravella {

class EndSignals : public QObject {
 public:
  // `end` runs on the thread that makes this object, once per signal received. One instance
  // at a time; its end puts back the handlers that were there before.
  explicit EndSignals(std::function<void(int signal)> end, QObject* parent = nullptr);
  ~EndSignals() override;

  // The signals taken.
  static constexpr int kSignals[] = {15 /* SIGTERM */, 1 /* SIGHUP */, 2 /* SIGINT */};

 private:
  void readPipe();

  std::function<void(int)> end_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace pravella
