#include "lang/builtins/document_builtins.h"

#include "lang/builtins/builtin_args.h"
#include "lang/stack.h"
#include "tools/text_converter.h"

namespace pravella::builtins {

int convertDocumentBuiltin(int, vk_Code*, int*, CalcStackEntry* stack, int* sp) {
  VkArg path, format;
  if (!vkPopArg(stack, sp, vk_tb, &path)) return 0;
  if (!path.isString()) return vkInvalidArguments();
  if (!vkPopArg(stack, sp, vk_ta, &format)) return 0;
  if (!format.isString()) return vkInvalidArguments();
  // A conversion that failed ends the program with its reason (reported by the tool).
  return textutilTool(reinterpret_cast<const char*>(vk_ta), reinterpret_cast<const char*>(vk_tb)) != 0 ? 1 : 0;
}

}  // namespace pravella::builtins
