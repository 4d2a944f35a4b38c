#include "lang/variables.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lang/assignment_target.h"
#include "lang/picture_ops.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace {

// (name, level) -> record, so that a look-up does not compare a thousand names. Open
// addressing in one flat array: binding a module's arguments and dropping them on its return
// costs no allocation. The array has four times as many places as the variable table records.
class NameLevelIndex {
 public:
  // The record for a key, or -1.
  int find(uint64_t k) const {
    for (std::size_t p = home(k);; p = (p + 1) & kMask) {
      const Entry& e = places_[p];
      if (e.record < 0) return -1;
      if (e.key == k) return e.record;
    }
  }
  // Adds the key unless it is there already (the first record keeps it).
  void tryEmplace(uint64_t k, int record) {
    for (std::size_t p = home(k);; p = (p + 1) & kMask) {
      Entry& e = places_[p];
      if (e.record < 0) {
        e.key = k;
        e.record = record;
        return;
      }
      if (e.key == k) return;
    }
  }
  // Removes the key when it maps to `record`.
  void erase(uint64_t k, int record) {
    std::size_t p = home(k);
    for (;; p = (p + 1) & kMask) {
      const Entry& e = places_[p];
      if (e.record < 0) return;
      if (e.key == k) break;
    }
    if (places_[p].record != record) return;
    // Backward shift: later keys of the same run move up, so no search stops early.
    std::size_t hole = p;
    for (std::size_t q = (p + 1) & kMask;; q = (q + 1) & kMask) {
      Entry& e = places_[q];
      if (e.record < 0) break;
      const std::size_t h = home(e.key);
      const bool movable = hole <= q ? (h <= hole || h > q) : (h <= hole && h > q);
      if (movable) {
        places_[hole] = e;
        hole = q;
      }
    }
    places_[hole].record = -1;
  }
  void clear() {
    for (Entry& e : places_) e.record = -1;
  }

 private:
  static constexpr std::size_t kPlaces = 4096;
  static_assert(kPlaces >= 4 * static_cast<std::size_t>(kVariableRecords), "index too small");
  static constexpr std::size_t kMask = kPlaces - 1;
  struct Entry {
    uint64_t key = 0;
    int record = -1;
  };
  static std::size_t home(uint64_t k) {
    k ^= k >> 31;
    k *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(k >> 52) & kMask;
  }
  std::vector<Entry> places_ = std::vector<Entry>(kPlaces);
};

// A plain object, not a function-local static: the look-up runs on every module call and a
// local static costs a guard test each time.
NameLevelIndex nameLevelIndex;

inline NameLevelIndex& byNameLevel() { return nameLevelIndex; }

inline uint64_t key(int nameId, int level) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(nameId)) << 32) | static_cast<uint32_t>(level);
}

// Hint for the next free record: records are taken from the front, so a free one is never
// before the hint.
int firstFreeHint = 0;
// One past the last record that may be in use: deleting a level scans only this far.
int usedEnd = 0;
// Records given a level above 0 (module arguments and variables), so that the return from a
// module visits its own records instead of the whole table. An entry may be stale (its record
// since emptied or reused); the deletion checks each record's own level.
std::vector<int> upperRecords;

inline void noteLevel(int i) {
  if (vk_level > 0) upperRecords.push_back(i);
}

// Only level 0 is indexed: the records of module calls come and go with every call, and their
// few names are found through upperRecords instead.
void indexRecord(int i) {
  VariableRecord& v = variableTable[i];
  if (v.level == 0) byNameLevel().tryEmplace(key(v.nameId, v.level), i);
}

inline void unindexRecord(int i) {
  VariableRecord& v = variableTable[i];
  if (v.nameId < 0 || v.level != 0) return;
  byNameLevel().erase(key(v.nameId, v.level), i);
}

// Every change to a record goes through here with the lowest scope level it touches: the epoch
// becomes a value never used before, and the lowest level is kept for the end of a module call
// (vkLeaveLevel).
uint64_t epochCounter = 1;
int lowestTouchedLevel = INT_MAX;

inline void touchLevel(int level) {
  vkVariableEpoch = ++epochCounter;
  if (level < lowestTouchedLevel) lowestTouchedLevel = level;
}

// The level a change to record v touches: a free or reserved record holds no value anything
// was found at, so only its new level counts.
inline int levelOfChange(const VariableRecord& v) {
  return v.state == 1 && v.level < vk_level ? v.level : vk_level;
}

void clearRecord(int i) {
  touchLevel(variableTable[i].state == 1 ? variableTable[i].level : vk_level);
  unindexRecord(i);
  VariableRecord& v = variableTable[i];
  v.state = 0;
  v.kind = 0;
  v.name.clear();
  v.nameId = -1;
  v.msize = v.nsize = v.level = 0;
  v.data.release();
  if (i < firstFreeHint) firstFreeHint = i;
}

// The map is kept in step with the table by every function here that names, levels or
// empties a record, so a miss means there is no such variable.
int findById(int nameId) {
  if (vk_level > 0) {
    // The first record in table order, as the index would give.
    int found = -1;
    for (auto it = upperRecords.rbegin(); it != upperRecords.rend(); ++it) {
      const int i = *it;
      if (i >= static_cast<int>(variableTable.size()) || (found >= 0 && i >= found)) continue;
      const VariableRecord& v = variableTable[i];
      if (v.state != 0 && v.level == vk_level && v.nameId == nameId) found = i;
    }
    return found;
  }
  const int i = byNameLevel().find(key(nameId, vk_level));
  if (i < 0) return -1;
  const VariableRecord& v = variableTable[i];
  if (v.state != 0 && v.level == vk_level && v.nameId == nameId) return i;
  return -1;
}

}  // namespace

uint64_t vkVariableEpoch = 1;

VkLevelMark vkEnterLevel() {
  const VkLevelMark mark{vkVariableEpoch, lowestTouchedLevel};
  lowestTouchedLevel = INT_MAX;
  vkVariableEpoch = ++epochCounter;
  return mark;
}

void vkLeaveLevel(const VkLevelMark& mark) {
  // Nothing at the caller's level or below changed: what the caller found still holds.
  if (lowestTouchedLevel > vk_level) vkVariableEpoch = mark.epoch;
  if (mark.lowestTouched < lowestTouchedLevel) lowestTouchedLevel = mark.lowestTouched;
}

int vkTypeOfKind(int kind) {
  switch (kind) {
    case kVarReal:
      return kValueReal;
    case kVarString:
      return kValueString;
    case kVarPicture:
      return kValuePicture;
    case kVarInt:
      return kValueInt;
    default:
      return 0;
  }
}

int vkFindVariableId(int nameId) { return findById(nameId); }

int findVariable(const std::string& name, int* index) {
  const int i = findById(vkInternName(name));
  if (i < 0) return 0;
  if (index) *index = i;
  return 1;
}

int vkLookupVariable(vk_Code& record) {
  if (record.nameId < 0) record.nameId = vkInternName(record.name);
  const int s = record.varSlot;
  if (s >= 0 && s < static_cast<int>(variableTable.size())) {
    const VariableRecord& v = variableTable[s];
    if (v.state != 0 && v.level == vk_level && v.nameId == record.nameId) return s;
  }
  const int found = findById(record.nameId);
  if (found >= 0 && found != record.varSlot) {
    record.varSlot = found;
    record.varEpoch = 0;
  }
  return found;
}

int setNewVariable(const std::string& name, int kind, int* index) {
  return vkNewVariableId(name, vkInternName(name), kind, index);
}

int vkNewVariableId(const std::string& name, int nameId, int kind, int* index) {
  const int n = static_cast<int>(variableTable.size());
  for (int i = firstFreeHint; i < n; ++i) {
    VariableRecord& v = variableTable[i];
    if (v.state != 0) continue;
    touchLevel(vk_level);
    firstFreeHint = i + 1;
    v.state = 2;
    v.kind = kind;
    v.name = name;
    v.nameId = nameId;
    v.msize = v.nsize = 0;
    v.level = vk_level;
    v.data.release();
    indexRecord(i);
    noteLevel(i);
    if (i + 1 > usedEnd) usedEnd = i + 1;
    if (index) *index = i;
    return 1;
  }
  firstFreeHint = n;
  error_disp("Variable table overflow.");
  return 0;
}

int vkBindNumber(const std::string& name, int nameId, double value) {
  int i = findById(nameId);
  if (i < 0) {
    const int n = static_cast<int>(variableTable.size());
    i = firstFreeHint;
    while (i < n && variableTable[i].state != 0) ++i;
    if (i >= n) {
      firstFreeHint = n;
      error_disp("Variable table overflow.");
      return 0;
    }
    firstFreeHint = i + 1;
    VariableRecord& v = variableTable[i];
    v.name = name;
    v.nameId = nameId;
    v.level = vk_level;
    indexRecord(i);
    noteLevel(i);
    if (i + 1 > usedEnd) usedEnd = i + 1;
  }
  VariableRecord& v = variableTable[i];
  touchLevel(levelOfChange(v));
  v.data.setScalar(value);
  v.state = 1;
  v.kind = kVarReal;
  v.msize = v.nsize = 1;
  return 1;
}

int PushToVariableTable(int index, const std::string& name, int kind, const void* data, int msize,
                        int nsize) {
  return vkStoreVariable(index, name, vkInternName(name), kind, data, msize, nsize);
}

int vkStoreVariable(int index, const std::string& name, int nameId, int kind, const void* data, int msize,
                    int nsize) {
  if (index < 0 || index >= static_cast<int>(variableTable.size())) {
    error_disp("Variable table overflow.");
    return 0;
  }
  if (kind == kVarReal && msize == 1 && nsize == 1) {
    // A number into a record already named at this level (a module argument being bound).
    VariableRecord& v = variableTable[index];
    if (v.state != 0 && v.nameId == nameId && v.level == vk_level) {
      touchLevel(levelOfChange(v));
      double x;
      std::memcpy(&x, data, sizeof x);
      v.data.setScalar(x);
      v.state = 1;
      v.kind = kVarReal;
      v.msize = v.nsize = 1;
      if (index + 1 > usedEnd) usedEnd = index + 1;
      return 1;
    }
  }
  const int64_t elements = static_cast<int64_t>(msize) * nsize;
  const int64_t limit = TNumber;
  std::size_t bytes = 0;
  switch (kind) {
    case kVarReal:
      if (msize < 0 || nsize < 0 || elements > limit) {
        error_disp("Too big data.");
        return 0;
      }
      bytes = static_cast<std::size_t>(elements) * 8;
      break;
    case kVarInt:
      if (msize < 0 || nsize < 0 || elements * 4 > limit * 8) {
        error_disp("Too big data.");
        return 0;
      }
      bytes = static_cast<std::size_t>(elements) * 4;
      break;
    case kVarPicture:
      if (msize < 1 || msize > limit * 8) {
        error_disp("Too Big Picture (at push into the VariableTable).");
        return 0;
      }
      bytes = static_cast<std::size_t>(msize);
      break;
    case kVarString:
      bytes = std::strlen(static_cast<const char*>(data)) + 1;
      break;
    default:
      error_disp("Unknown data kind.");
      return 0;
  }
  VariableRecord& v = variableTable[index];
  touchLevel(levelOfChange(v));
  // The index changes only when the record's name or level does (binding a module argument
  // into the record reserved for it does neither).
  const bool rekey = v.nameId != nameId || v.level != vk_level || v.state == 0;
  if (!v.data.assign(data, bytes)) {
    // The record must not look like a variable that has data.
    v.state = v.state == 1 ? 2 : v.state;
    v.msize = v.nsize = 0;
    error_disp("Memory allocation error.");
    return 0;
  }
  if (rekey) unindexRecord(index);
  v.state = 1;
  v.kind = kind;
  if (v.nameId != nameId) v.name = name;
  v.nameId = nameId;
  v.msize = msize;
  v.nsize = kind == kVarPicture ? 0 : nsize;
  v.level = vk_level;
  if (rekey) {
    indexRecord(index);
    noteLevel(index);
  }
  if (index + 1 > usedEnd) usedEnd = index + 1;
  return 1;
}

bool vkFreeRecordsAtLeast(int n) {
  const int size = static_cast<int>(variableTable.size());
  for (int i = firstFreeHint; i < size && n > 0; ++i)
    if (variableTable[i].state == 0) --n;
  return n <= 0;
}

int deleteHighLevelVariable(int level) {
  if (level > 0) {
    // Every record above level 0 is in upperRecords.
    std::size_t kept = 0;
    for (std::size_t k = 0; k < upperRecords.size(); ++k) {
      const int i = upperRecords[k];
      if (i >= static_cast<int>(variableTable.size())) continue;
      VariableRecord& v = variableTable[i];
      if (v.level >= level && (v.state != 0 || !v.name.empty()))
        clearRecord(i);
      else if (v.level > 0 && (v.state != 0 || !v.name.empty()))
        upperRecords[kept++] = i;
    }
    if (kept != upperRecords.size()) upperRecords.erase(upperRecords.begin() + static_cast<std::ptrdiff_t>(kept), upperRecords.end());
    return 1;
  }
  const int end = std::min(usedEnd, static_cast<int>(variableTable.size()));
  for (int i = 0; i < end; ++i) {
    if (variableTable[i].level >= level && (variableTable[i].state != 0 || !variableTable[i].name.empty()))
      clearRecord(i);
  }
  upperRecords.clear();
  return 1;
}

int initVarTable(std::vector<VariableRecord>& table) {
  touchLevel(-1);
  vk_level = 0;
  table.clear();
  table.resize(kVariableRecords);
  if (&table == &variableTable) {
    byNameLevel().clear();
    firstFreeHint = 0;
    usedEnd = 0;
    upperRecords.clear();
  }
  return 1;
}

int deleteAllVariable() {
  touchLevel(-1);
  for (int i = 0; i < static_cast<int>(variableTable.size()); ++i) clearRecord(i);
  byNameLevel().clear();
  firstFreeHint = 0;
  usedEnd = 0;
  upperRecords.clear();
  return 1;
}

int listVariableTable(std::string& text) {
  text.clear();
  for (const VariableRecord& v : variableTable) {
    if (v.name.empty()) continue;
    text += pravella::cformat("%2d %2d %8d %8d ", v.level, v.kind, v.msize, v.nsize);
    text += v.name;
    text += '\n';
  }
  return 1;
}

int showVariableTable(std::string& text) {
  text += "  Kind msize nsize level name\n";
  for (const VariableRecord& v : variableTable) {
    if (v.state == 0) continue;
    text += pravella::cformat("%6d%6d%6d%6d ", v.state, v.msize, v.nsize, v.level);
    text += v.name;
    text += '\n';
  }
  return 1;
}

// ---------------------------------------------------------------------------------------
// Variable records at run time.

namespace {

inline bool assignmentFollows(int count, const vk_Code* code, int pc) {
  if (pc + 1 >= count) return false;
  const std::string& n = code[pc + 1].name;
  return n.size() == 1 && n[0] == '=';
}

// Pushes the value of the variable the record names.
int readVariable(vk_Code& rec, CalcStackEntry* stack, int* sp) {
  const int i = vkLookupVariable(rec);
  // A reserved record (its first assignment failed) has no value to read.
  if (i < 0 || variableTable[i].state != 1) {
    error_disp("Undefined variable.");
    return 0;
  }
  const VariableRecord& v = variableTable[i];
  const int type = vkTypeOfKind(v.kind);
  if (type == kValueReal && v.msize == 1 && v.nsize == 1) return vkPushScalar(stack, sp, v.data.cdoubles()[0]);
  return vkPushShared(stack, sp, v.data, type, v.msize, v.nsize);
}

// Finds the variable the record names at this level or reserves one of `kind`; -1 on failure.
int targetVariable(vk_Code& rec, int kind) {
  int i = vkLookupVariable(rec);
  if (i >= 0) return i;
  // The look-up interned the name already: a new record need not hash it again.
  if (!vkNewVariableId(rec.name, rec.nameId, kind, &i)) return -1;
  rec.varSlot = i;
  rec.varEpoch = 0;
  return i;
}

// The common end of an assignment: drop the stored value, step over the "=".
inline int finishAssignment(int* pc, int* sp) {
  --*sp;
  ++*pc;
  return 1;
}

int storeNumbers(vk_Code& rec, int* pc, CalcStackEntry* stack, int* sp, int kind) {
  CalcStackEntry& top = stack[*sp - 1];
  const int64_t elements = static_cast<int64_t>(top.msize) * top.nsize;
  if (kind == kVarReal && elements > TNumber) {
    error_disp("Too big data.");
    return 0;
  }
  const int i = targetVariable(rec, kind);
  if (i < 0) return 0;
  VariableRecord& v = variableTable[i];
  touchLevel(levelOfChange(v));
  const std::size_t n = static_cast<std::size_t>(elements);
  const std::size_t elementBytes = kind == kVarReal ? 8 : 4;
  if (top.type == (kind == kVarReal ? kValueReal : kValueInt) && top.data.size() == n * elementBytes) {
    // The value moves from the stack into the variable: no copy.
    v.data = std::move(top.data);
    v.state = 1;
    v.kind = kind;
    v.msize = top.msize;
    v.nsize = top.nsize;
    if (v.level != vk_level) {
      unindexRecord(i);
      v.level = vk_level;
      indexRecord(i);
      noteLevel(i);
    }
    return finishAssignment(pc, sp);
  }
  // The old value goes only once the new one can be held: a failed assignment keeps it.
  VkBytes fresh;
  VkBytes& dst = (top.type == (kind == kVarReal ? kValueReal : kValueInt)) ? v.data : fresh;
  if (!dst.resize(n * (kind == kVarReal ? 8 : 4))) {
    error_disp("Memory allocation error (new var)");
    return 0;
  }
  if (kind == kVarReal) {
    double* out = dst.doubles();
    if (top.type == kValueReal)
      std::memcpy(out, top.data.cdata(), n * 8);
    else
      for (std::size_t k = 0; k < n; ++k) out[k] = top.data.cints()[k];
  } else {
    int32_t* out = dst.ints();
    if (top.type == kValueInt)
      std::memcpy(out, top.data.cdata(), n * 4);
    else
      for (std::size_t k = 0; k < n; ++k) out[k] = vkTruncToInt(top.data.cdoubles()[k]);
  }
  if (&dst == &fresh) v.data = std::move(fresh);
  v.state = 1;
  v.kind = kind;
  v.msize = top.msize;
  v.nsize = top.nsize;
  if (v.level != vk_level) {
    unindexRecord(i);
    v.level = vk_level;
    indexRecord(i);
    noteLevel(i);
  }
  return finishAssignment(pc, sp);
}

int storeBytes(vk_Code& rec, int* pc, CalcStackEntry* stack, int* sp, int kind) {
  CalcStackEntry& top = stack[*sp - 1];
  const int i = targetVariable(rec, kind);
  if (i < 0) return 0;
  VariableRecord& v = variableTable[i];
  touchLevel(levelOfChange(v));
  v.data = std::move(top.data);
  v.state = 1;
  v.kind = kind;
  v.msize = top.msize;
  v.nsize = kind == kVarPicture ? 0 : top.nsize;
  return finishAssignment(pc, sp);
}

// The value to assign must be on the stack: an assignment whose right side left nothing
// (itself an assignment, say) fails here instead of reading below the stack.
inline bool haveValue(int* sp) {
  if (*sp > 0) return true;
  error_disp("No value to assign.");
  return false;
}

}  // namespace

VkBytes* vkAssignmentTargetBlock(int count, vk_Code* code, int pc, int type, std::size_t bytes) {
  if (pc < 0 || pc + 2 >= count || !assignmentFollows(count, code, pc + 1)) return nullptr;
  vk_Code& rec = code[pc + 1];
  int kind = 0;
  std::size_t elementBytes = 0;
  if (type == kValueReal && rec.kind == kCodeNumVariable) {
    kind = kVarReal;
    elementBytes = 8;
  } else if (type == kValueInt && rec.kind == kCodeIntVariable) {
    kind = kVarInt;
    elementBytes = 4;
  } else {
    return nullptr;
  }
  // The same record the assignment will find (storeNumbers looks it up the same way).
  const int i = vkLookupVariable(rec);
  if (i < 0) return nullptr;
  VariableRecord& v = variableTable[i];
  if (v.state != 1 || v.kind != kind || v.data.size() != bytes || v.data.shared()) return nullptr;
  // An assignment that will be refused ("Too big data." after "element" lowered the limit) must
  // leave the old value as it was.
  if (kind == kVarReal && bytes / elementBytes > static_cast<std::size_t>(TNumber)) return nullptr;
  return &v.data;
}

int DoLetNumVariable(int /*count*/, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  vk_Code& rec = code[*pc];
  if (!haveValue(sp)) return 0;
  const int type = stack[*sp - 1].type;
  if (type == kValuePicture) {
    // The pixels of a picture assigned to a real variable become numbers (red + green + blue).
    if (!DoPictureToNumbers(stack[*sp - 1])) return 0;
  } else if (type != kValueReal && type != kValueInt) {
    error_disp("Invalid data type.");
    return 0;
  }
  // Fast path: a scalar into an existing real variable.
  CalcStackEntry& top = stack[*sp - 1];
  if (type == kValueReal && top.msize == 1 && top.nsize == 1) {
    const int i = vkLookupVariable(rec);
    if (i >= 0 && variableTable[i].kind == kVarReal) {
      VariableRecord& v = variableTable[i];
      if (v.state != 1 || v.msize != 1 || v.nsize != 1) touchLevel(levelOfChange(v));
      v.data.resize(sizeof(double));
      v.data.doubles()[0] = top.data.doubles()[0];
      v.state = 1;
      v.msize = v.nsize = 1;
      return finishAssignment(pc, sp);
    }
  }
  return storeNumbers(rec, pc, stack, sp, kVarReal);
}

int DoLetIntVariable(int /*count*/, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  vk_Code& rec = code[*pc];
  if (!haveValue(sp)) return 0;
  const int type = stack[*sp - 1].type;
  if (type != kValueReal && type != kValueInt) {
    error_disp("Invalid data type.");
    return 0;
  }
  return storeNumbers(rec, pc, stack, sp, kVarInt);
}

int DoLetStrVariable(int /*count*/, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  vk_Code& rec = code[*pc];
  if (!haveValue(sp)) return 0;
  if (stack[*sp - 1].type != kValueString) {
    error_disp("Invalid data type.");
    return 0;
  }
  return storeBytes(rec, pc, stack, sp, kVarString);
}

int DoLetGraphVariable(int /*count*/, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  vk_Code& rec = code[*pc];
  if (!haveValue(sp)) return 0;
  if (stack[*sp - 1].type != kValuePicture) {
    error_disp("Invalid data type.");
    return 0;
  }
  return storeBytes(rec, pc, stack, sp, kVarPicture);
}

// ---------------------------------------------------------------------------------------
// Path operations.

bool changeFullPath(std::string_view path, std::string& out, std::size_t limit) {
  std::string joined;
  if (!path.empty() && path.front() == '/') {
    joined = path;
  } else {
    // Without a working folder a relative name would land at the filesystem's root: it names
    // no file, and the caller reports its failure as for any file it cannot open.
    if (current_fullPath.empty()) {
      showErrMessageToConsole("No working folder is set: " + std::string(path) + " is not opened.\n");
      return false;
    }
    joined = current_fullPath;
    if (joined.back() != '/') joined += '/';
    joined += path;
  }
  if (joined.size() + 1 > limit) {
    error_disp("Too long path name.");
    return false;
  }
  out = std::move(joined);
  return true;
}

namespace {

// The built-ins report their own fixed message ("Can't read file."); the system's reason goes
// to the console beside it.
std::FILE* openFailed(const std::string& full, int error) {
  showErrMessageToConsole("Can't open " + full + ": " + std::strerror(error) + "\n");
  errno = error;
  return nullptr;
}

}  // namespace

std::FILE* vk_fopen(std::string_view path, const char* mode) {
  std::string full;
  if (!changeFullPath(path, full, kPathBytes)) return nullptr;
  NowLoadSaveName = full;
  // Programs name files, never pipes or devices: opening a named pipe would wait for ever
  // where the break test cannot reach, and /dev/zero would fill the memory. The open does
  // not block, and anything but a regular file is refused.
  const std::string_view m(mode);
  const bool plus = m.find('+') != std::string_view::npos;
  int flags = O_CLOEXEC | O_NONBLOCK;
  switch (m.empty() ? 'r' : m.front()) {
    case 'w': flags |= (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC; break;
    case 'a': flags |= (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND; break;
    default: flags |= plus ? O_RDWR : O_RDONLY; break;
  }
  // Truncation waits until the file is known to be a regular one.
  const bool truncate = flags & O_TRUNC;
  const int fd = ::open(full.c_str(), flags & ~O_TRUNC, 0666);
  if (fd < 0) return openFailed(full, errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return openFailed(full, EINVAL);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (truncate && ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    return openFailed(full, error);
  }
  std::FILE* f = ::fdopen(fd, mode);
  if (!f) {
    const int error = errno;
    ::close(fd);
    return openFailed(full, error);
  }
  return f;
}

int DoNumVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (!assignmentFollows(count, code, *pc)) return readVariable(code[*pc], stack, sp);
  return DoLetNumVariable(count, code, pc, stack, sp);
}

int DoIntVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (!assignmentFollows(count, code, *pc)) return readVariable(code[*pc], stack, sp);
  return DoLetIntVariable(count, code, pc, stack, sp);
}

int DoStrVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (!assignmentFollows(count, code, *pc)) return readVariable(code[*pc], stack, sp);
  return DoLetStrVariable(count, code, pc, stack, sp);
}

int DoGraphVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  if (!assignmentFollows(count, code, *pc)) return readVariable(code[*pc], stack, sp);
  return DoLetGraphVariable(count, code, pc, stack, sp);
}
