#include "lang/values.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

// ---------------------------------------------------------------------------------------
// VkBytes

namespace {

// Large blocks freed during a run are kept (a few, until the run ends) for the next value of
// about their size: a statement repeated in a loop then writes into memory that is already
// mapped, instead of mapping, faulting in and unmapping tens of megabytes every turn.
constexpr std::size_t kSpareMin = std::size_t{1} << 20;
constexpr int kSpareBlocks = 2;
std::mutex spareMutex;
void* spare[kSpareBlocks] = {};
std::size_t spareCapacity[kSpareBlocks] = {};

void* takeSpare(std::size_t capacity) {
  std::lock_guard lock(spareMutex);
  for (int k = 0; k < kSpareBlocks; ++k) {
    if (spare[k] && spareCapacity[k] >= capacity && spareCapacity[k] - capacity <= capacity / 4) {
      void* p = spare[k];
      spare[k] = nullptr;
      return p;
    }
  }
  return nullptr;
}

bool keepSpare(void* p, std::size_t capacity) {
  std::lock_guard lock(spareMutex);
  for (int k = 0; k < kSpareBlocks; ++k) {
    if (!spare[k]) {
      spare[k] = p;
      spareCapacity[k] = capacity;
      return true;
    }
  }
  return false;
}

}  // namespace

void VkBytes::releaseSpareBlocks() noexcept {
  std::lock_guard lock(spareMutex);
  for (int k = 0; k < kSpareBlocks; ++k) {
    ::operator delete(spare[k]);
    spare[k] = nullptr;
  }
}

VkBytes::Block* VkBytes::newBlock(std::size_t capacity) noexcept {
  void* p = nullptr;
  std::size_t have = capacity;
  if (capacity >= kSpareMin) {
    p = takeSpare(capacity);
    if (p) have = static_cast<Block*>(p)->capacity;
  }
  if (!p) p = ::operator new(offsetof(Block, bytes) + (capacity ? capacity : 1), std::nothrow);
  if (!p) return nullptr;
  Block* b = static_cast<Block*>(p);
  new (&b->refs) std::atomic<int>(1);
  b->capacity = have;
  return b;
}

void VkBytes::drop() noexcept {
  if (heap_ && heap_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    heap_->refs.~atomic<int>();
    if (heap_->capacity < kSpareMin || !keepSpare(heap_, heap_->capacity)) ::operator delete(heap_);
  }
  heap_ = nullptr;
}

void VkBytes::unshare() {
  Block* b = newBlock(size_);
  if (!b) throw std::bad_alloc();
  if (size_) std::memcpy(b->bytes, heap_->bytes, size_);
  drop();
  heap_ = b;
}

VkBytes::VkBytes(const VkBytes& other) noexcept : size_(other.size_), heapInUse_(other.heapInUse_) {
  if (heapInUse_) {
    heap_ = other.heap_;
    heap_->refs.fetch_add(1, std::memory_order_relaxed);
  } else {
    std::memcpy(small_, other.small_, kSmall);
  }
}

VkBytes& VkBytes::operator=(const VkBytes& other) noexcept {
  if (this == &other) return *this;
  if (other.heapInUse_) {
    if (heap_ != other.heap_) {
      other.heap_->refs.fetch_add(1, std::memory_order_relaxed);
      drop();
      heap_ = other.heap_;
    }
  } else {
    std::memcpy(small_, other.small_, kSmall);
    if (heap_ && (heap_->capacity > kKeepForScalar || heap_->refs.load(std::memory_order_relaxed) != 1)) drop();
  }
  size_ = other.size_;
  heapInUse_ = other.heapInUse_;
  return *this;
}

VkBytes::VkBytes(VkBytes&& other) noexcept
    : heap_(other.heap_), size_(other.size_), heapInUse_(other.heapInUse_) {
  std::memcpy(small_, other.small_, kSmall);
  other.heap_ = nullptr;
  other.size_ = 0;
  other.heapInUse_ = false;
}

VkBytes& VkBytes::operator=(VkBytes&& other) noexcept {
  if (this != &other) {
    drop();
    heap_ = other.heap_;
    size_ = other.size_;
    heapInUse_ = other.heapInUse_;
    std::memcpy(small_, other.small_, kSmall);
    other.heap_ = nullptr;
    other.size_ = 0;
    other.heapInUse_ = false;
  }
  return *this;
}

bool VkBytes::resize(std::size_t n) noexcept {
  if (n <= kSmall) {
    heapInUse_ = false;
    size_ = n;
    if (heap_ && (heap_->capacity > kKeepForScalar || heap_->refs.load(std::memory_order_relaxed) != 1)) drop();
    return true;
  }
  const bool reusable = heap_ && heap_->refs.load(std::memory_order_relaxed) == 1 && n <= heap_->capacity &&
                        heap_->capacity / 4 <= n;
  if (!reusable) {
    Block* b = newBlock(n);
    if (!b) return false;
    drop();
    heap_ = b;
  }
  heapInUse_ = true;
  size_ = n;
  return true;
}

bool VkBytes::grow(std::size_t n) noexcept {
  if (n <= kSmall && !heapInUse_) {
    size_ = n;
    return true;
  }
  if (heapInUse_ && heap_->refs.load(std::memory_order_relaxed) == 1 && n <= heap_->capacity) {
    size_ = n;
    return true;
  }
  const std::size_t old = heapInUse_ ? heap_->capacity : kSmall;
  std::size_t capacity = n;
  if (n > size_ && capacity < old + old / 2) capacity = old + old / 2;
  Block* b = newBlock(capacity);
  if (!b) return false;
  const std::size_t keep = n < size_ ? n : size_;
  if (keep) std::memcpy(b->bytes, data(), keep);
  drop();
  heap_ = b;
  heapInUse_ = true;
  size_ = n;
  return true;
}

bool VkBytes::assign(const void* src, std::size_t n) noexcept {
  if (n <= kSmall) {
    // src may be this value's own block: copy before the block can go.
    unsigned char tmp[kSmall];
    if (n) std::memcpy(tmp, src, n);
    resize(n);
    if (n) std::memcpy(small_, tmp, n);
    return true;
  }
  const bool reusable = heap_ && heap_->refs.load(std::memory_order_relaxed) == 1 && n <= heap_->capacity &&
                        heap_->capacity / 4 <= n;
  if (reusable) {
    std::memmove(heap_->bytes, src, n);
  } else {
    Block* b = newBlock(n);
    if (!b) return false;
    std::memcpy(b->bytes, src, n);
    drop();
    heap_ = b;
  }
  heapInUse_ = true;
  size_ = n;
  return true;
}

void VkBytes::release() noexcept {
  drop();
  size_ = 0;
  heapInUse_ = false;
}

// ---------------------------------------------------------------------------------------
// Globals

int TNumber = 1000000;
double* vk_ta = nullptr;
double* vk_tb = nullptr;
double* vk_tc = nullptr;
std::string ResultString;
std::string DispFormat = "%10.4f";
std::string SaveFormat = "%g";
int ByteOrderBigEndian = 0;
int vk_level = 0;
int breakLevel = 0;
int restM = 10;
int restN = 5;
int OpeMode = 32;
uint16_t opC[3] = {32768, 32768, 32768};
int pv_displayModeStatus = 0;
std::atomic<int> pvSoundStatus{1};
std::string current_fullPath;
std::string backup_fullPath;
std::string vkDataPathString;
std::string NowLoadSaveName;
std::vector<VariableRecord> variableTable;
std::vector<UserModuleSlot> UFNtable;
std::vector<AliasEntry> fncAliasTable;
std::atomic<const void*> mainWindowRef{nullptr};

namespace {

std::unique_ptr<double[]> scratchA, scratchB, scratchC;
bool tablesReady = false;

}  // namespace

int vkAllocScratchBuffers(int tnumber) {
  if (tnumber < 1) return 0;
  const auto n = static_cast<std::size_t>(tnumber);
  std::unique_ptr<double[]> a(new (std::nothrow) double[n]);
  std::unique_ptr<double[]> b(new (std::nothrow) double[n]);
  std::unique_ptr<double[]> c(new (std::nothrow) double[n]);
  if (!a || !b || !c) return 0;
  scratchA = std::move(a);
  scratchB = std::move(b);
  scratchC = std::move(c);
  vk_ta = scratchA.get();
  vk_tb = scratchB.get();
  vk_tc = scratchC.get();
  return 1;
}

bool vkTablesReady() { return tablesReady; }
void vkSetTablesReady(bool ready) { tablesReady = ready; }

int initPath() {
  current_fullPath.clear();
  backup_fullPath.clear();
  vkDataPathString.clear();
  NowLoadSaveName.clear();
  try {
    current_fullPath.reserve(kPathBytes);
    backup_fullPath.reserve(kPathBytes);
    vkDataPathString.reserve(kPathBytes);
    NowLoadSaveName.reserve(kPathBytes);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return 1;
}

int initAliasTable() {
  fncAliasTable.clear();
  fncAliasTable.resize(kAliasEntries);
  return 1;
}

int vkInternName(const std::string& name) {
  static std::mutex mutex;
  static std::unordered_map<std::string, int> ids;
  std::lock_guard lock(mutex);
  auto [it, inserted] = ids.try_emplace(name, static_cast<int>(ids.size()));
  return it->second;
}

bool isVariable(const std::string& name, int* type) {
  if (name.empty() || name.size() >= static_cast<std::size_t>(kNameBytes)) return false;
  const char last = name.back();
  int t = kValueReal;
  if (last == '$')
    t = kValueString;
  else if (last == '#')
    t = kValuePicture;
  else if (last == '%')
    t = kValueInt;
  if (t == kValueReal) {
    for (unsigned char ch : name) {
      if (ch < 0x80 && std::ispunct(ch) && ch != '_') return false;
    }
  }
  if (type) *type = t;
  return true;
}

int vkOpcodeOf(vk_Code& r) {
  int op = kOpOther;
  const std::string& n = r.name;
  switch (r.kind) {
    case kCodeOperator:
      if (n.size() == 1) {
        switch (n[0]) {
          case '+':
            op = kOpAdd;
            break;
          case '-':
            op = kOpSub;
            break;
          case '*':
            op = kOpMul;
            break;
          case '/':
            op = kOpDiv;
            break;
          case 'x':
            op = kOpElemMul;
            break;
          case '%':
            op = kOpElemDiv;
            break;
          case '^':
            op = kOpPow;
            break;
          case ';':
            op = kOpDisplay;
            break;
          default:
            break;
        }
      }
      break;
    case kCodeRelation:
      if (n == ">")
        op = kRelGt;
      else if (n == ">=")
        op = kRelGe;
      else if (n == "==")
        op = kRelEq;
      else if (n == "<=")
        op = kRelLe;
      else if (n == "<")
        op = kRelLt;
      else if (n == "<>")
        op = kRelNe;
      break;
    case kCodeControl:
      if (n == "if")
        op = kCtlIf;
      else if (n == "goto" || n.compare(0, 6, "gotoX-") == 0)
        op = kCtlGoto;
      break;
    default:
      break;
  }
  r.op = op;
  return op;
}
