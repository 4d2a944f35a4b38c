#pragma once
// The value stack: every value the language computes passes through it. A run's stack has
// kCalcStackSize entries, of which at most kCalcStackSize - 1 may be in use at once; `sp`
// counts the entries in use (the top is stack[sp - 1]).

#include <memory>
#include <vector>

#include "lang/values.h"

using VkCalcStack = std::vector<CalcStackEntry>;

// Allocates n entries (the callers use kCalcStackSize); reports "Memory allocation  error
// (HeapCalkStack)" and returns 0 when it cannot.
int HeapCalkStack(VkCalcStack& stack, int n);
int ClearPtrOfCalcStack(VkCalcStack& stack, int n);
int freeCalcStacData(VkCalcStack& stack, int n);

// Copies a value into entry sp and advances sp. `data` points at the doubles, integers, the
// zero-terminated string, or the picture bytes. Returns 1, or 0 after reporting.
int PushToStack(CalcStackEntry* stack, int* sp, const void* data, int type, int msize, int nsize);

// Moves sp down and copies that entry's value into dst, which must hold TNumber x 8 bytes (the
// scratch buffers do); dst may be null to drop the value. Returns 1, or 0 after reporting.
int PopFromStack(CalcStackEntry* stack, int* sp, void* dst, int* type, int* msize, int* nsize);

// The same push, sharing the value's block instead of copying it (a variable read); the checks
// and messages are those of PushToStack.
int vkPushShared(CalcStackEntry* stack, int* sp, const VkBytes& data, int type, int msize, int nsize);

// Pushes a 1 by 1 real without touching the heap.
int vkPushScalar(CalcStackEntry* stack, int* sp, double value);

// A run's stack taken from a pool, so that nested runs (module calls) do not allocate and
// clear a thousand entries on every call; the entries keep their buffers for reuse.
class VkStackLease {
 public:
  VkStackLease();
  ~VkStackLease();
  VkStackLease(const VkStackLease&) = delete;
  VkStackLease& operator=(const VkStackLease&) = delete;
  CalcStackEntry* get() { return stack_->data(); }

 private:
  std::unique_ptr<VkCalcStack> stack_;
};
