#include "lang/stack.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "lang/report.h"

int HeapCalkStack(VkCalcStack& stack, int n) {
  try {
    stack.clear();
    stack.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    error_disp("Memory allocation  error (HeapCalkStack)");
    return 0;
  }
  return 1;
}

int ClearPtrOfCalcStack(VkCalcStack& stack, int n) {
  for (int i = 0; i < n && i < static_cast<int>(stack.size()); ++i) {
    stack[i].type = stack[i].msize = stack[i].nsize = 0;
  }
  return 1;
}

int freeCalcStacData(VkCalcStack& stack, int /*n*/) {
  VkCalcStack().swap(stack);
  return 1;
}

namespace {

// Advances sp after a value went into entry *sp. The last entry is never usable, so that a
// program that fills the stack fails with a message instead of writing past it.
inline int advance(int* sp) {
  ++*sp;
  if (*sp >= kCalcStackSize) {
    error_disp("Calclation stack overflow.");
    return 0;
  }
  return 1;
}

}  // namespace

int vkPushScalar(CalcStackEntry* stack, int* sp, double value) {
  if (*sp < 0 || *sp >= kCalcStackSize) {
    error_disp("Calclation stack overflow.");
    return 0;
  }
  CalcStackEntry& e = stack[*sp];
  e.type = kValueReal;
  e.msize = e.nsize = 1;
  e.data.setScalar(value);
  return advance(sp);
}

int PushToStack(CalcStackEntry* stack, int* sp, const void* data, int type, int msize, int nsize) {
  if (*sp < 0 || *sp >= kCalcStackSize) {
    error_disp("Calclation stack overflow.");
    return 0;
  }
  CalcStackEntry& e = stack[*sp];
  const auto limit = static_cast<int64_t>(TNumber);
  switch (type) {
    case kValueReal:
    case kValueInt: {
      if (msize < 0 || nsize < 0) {
        error_disp("(-)Memory allocation error.");
        return 0;
      }
      const int64_t elements = static_cast<int64_t>(msize) * nsize;
      const bool tooBig = type == kValueReal ? elements > limit : elements * 4 > limit * 8;
      if (tooBig) {
        error_disp("Too big data.");
        return 0;
      }
      const std::size_t bytes = static_cast<std::size_t>(elements) * (type == kValueReal ? 8 : 4);
      if (!e.data.assign(data, bytes)) {
        error_disp("Memory allocation error.");
        return 0;
      }
      break;
    }
    case kValueString: {
      const char* text = static_cast<const char*>(data);
      const std::size_t length = std::strlen(text);
      // Every reader pops into a scratch buffer of TNumber x 8 bytes: a longer string could
      // never be popped safely, so it is refused here.
      if (length + 1 > static_cast<std::size_t>(limit) * 8) {
        error_disp("Too long string.");
        return 0;
      }
      if (!e.data.assign(text, length + 1)) {
        error_disp("Memory allocation error.");
        return 0;
      }
      break;
    }
    case kValuePicture: {
      if (msize > limit * 8 || msize < 1) {
        error_disp("Too Big Picture (at push into the stack).");
        return 0;
      }
      if (!e.data.assign(data, static_cast<std::size_t>(msize))) {
        error_disp("Memory allocation error.");
        return 0;
      }
      break;
    }
    default:
      error_disp("Unknown type of data (stack).");
      return 0;
  }
  e.type = type;
  e.msize = msize;
  e.nsize = nsize;
  return advance(sp);
}

int PopFromStack(CalcStackEntry* stack, int* sp, void* dst, int* type, int* msize, int* nsize) {
  if (*sp <= 0) {
    error_disp("Stack (calc)");
    return 0;
  }
  CalcStackEntry& e = stack[*sp - 1];
  switch (e.type) {
    case kValueReal:
    case kValueInt:
    case kValuePicture:
      break;
    case kValueString:
      if (e.data.size() > static_cast<std::size_t>(TNumber) * 8) {
        error_disp("Too long string.");
        return 0;
      }
      break;
    default:
      error_disp("Unknown type (stack).");
      return 0;
  }
  // "element" may have made the buffers smaller than a value pushed before it.
  if (dst && e.data.size() > static_cast<std::size_t>(TNumber) * 8) {
    error_disp("Too big data.");
    return 0;
  }
  --*sp;
  if (type) *type = e.type;
  if (msize) *msize = e.msize;
  if (nsize) *nsize = e.nsize;
  if (dst && e.data.size()) std::memcpy(dst, e.data.cdata(), e.data.size());
  // A popped entry must not keep another value's block alive.
  e.data.releaseIfShared();
  return 1;
}

int vkPushShared(CalcStackEntry* stack, int* sp, const VkBytes& data, int type, int msize, int nsize) {
  const auto limit = static_cast<int64_t>(TNumber);
  bool sound = *sp >= 0 && *sp < kCalcStackSize - 1 && msize >= 0 && nsize >= 0;
  if (sound) {
    const int64_t elements = static_cast<int64_t>(msize) * nsize;
    switch (type) {
      case kValueReal:
        sound = elements <= limit && data.size() == static_cast<std::size_t>(elements) * 8;
        break;
      case kValueInt:
        sound = elements * 4 <= limit * 8 && data.size() == static_cast<std::size_t>(elements) * 4;
        break;
      case kValueString:
        sound = data.size() >= 1 && data.size() <= static_cast<std::size_t>(limit) * 8 &&
                std::strlen(reinterpret_cast<const char*>(data.cdata())) + 1 == data.size();
        break;
      case kValuePicture:
        sound = msize >= 1 && msize <= limit * 8 && data.size() == static_cast<std::size_t>(msize);
        break;
      default:
        sound = false;
        break;
    }
  }
  // Anything unusual takes the copying push, which reports what is wrong.
  if (!sound) return PushToStack(stack, sp, data.cdata(), type, msize, nsize);
  CalcStackEntry& e = stack[*sp];
  e.type = type;
  e.msize = msize;
  e.nsize = nsize;
  e.data = data;
  ++*sp;
  return 1;
}

// ---------------------------------------------------------------------------------------

namespace {

// Stacks given back, for the next lease. Plain pointers and a count, so that the per-thread
// pool needs no construction guard on every call; a cleaner made with the first stack given
// back frees the pool when its thread ends.
constexpr int kPooledStacks = 16;
struct StackPool {
  VkCalcStack* stacks[kPooledStacks];
  int count;
  bool cleanerMade;
};
thread_local StackPool stackPool = {};

struct StackPoolCleaner {
  ~StackPoolCleaner() {
    StackPool& pool = stackPool;
    while (pool.count > 0) delete pool.stacks[--pool.count];
  }
};

}  // namespace

VkStackLease::VkStackLease() {
  StackPool& pool = stackPool;
  if (pool.count > 0)
    stack_.reset(pool.stacks[--pool.count]);
  else
    stack_ = std::make_unique<VkCalcStack>(static_cast<std::size_t>(kCalcStackSize));
}

VkStackLease::~VkStackLease() {
  StackPool& pool = stackPool;
  // Deep recursion leaves many stacks behind; only a few are worth keeping.
  if (pool.count >= kPooledStacks) return;
  if (!pool.cleanerMade) {
    thread_local StackPoolCleaner cleaner;
    (void)cleaner;
    pool.cleanerMade = true;
  }
  pool.stacks[pool.count++] = stack_.release();
}
