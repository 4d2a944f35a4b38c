#include "platform/end_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <chrono>
#include <cerrno>
#include <csignal>

static_assert(SIGTERM == 15 && SIGHUP == 1 && SIGINT == 2);

namespace pravella {

namespace {

int pipeEnds[2] = {-1, -1};
struct sigaction previous[3];

void onSignal(int signal) {
  const int saved = errno;
  const char byte = static_cast<char>(signal);
  // The pipe does not block: a signal that finds it full is one more of the same request.
  [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
  errno = saved;
}

}  // namespace

EndSignals::EndSignals(std::function<void(int)> end, QObject* parent, int lastMs)
    : QObject(parent), end_(std::move(end)), lastMs_(lastMs) {
  if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { readPipe(); });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &previous[i]);
}

EndSignals::~EndSignals() {
  if (limit_.joinable()) {
    {
      const std::lock_guard lock(mutex_);
      cancelled_ = true;
    }
    cancel_.notify_all();
    limit_.join();
  }
  if (!notifier_) return;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &previous[i], nullptr);
  delete notifier_;
  ::close(pipeEnds[0]);
  ::close(pipeEnds[1]);
  pipeEnds[0] = pipeEnds[1] = -1;
}

void EndSignals::readPipe() {
  char byte = 0;
  while (::read(pipeEnds[0], &byte, 1) == 1) {
    startLastLimit();
    if (end_) end_(static_cast<unsigned char>(byte));
  }
}

void EndSignals::startLastLimit() {
  if (limit_.joinable()) return;
  limit_ = std::thread([this] {
    std::unique_lock lock(mutex_);
    if (cancel_.wait_for(lock, std::chrono::milliseconds(lastMs_), [this] { return cancelled_; })) return;
    static const char kSaid[] = "Pravella: the end did not finish in time; ending now.\n";
    [[maybe_unused]] const ssize_t n = ::write(2, kSaid, sizeof kSaid - 1);
    ::_exit(1);
  });
}

}  // namespace pravella
