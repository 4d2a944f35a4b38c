#include "platform/console_log.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/cformat.h"

namespace pravella {
namespace {
std::mutex logMutex;
std::FILE* logStream = nullptr;  // nullptr means stderr, resolved at write time
// Written under logMutex; read without it, since every built-in call reads it twice to
// learn whether the call gave a reason of its own.
std::atomic<std::uint64_t> linesWritten{0};
}  // namespace

std::string consoleStamp(const std::tm& t) {
  return cformat("%4d/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                 t.tm_hour, t.tm_min, t.tm_sec);
}

std::string consoleLine(const std::tm& local, std::string_view message) {
  std::string line = "[vk]:";
  line += consoleStamp(local);
  line += '\t';
  line += message;
  return line;
}

std::FILE* setConsoleLogStream(std::FILE* stream) {
  std::lock_guard lock(logMutex);
  std::FILE* previous = logStream ? logStream : stderr;
  logStream = stream;
  return previous;
}

std::uint64_t consoleLinesWritten() { return linesWritten.load(std::memory_order_acquire); }

}  // namespace pravella

void showErrMessageToConsole(std::string_view message) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // The message is written in full, however long: a cut line would hide the end of an error.
  const std::string line = pravella::consoleLine(local, message);
  std::lock_guard lock(pravella::logMutex);
  std::FILE* out = pravella::logStream ? pravella::logStream : stderr;
  std::fwrite(line.data(), 1, line.size(), out);
  std::fflush(out);
  ++pravella::linesWritten;
}
