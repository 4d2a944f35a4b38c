#include "platform/child_processes.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <signal.h>
#include <sys/prctl.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace pravella {

namespace {

// The children running now, by kind, with the ones a terminate asked to end.
struct Registry {
  std::mutex mutex;
  std::multimap<ChildKind, qint64> running;
  std::set<qint64> ended;
};

Registry& registry() {
  static Registry r;
  return r;
}

void enter(ChildKind kind, qint64 pid) {
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  r.running.emplace(kind, pid);
}

// Takes the child out of the registry; true when a terminate had asked to end it.
bool leave(qint64 pid) {
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  for (auto it = r.running.begin(); it != r.running.end(); ++it)
    if (it->second == pid) {
      r.running.erase(it);
      break;
    }
  return r.ended.erase(pid) > 0;
}

void prepare(QProcess& child, const ChildRequest& request) {
  if (!request.workingFolder.isEmpty()) child.setWorkingDirectory(request.workingFolder);
  if (!request.environment.isEmpty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : request.environment) {
      const qsizetype eq = entry.indexOf(u'=');
      if (eq > 0) env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    child.setProcessEnvironment(env);
  }
}

bool begin(QProcess& child, const ChildRequest& request, QString* error) {
  child.start(request.program, request.arguments);
  if (!child.waitForStarted(-1)) {
    if (error) *error = child.errorString();
    return false;
  }
  enter(request.kind, child.processId());
  if (!request.input.isEmpty()) child.write(request.input);
  child.closeWriteChannel();
  return true;
}

void finish(QProcess& child, qint64 pid, ChildResult& result) {
  result.output += child.readAllStandardOutput();
  result.errorOutput += child.readAllStandardError();
  if (leave(pid)) result.stopped = true;
  result.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

}  // namespace

ChildResult runChild(const ChildRequest& request, int timeoutMs, const std::function<bool()>& shouldStop) {
  ChildResult result;
  QProcess child;
  prepare(child, request);
  // A child this process waits for ends with it: one killed halfway leaves no program behind
  // that goes on writing where the next start cleans up.
  child.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
  if (!begin(child, request, &result.error)) return result;
  result.started = true;
  const qint64 pid = child.processId();
  QElapsedTimer clock;
  clock.start();
  while (!child.waitForFinished(100)) {
    if (child.state() == QProcess::NotRunning) break;
    // Read as it goes, so that a child with much to say never blocks on a full pipe.
    result.output += child.readAllStandardOutput();
    result.errorOutput += child.readAllStandardError();
    const bool late = timeoutMs > 0 && clock.elapsed() > timeoutMs;
    if (late || (shouldStop && shouldStop())) {
      child.kill();
      child.waitForFinished(-1);
      (late ? result.timedOut : result.stopped) = true;
      break;
    }
  }
  finish(child, pid, result);
  if (result.timedOut || result.stopped) result.exitCode = -1;
  return result;
}

bool startChild(const ChildRequest& request, QObject* context, std::function<void(const ChildResult&)> finished,
                QString* error) {
  auto* child = new QProcess(context);
  prepare(*child, request);
  if (!begin(*child, request, error)) {
    delete child;
    return false;
  }
  const qint64 pid = child->processId();
  auto result = std::make_shared<ChildResult>();
  result->started = true;
  QObject::connect(child, &QProcess::readyReadStandardOutput, child,
                   [child, result] { result->output += child->readAllStandardOutput(); });
  QObject::connect(child, &QProcess::readyReadStandardError, child,
                   [child, result] { result->errorOutput += child->readAllStandardError(); });
  QObject::connect(child, &QProcess::finished, child, [child, pid, result, finished = std::move(finished)] {
    finish(*child, pid, *result);
    if (finished) finished(*result);
    child->deleteLater();
  });
  return true;
}

int terminateChildren(ChildKind kind) {
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  int count = 0;
  const auto [from, to] = r.running.equal_range(kind);
  for (auto it = from; it != to; ++it) {
    // A child leaves the registry as soon as its end is seen, so the number is still its own.
    if (::kill(static_cast<pid_t>(it->second), SIGTERM) == 0) {
      r.ended.insert(it->second);
      ++count;
    }
  }
  return count;
}

int runningChildren(ChildKind kind) {
  Registry& r = registry();
  const std::lock_guard lock(r.mutex);
  return static_cast<int>(r.running.count(kind));
}

}  // namespace pravella
