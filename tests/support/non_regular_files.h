#pragma once
// Special files in a test's home (named pipes, links to devices) and a guard that keeps a test
// of them from hanging: a reader stuck on a pipe is let go after a bound and the test fails;
// a reader that still does not return ends the test program with a message.

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pravella::test {

inline bool makeFifo(const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }

inline bool makeLink(const QString& target, const QString& path) {
  return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0;
}

// Alive while the guarded steps run; on its end the watch stops.
class HangGuard {
 public:
  HangGuard(QStringList pipes, int seconds = 20) : pipes_(std::move(pipes)) {
    watch_ = std::thread([this, seconds] {
      std::unique_lock lock(mutex_);
      if (wake_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) return;
      ADD_FAILURE() << "a reader waited on a special file";
      // Opening a pipe for writing and closing it ends the wait of its reader.
      for (const QString& pipe : pipes_) {
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
      }
      if (wake_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) return;
      std::fputs("HangGuard: the test still waits on a special file; ending it\n", stderr);
      std::_Exit(1);
    });
  }
  ~HangGuard() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    watch_.join();
  }
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;

 private:
  QStringList pipes_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread watch_;
};

}  // namespace pravella::test
