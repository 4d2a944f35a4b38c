#include "editors/run_worker.h"

#include <chrono>

namespace pravella {

RunWorker::~RunWorker() { finish(); }

void RunWorker::submit(Job job) {
  std::lock_guard guard(mutex_);
  jobs_.push_back(std::move(job));
  if (!thread_.joinable()) {
    stopping_ = false;
    thread_ = std::thread([this] { loop(); });
    threadId_ = thread_.get_id();
  }
  wake_.notify_one();
}

bool RunWorker::busy() const {
  std::lock_guard guard(mutex_);
  return running_ > 0 || !jobs_.empty();
}

bool RunWorker::onWorkerThread() const {
  std::lock_guard guard(mutex_);
  return std::this_thread::get_id() == threadId_;
}

void RunWorker::loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping, and nothing left to do
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    ++running_;
    lock.unlock();
    job();
    job = nullptr;  // what the job holds goes before the worker counts as idle
    lock.lock();
    --running_;
  }
}

void RunWorker::finish(const std::function<void()>& pump) {
  {
    std::lock_guard guard(mutex_);
    if (!thread_.joinable()) return;
    stopping_ = true;
    wake_.notify_one();
  }
  if (pump) {
    while (busy()) {
      pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  thread_.join();
  std::lock_guard guard(mutex_);
  threadId_ = {};
}

}  // namespace pravella
