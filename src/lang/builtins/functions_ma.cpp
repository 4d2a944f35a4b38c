// Names beginning with "ma": the motion-analysis built-ins. This dispatcher stands in until the motion analyser brings its built-ins.

#include "lang/builtins/dispatch.h"
#include "lang/report.h"

int DoFunctionMA(int /*count*/, vk_Code* /*code*/, int* /*pc*/, CalcStackEntry* /*stack*/, int* /*sp*/) {
  error_disp("Unknown function.");
  return 0;
}
