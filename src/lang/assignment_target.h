#pragma once
// The one place an operator learns where its result goes: a statement "c = a x b" compiles to
// a, b, "x", c, "=", so the records after the operator name the variable the result is
// assigned to.

#include <cstddef>

#include "lang/values.h"

// The storage of the variable that code[pc + 1] names when that record is an assignment ("="
// follows) to a real (type 3) or integer (type 30) variable that holds exactly `bytes` bytes of
// that type which no other value shares; null otherwise. The operator at code[pc] may write its
// result there: nothing else can see the old value, and the assignment keeps the block instead
// of putting the old one aside and mapping a new one. An operand that is this variable shares
// the block, so it is never handed out while the statement still reads it.
VkBytes* vkAssignmentTargetBlock(int count, vk_Code* code, int pc, int type, std::size_t bytes);
