#include "lang/builtins/file_chooser.h"

#include "lang/builtins/builtin_args.h"
#include "lang/builtins/command_bridge.h"

int vkFileNameOrChooser(CalcStackEntry* stack, int* sp, std::string& name) {
  if (!name.empty()) return 1;
  if (!vkCallNotificationForAnswer(stack, sp, "cal_getFilePath", " ")) return 0;
  VkArg answer;
  if (!vkPopArg(stack, sp, vk_ta, &answer)) return 0;
  if (!answer.isString()) return vkInvalidArguments();
  name = reinterpret_cast<const char*>(vk_ta);
  return 1;
}
