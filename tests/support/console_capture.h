#pragma once
// Captures the console log while alive, so a test can read what was logged (and the log of a
// noisy test does not flood the output).

#include <cstdio>
#include <string>

#include "platform/console_log.h"

namespace pravella::test {

class ConsoleCapture {
 public:
  ConsoleCapture() : file_(std::tmpfile()) { previous_ = pravella::setConsoleLogStream(file_); }
  ~ConsoleCapture() {
    pravella::setConsoleLogStream(previous_);
    std::fclose(file_);
  }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  std::string text() const {
    std::fflush(file_);
    std::rewind(file_);
    std::string all;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file_)) > 0) all.append(buf, n);
    return all;
  }

 private:
  std::FILE* file_;
  std::FILE* previous_;
};

}  // namespace pravella::test
