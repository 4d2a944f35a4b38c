#include "lang/builtins/run_command_line.h"

#include <QString>
#include <string>

#include "lang/executor.h"
#include "lang/report.h"
#include "lang/values.h"
#include "platform/command_line.h"

int vkRunCommandLine(const char* text) {
  const pravella::CommandLineResult r = pravella::runCommandLine(
      QString::fromUtf8(text), QString::fromStdString(current_fullPath), [] { return ButtonPress(); });
  if (r.started) return 1;
  // The system's reason (no such program, a working folder that is gone) says what to mend.
  std::string message = "Can not execute [";
  message += text;
  message += "]";
  if (!r.error.isEmpty()) message += ": " + r.error.toStdString();
  message += ".";
  error_disp(message);
  return 0;
}
