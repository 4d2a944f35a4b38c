// Names beginning with "usr_": user programs run as external commands. This dispatcher stands in until the user-program support brings its built-ins.

#include "lang/builtins/dispatch.h"
#include "lang/report.h"

int DoFunctionUserProg(int /*count*/, vk_Code* /*code*/, int* /*pc*/, CalcStackEntry* /*stack*/, int* /*sp*/) {
  error_disp("Unknown function.");
  return 0;
}
