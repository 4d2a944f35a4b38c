// Names beginning with "cal_": the application commands. This dispatcher stands in until the application command bridge brings its built-ins.

#include "lang/builtins/dispatch.h"
#include "lang/report.h"

int DoFunctionPravellaCommand(int /*count*/, vk_Code* /*code*/, int* /*pc*/, CalcStackEntry* /*stack*/, int* /*sp*/) {
  error_disp("Unknown function.");
  return 0;
}
