#pragma once
// The thread a memo view runs its programs on: jobs execute one after another, in the order
// they were handed in, on one worker thread, so that the GUI thread never waits for a run.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pravella {

class RunWorker {
 public:
  using Job = std::function<void()>;

  RunWorker() = default;
  RunWorker(const RunWorker&) = delete;
  RunWorker& operator=(const RunWorker&) = delete;
  // Waits for the jobs handed in (see finish).
  ~RunWorker();

  // Queues a job behind the earlier ones; the thread starts with the first job.
  void submit(Job job);
  // A job is queued or running.
  bool busy() const;
  // Called from a job: this is the worker's thread.
  bool onWorkerThread() const;
  // Waits until every job has run and stops the thread. `pump` is called now and then while
  // waiting, so that a job waiting for the caller's thread (a blocking queued call into the
  // GUI) can finish. Jobs handed in later start a new thread.
  void finish(const std::function<void()>& pump = {});

 private:
  void loop();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  int running_ = 0;
  bool stopping_ = false;
  std::thread thread_;
  std::thread::id threadId_;
};

}  // namespace pravella
