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
  std::string message = "Can not execute [";
  message += text;
  message += "].";
  error_disp(message);
  return 0;
}
