#pragma once
// The calculation language's values and global tables: the code record a compiled program is
// made of, the value types, the value-stack entry, the variable, module and alias tables, the
// scratch buffers, the result text and the language's settings. They live for the whole
// process and are used by one run at a time (the memo views keep a second run from starting).
//
// The limits here are the language's behaviour (programs and module files rely on them and on
// their messages); how the values are stored is ours: owned buffers instead of handles.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------
// Fixed capacities. Each is a documented limit of the language, not a storage detail.

constexpr int kCodeRecords = 12000;     // records of one compiled program or module body
constexpr int kCalcStackSize = 1000;    // entries of one run's value stack (999 usable)
constexpr int kVariableRecords = 1000;  // the variable table
constexpr int kModuleSlots = 500;       // the module table
constexpr int kModuleArguments = 20;    // arguments of one module
constexpr int kAliasEntries = 500;      // the alias table
constexpr int kNameBytes = 256;         // a name field, terminator included
constexpr int kPathBytes = 1024;        // a path buffer, terminator included
constexpr int kFormatBytes = 1024;      // DispFormat / SaveFormat, terminator included

// ---------------------------------------------------------------------------------------
// Code kinds (`CalcCodeKind`): how the executor dispatches a record.

enum CalcCodeKind : int {
  kCodeInvalid = -1,
  kCodeCommand = 0,
  kCodeFunction = 1,
  kCodeOperator = 2,
  kCodeNumber = 3,
  kCodeNumVariable = 4,
  kCodeString = 5,
  kCodeStrVariable = 6,
  kCodeRelation = 9,
  kCodeLogical = 10,
  kCodeControl = 11,
  kCodeModule = 12,
  kCodeGraphVariable = 21,
  kCodeIntVariable = 31,
};

// Value types (`CalcValueType`): the type word of a stack entry.
enum CalcValueType : int {
  kValueReal = 3,      // matrix of doubles, row-major; a scalar is 1 by 1
  kValueString = 5,    // bytes with a terminating zero; msize = length
  kValuePicture = 20,  // picture bytes (or any raw byte block); msize = byte length
  kValueInt = 30,      // matrix of signed 32-bit integers, row-major
};

// Variable kinds of `VariableRecord`.
enum VariableKind : int { kVarReal = 0, kVarString = 1, kVarPicture = 2, kVarInt = 4 };

// ---------------------------------------------------------------------------------------
// A byte buffer that keeps small values (a scalar, a short string) inline, so that the
// executor's scalar pushes and variable reads never touch the heap. A larger value lives in a
// reference-counted heap block shared by copies: copying a matrix or string (reading a
// variable onto the stack, assigning a result) is a pointer copy, and the first write through
// a non-const accessor gives the writer its own block (copy on write). A block with one owner
// keeps its capacity when a value of the same size or smaller replaces the old one, and grows
// geometrically when a string is appended to in place.

class VkBytes {
 public:
  VkBytes() = default;
  VkBytes(const VkBytes& other) noexcept;
  VkBytes& operator=(const VkBytes& other) noexcept;
  VkBytes(VkBytes&& other) noexcept;
  VkBytes& operator=(VkBytes&& other) noexcept;
  ~VkBytes() { drop(); }

  unsigned char* data() {
    if (!heapInUse_) return small_;
    if (heap_->refs.load(std::memory_order_relaxed) != 1) unshare();
    return heap_->bytes;
  }
  const unsigned char* data() const { return heapInUse_ ? heap_->bytes : small_; }
  double* doubles() { return reinterpret_cast<double*>(data()); }
  const double* doubles() const { return reinterpret_cast<const double*>(data()); }
  int32_t* ints() { return reinterpret_cast<int32_t*>(data()); }
  const int32_t* ints() const { return reinterpret_cast<const int32_t*>(data()); }
  const char* chars() const { return reinterpret_cast<const char*>(data()); }
  // Read access that never copies, also through a non-const object.
  const unsigned char* cdata() const { return data(); }
  const double* cdoubles() const { return doubles(); }
  const int32_t* cints() const { return ints(); }
  std::size_t size() const { return size_; }
  // Whether another value shares the heap block.
  bool shared() const { return heapInUse_ && heap_->refs.load(std::memory_order_relaxed) != 1; }

  // Makes room for n bytes (contents undefined); false when memory cannot be had.
  bool resize(std::size_t n) noexcept;
  // Makes the size n keeping the first min(n, size) bytes, growing the capacity geometrically;
  // false when memory cannot be had (the value then stays as it was).
  bool grow(std::size_t n) noexcept;
  bool assign(const void* src, std::size_t n) noexcept;
  void release() noexcept;
  // Drops a heap block that other values share (a value left behind on the stack must not
  // keep a variable's block alive or make its next write copy it).
  void releaseIfShared() noexcept {
    if (shared()) release();
  }
  // Frees the large blocks kept for reuse (the end of a run calls it).
  static void releaseSpareBlocks() noexcept;

  // A 1 by 1 real: kept inline, whatever heap block the value holds for later.
  void setScalar(double v) noexcept {
    if (heap_ && (heap_->capacity > kKeepForScalar || heap_->refs.load(std::memory_order_relaxed) != 1))
      drop();
    heapInUse_ = false;
    size_ = sizeof(double);
    std::memcpy(small_, &v, sizeof v);
  }

 private:
  struct Block {
    std::atomic<int> refs;
    std::size_t capacity;
    alignas(16) unsigned char bytes[1];
  };
  static Block* newBlock(std::size_t capacity) noexcept;
  void drop() noexcept;
  void unshare();

  static constexpr std::size_t kSmall = 24;
  // A block bigger than this is not kept for a scalar: a value that once held a large matrix
  // would otherwise hold its memory for the rest of the process.
  static constexpr std::size_t kKeepForScalar = std::size_t{1} << 16;
  alignas(8) unsigned char small_[kSmall] = {};
  Block* heap_ = nullptr;  // owned reference (or null); used only while heapInUse_
  std::size_t size_ = 0;
  bool heapInUse_ = false;
};

// ---------------------------------------------------------------------------------------
// Code record `vk_Code`: one compiled instruction.

struct VkScalarRun;
struct VkScalarLoop;
struct CalcStackEntry;
struct vk_Code;

// The frame every built-in and dispatcher is called with.
using VkCallFn = int (*)(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
// A built-in of one real number that gives one real number: the value the built-in gives for a
// real 1 by 1 argument, or false where the built-in would fail or give anything else (so that
// its caller goes the long way and the built-in reports what it reports).
using VkScalarFn = bool (*)(double x, double* out);
struct VkInlineModule;

struct vk_Code {
  int kind = 0;      // CalcCodeKind
  int argc = 0;      // arguments at a call; elements per row of a matrix literal
  int jump = 0;      // relative jump of a control record; rows of a matrix literal
  std::string name;  // token text (at most 255 bytes)
  std::string data;  // text of a string literal (kind 5)
  bool hasData = false;

  // Derived once, so the executor does not redo it on every pass: the value of a number
  // literal (the same atof the text would give each time) and the interned variable name
  // with the slot it was last found in.
  double number = 0.0;
  int nameId = -1;
  int varSlot = -1;
  int op = 0;  // VkOpcode of an operator, relation, logical or control record; 0 not yet known
  // The executor's own decoding of the record (and of the few records after it that it runs
  // as one step), made when the record first runs; 0 not yet made.
  int xop = 0;
  int aux = 0;
  // The module slot a call record was resolved to, valid while vkModuleEpoch is unchanged.
  int moduleSlot = -1;
  unsigned moduleEpoch = 0;
  // The built-in a call record names, found once in its letter's table (the frame of the
  // dispatchers); builtinState 0 not yet looked up, 1 found, 2 to be run the long way.
  VkCallFn builtin = nullptr;
  int builtinState = 0;
  // When varSlot was last found to hold this record's real 1 by 1 variable: the variable
  // table's epoch and the scope level then (see vkVariableEpoch).
  uint64_t varEpoch = 0;
  int varLevel = -1;
  // A run of scalar arithmetic records starting here, compiled by the executor (scalar_run.h).
  std::shared_ptr<const VkScalarRun> scalarRun;
  // At a loop's backward jump: the loop in its compact form (scalar_loop.h), compiled when the
  // jump first runs (loopState 1; 2 when the loop is outside that form), and the variable epoch
  // and level at which it last could not run so, until which it is not tried again.
  std::shared_ptr<const VkScalarLoop> loop;
  int loopState = 0;
  int loopDeclinedLevel = -1;
  uint64_t loopDeclinedEpoch = 0;
};

// What an operator, relation, logical or control record does, decoded once from its name.
enum VkOpcode : int {
  kOpUnknown = 0,
  kOpOther,  // a name no fast path knows: the record's handler decides
  kOpAdd,
  kOpSub,
  kOpMul,
  kOpDiv,
  kOpElemMul,
  kOpElemDiv,
  kOpPow,
  kOpDisplay,
  kRelGt,
  kRelGe,
  kRelEq,
  kRelLe,
  kRelLt,
  kRelNe,
  kCtlIf,
  kCtlGoto,
};

// Decodes (and stores) the opcode of a record.
int vkOpcodeOf(vk_Code& record);

using VkCodeArray = std::vector<vk_Code>;

// Gives a record a new kind and name (a built-in that rewrites code, such as "function", uses
// it): the values derived from the old name are dropped so that nothing stale is used.
inline void vkSetRecord(vk_Code& record, int kind, const std::string& name, int argc) {
  record.kind = kind;
  record.name = name;
  record.argc = argc;
  record.nameId = -1;
  record.varSlot = -1;
  record.op = 0;
  record.xop = 0;
  record.aux = 0;
  record.moduleSlot = -1;
  record.moduleEpoch = 0;
  record.builtin = nullptr;
  record.builtinState = 0;
  record.varEpoch = 0;
  record.varLevel = -1;
  record.scalarRun.reset();
  record.loop.reset();
  record.loopState = 0;
  record.loopDeclinedLevel = -1;
  record.number = kind == kCodeNumber ? std::atof(name.c_str()) : 0.0;
}

// Value-stack entry `CalcStackEntry`. A picture's bytes are its data.
struct CalcStackEntry {
  int type = 0;
  int msize = 0;
  int nsize = 0;
  VkBytes data;
};

// Variable record `VariableRecord`.
struct VariableRecord {
  int state = 0;  // 0 free, 2 reserved (name and level, no value yet), 1 in use
  int kind = 0;   // VariableKind
  std::string name;
  int nameId = -1;
  int msize = 0;
  int nsize = 0;
  int level = 0;
  VkBytes data;  // doubles, integers, string bytes with terminator, or picture bytes
};

// Module slot `UserModuleSlot`. The body is shared so that a call keeps its code alive even
// when the running body deletes or redefines its own module.
struct UserModuleSlot {
  std::string name;  // empty: a free slot
  int argc = 0;
  std::string argNames[kModuleArguments];
  int argTypes[kModuleArguments] = {};
  int argIds[kModuleArguments] = {};  // interned argument names
  int codeCount = 0;
  std::shared_ptr<VkCodeArray> code;
  // A body that is one expression of the real arguments handed to "return", made when the
  // module is first called (inlineState 1; 2 when the body is not of that form): see
  // vkCallModuleInline.
  std::shared_ptr<const VkInlineModule> inlineBody;
  int inlineState = 0;
  // The body in the compact register form (scalar_loop.h), made when first called: state 1
  // made, 2 not of that form, 3 being made (a call of the module inside its own body).
  std::shared_ptr<const VkScalarLoop> compactBody;
  int compactState = 0;
};

// Alias entry `AliasEntry`.
struct AliasEntry {
  std::string alias;
  std::string target;
};

// ---------------------------------------------------------------------------------------
// Global tables and settings.

extern int TNumber;  // element limit of one value; size unit of the buffers (x 8 bytes)

// Scratch buffers of TNumber x 8 bytes each; operators and built-ins pop operands into them
// and build results there.
extern double* vk_ta;
extern double* vk_tb;
extern double* vk_tc;

// The run's output text. Displays and error lines are appended only while its length stays
// below vkResultTextLimit() bytes (see vkResultFits).
extern std::string ResultString;

extern std::string DispFormat;  // print format of displayed numbers ("%10.4f" at start)
extern std::string SaveFormat;  // print format of saved numbers ("%g" at start)
extern int ByteOrderBigEndian;
extern int vk_level;     // current scope level
extern int breakLevel;   // loop depth while compiling
extern int restM;        // rows shown of a displayed matrix (0 or less: all)
extern int restN;        // columns shown
extern int OpeMode;      // transfer mode for combining two pictures with "x"
extern uint16_t opC[3];  // operation colour of that transfer
extern int pv_displayModeStatus;
extern std::atomic<int>
    pvSoundStatus;  // feedback sounds: 1 on (at start), 0 off; set by programs, read by windows

// Path buffers (at most kPathBytes - 1 bytes each).
extern std::string current_fullPath;
extern std::string backup_fullPath;
extern std::string vkDataPathString;
extern std::string NowLoadSaveName;

extern std::vector<VariableRecord> variableTable;  // kVariableRecords records
extern std::vector<UserModuleSlot> UFNtable;       // kModuleSlots slots
extern std::vector<AliasEntry> fncAliasTable;      // kAliasEntries entries

// The window whose program runs (set by whoever starts a run; the break test reads it).
extern std::atomic<const void*> mainWindowRef;

// ---------------------------------------------------------------------------------------
// Table lifecycles.

int initPath();
int initVarTable(std::vector<VariableRecord>& table);
int initUFNtable();
int initAliasTable();

// Allocates (or re-allocates, when the built-in "element" changes TNumber) the three scratch
// buffers; 1 on success, 0 when memory cannot be had (the old buffers then stay).
int vkAllocScratchBuffers(int tnumber);

// Whether the start-up allocated everything a run needs; a run refuses to start otherwise.
bool vkTablesReady();
void vkSetTablesReady(bool ready);

// How much result text a run may hold at once, in bytes. A million displayed lines must come
// out whole (a million numbers in the start format are 11,000,000 bytes), so the text is not
// held to TNumber characters; what it guards is memory: without a window (the headless
// driver) the whole output stays in memory until the run ends, and a display loop that never
// ends would otherwise take all of it. Grows with "element", as the value buffers do.
inline constexpr std::size_t kResultBytesPerElement = 64;
inline std::size_t vkResultTextLimit() {
  return static_cast<std::size_t>(TNumber > 0 ? TNumber : 0) * kResultBytesPerElement;
}

// Room kept at the end of the result text for the line that says why the output stopped.
inline constexpr std::size_t kResultReasonRoom = 256;

// True when a text of `extra` more bytes can be appended to ResultString (an error line may
// use the room kept for the reason; displayed text may not).
inline bool vkResultFits(std::size_t extra, bool errorLine = false) {
  const std::size_t limit = vkResultTextLimit();
  const std::size_t room = errorLine || limit <= kResultReasonRoom ? limit : limit - kResultReasonRoom;
  return ResultString.size() + extra < room;
}

// Name interning: variable records and code records compare names by number.
int vkInternName(const std::string& name);

// `isVariable`: the value type a name's suffix gives ("$" 5, "#" 20, "%" 30, else 3); false
// for a name of 256 bytes or more or a suffix-free name holding punctuation other than "_".
bool isVariable(const std::string& name, int* type);

// Converts a double to a 32-bit integer truncating toward zero; values outside the range
// saturate and NaN gives 0, instead of the undefined behaviour of a plain cast.
inline int32_t vkTruncToInt(double v) {
  if (v != v) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}
