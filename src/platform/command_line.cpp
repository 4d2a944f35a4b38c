#include "platform/command_line.h"

#include <QFile>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pravella {

bool splitCommandLine(const QString& text, QStringList* words) {
  words->clear();
  QString word;
  bool inWord = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == QLatin1Char('\'')) {
      const qsizetype end = text.indexOf(QLatin1Char('\''), i + 1);
      if (end < 0) return false;
      word += text.mid(i + 1, end - i - 1);
      inWord = true;
      i = end;
    } else if (c == QLatin1Char('"')) {
      inWord = true;
      for (++i;; ++i) {
        if (i >= text.size()) return false;
        const QChar d = text[i];
        if (d == QLatin1Char('"')) break;
        if (d == QLatin1Char('\\') && i + 1 < text.size() &&
            QStringLiteral("\"\\$`").contains(text[i + 1])) {
          word += text[++i];
        } else {
          word += d;
        }
      }
    } else if (c == QLatin1Char('\\')) {
      if (i + 1 >= text.size()) return false;
      word += text[++i];
      inWord = true;
    } else if (c.isSpace()) {
      if (inWord) words->append(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words->append(word);
  return true;
}

namespace {

// The process groups of the commands being waited for: a command and whatever it started
// die with the run that started it, also when the application ends meanwhile.
std::mutex groupsMutex;
std::set<pid_t>& runningGroups() {
  static std::set<pid_t> groups;
  return groups;
}

void killRunningGroups() {
  std::lock_guard lock(groupsMutex);
  for (const pid_t group : runningGroups()) ::kill(-group, SIGKILL);
}

struct GroupRecord {
  pid_t group;
  explicit GroupRecord(pid_t g) : group(g) {
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(killRunningGroups); });
    std::lock_guard lock(groupsMutex);
    runningGroups().insert(group);
  }
  ~GroupRecord() {
    std::lock_guard lock(groupsMutex);
    runningGroups().erase(group);
  }
};

}  // namespace

CommandLineResult runCommandLine(const QString& text, const QString& workingFolder,
                                 const std::function<bool()>& shouldStop) {
  CommandLineResult result;
  QStringList words;
  if (!splitCommandLine(text, &words)) {
    result.error = QStringLiteral("a quote is not closed");
    return result;
  }
  if (words.isEmpty()) {
    result.error = QStringLiteral("no command was given");
    return result;
  }
  const QString program = words.takeFirst();
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedChannels);
  child.setInputChannelMode(QProcess::ForwardedInputChannel);
  if (!workingFolder.isEmpty()) {
    // Said plainly here: the child would only report that its chdir failed. A file is "not a
    // directory", whatever its permissions say.
    const QByteArray folder = QFile::encodeName(workingFolder);
    struct stat info {};
    int reason = 0;
    if (::stat(folder.constData(), &info) != 0)
      reason = errno;
    else if (!S_ISDIR(info.st_mode))
      reason = ENOTDIR;
    else if (::access(folder.constData(), X_OK) != 0)
      reason = errno;
    if (reason != 0) {
      result.error = QStringLiteral("the working folder %1: %2")
                         .arg(workingFolder, QString::fromLocal8Bit(std::strerror(reason)));
      return result;
    }
    child.setWorkingDirectory(workingFolder);
  }
  // Its own process group, so that a stop ends what it started too; and it dies should this
  // process die without a chance to end it.
  child.setChildProcessModifier([] {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  });
  child.start(program, words);
  if (!child.waitForStarted(-1)) {
    result.error = child.errorString();
    return result;
  }
  result.started = true;
  const GroupRecord record(static_cast<pid_t>(child.processId()));
  while (!child.waitForFinished(100)) {
    if (child.state() == QProcess::NotRunning) break;
    if (shouldStop && shouldStop()) {
      ::kill(-static_cast<pid_t>(child.processId()), SIGKILL);
      child.kill();
      child.waitForFinished(-1);
      result.stopped = true;
      return result;
    }
  }
  result.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
  return result;
}

}  // namespace pravella
