#pragma once
// The child programs this application runs for its tools (rsync, wget, curl, ftp, bc, ps, the
// document converters),
// always from an argument list, never through a shell. Every running child is registered by
// kind, so that a tool's Stop ends exactly the children this application started, never a
// process of the user's found by its name.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace pravella {

enum class ChildKind { Rsync, Wget, Curl, Ftp, Bc, Ps, Converter, Other };

struct ChildRequest {
  ChildKind kind = ChildKind::Other;
  QString program;  // a name looked up on PATH, or a path
  QStringList arguments;
  QString workingFolder;    // ours when empty
  QByteArray input;         // written to standard input, which is then closed
  QStringList environment;  // "NAME=value" entries added to ours
};

struct ChildResult {
  bool started = false;
  bool timedOut = false;  // killed after the time allowed
  bool stopped = false;   // ended by shouldStop or terminateChildren
  int exitCode = -1;      // -1 when it did not end normally
  QByteArray output;
  QByteArray errorOutput;
  QString error;  // why it did not start
};

// Runs the child and waits for it on the calling thread, reading both of its outputs as it
// goes. `timeoutMs` <= 0 waits for ever; a child past its time is killed. `shouldStop` is asked
// about ten times a second.
ChildResult runChild(const ChildRequest& request, int timeoutMs = -1, const std::function<bool()>& shouldStop = {});

// Starts the child without waiting. `finished` runs on `context`'s thread when it ends. False
// when it could not start (then `finished` is not called and `error` says why).
bool startChild(const ChildRequest& request, QObject* context, std::function<void(const ChildResult&)> finished,
                QString* error = nullptr);

// Ends the running children of that kind that this application started; answers how many.
int terminateChildren(ChildKind kind);
int runningChildren(ChildKind kind);

}  // namespace pravella
