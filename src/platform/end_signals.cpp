#include "platform/end_signals.h"
#include "platform/end_saves.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>

static_assert(SIGTERM == 15 && SIGHUP == 1 && SIGINT == 2);

namespace pravella {

namespace {

int pipeEnds[2] = {-1, -1};   // to the GUI thread
int limitEnds[2] = {-1, -1};  // to the last limit's thread; a 0 byte ends it
struct sigaction previous[3];

void onSignal(int signal) {
  const int saved = errno;
  const char byte = static_cast<char>(signal);
  // The pipes do not block: a signal that finds one full is one more of the same request.
  [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &byte, 1);
  [[maybe_unused]] const ssize_t m = ::write(limitEnds[1], &byte, 1);
  errno = saved;
}

}  // namespace

EndSignals::EndSignals(std::function<void(int)> end, QObject* parent, int lastMs)
    : QObject(parent), end_(std::move(end)), lastMs_(lastMs) {
  forgetEndSaves();
  if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  if (::pipe2(limitEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
    return;
  }
  limit_ = std::thread([this] { keepLastLimit(); });
  notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { readPipe(); });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &previous[i]);
}

EndSignals::~EndSignals() {
  if (!notifier_) return;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &previous[i], nullptr);
  {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  cancel_.notify_all();
  const char stop = 0;
  [[maybe_unused]] const ssize_t n = ::write(limitEnds[1], &stop, 1);
  limit_.join();
  delete notifier_;
  for (int* ends : {pipeEnds, limitEnds}) {
    ::close(ends[0]);
    ::close(ends[1]);
    ends[0] = ends[1] = -1;
  }
}

void EndSignals::readPipe() {
  char byte = 0;
  while (::read(pipeEnds[0], &byte, 1) == 1)
    if (end_) end_(static_cast<unsigned char>(byte));
}

void EndSignals::keepLastLimit() {
  // Waits for the first signal, or for the end of this object.
  for (;;) {
    pollfd wait{limitEnds[0], POLLIN, 0};
    if (::poll(&wait, 1, -1) < 0 && errno != EINTR) return;
    char byte = 0;
    const ssize_t n = ::read(limitEnds[0], &byte, 1);
    if (n == 1 && byte == 0) return;
    if (n == 1) break;
  }
  std::unique_lock lock(mutex_);
  if (cancel_.wait_for(lock, std::chrono::milliseconds(lastMs_), [this] { return cancelled_; })) return;
  // A save that hangs holds the end: what it and the saves after it would have kept is named.
  // An end that never began (the GUI thread never came back to it) saved nothing at all.
  const std::string left = endSavesBegun()
                               ? endSavesLeft()
                               : std::string("every edit since the last save (the window did not answer)");
  const std::string said =
      left.empty() ? std::string("Pravella: the end did not finish in time; ending now.\n")
                   : "Pravella: the end did not finish in time; not saved: " + left + "; ending now.\n";
  [[maybe_unused]] const ssize_t n = ::write(2, said.data(), said.size());
  ::_exit(1);
}

}  // namespace pravella
