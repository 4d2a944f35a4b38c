#include "lang/builtins/dispatch.h"

#include <cstdint>
#include <cstring>

#include "lang/builtins/builtin_table.h"
#include "lang/modules.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace {

using Dispatcher = int (*)(int, vk_Code*, int*, CalcStackEntry*, int*);

constexpr Dispatcher kLetters[26] = {
    DoFunctionA, DoFunctionB, DoFunctionC, DoFunctionD, DoFunctionE, DoFunctionF, DoFunctionG,
    DoFunctionH, DoFunctionI, DoFunctionJ, DoFunctionK, DoFunctionL, DoFunctionM, DoFunctionN,
    DoFunctionO, DoFunctionP, DoFunctionQ, DoFunctionR, DoFunctionS, DoFunctionT, DoFunctionU,
    DoFunctionV, DoFunctionW, DoFunctionX, DoFunctionY, DoFunctionZ,
};

using Table = std::span<const VkBuiltin> (*)();

constexpr Table kTables[26] = {
    vkBuiltinTableA, vkBuiltinTableB, vkBuiltinTableC, vkBuiltinTableD, vkBuiltinTableE, vkBuiltinTableF,
    vkBuiltinTableG, vkBuiltinTableH, vkBuiltinTableI, vkBuiltinTableJ, vkBuiltinTableK, vkBuiltinTableL,
    vkBuiltinTableM, vkBuiltinTableN, vkBuiltinTableO, vkBuiltinTableP, vkBuiltinTableQ, vkBuiltinTableR,
    vkBuiltinTableS, vkBuiltinTableT, vkBuiltinTableU, vkBuiltinTableV, vkBuiltinTableW, vkBuiltinTableX,
    vkBuiltinTableY, vkBuiltinTableZ,
};

// The entry of a chain that a record of this name and count runs; null when none matches.
const VkBuiltin* findInChain(std::span<const VkBuiltin> chain, const std::string& name, int argc) {
  for (const VkBuiltin& b : chain) {
    if (b.name == name && (b.argc == kAnyArgc || b.argc == argc)) return &b;
  }
  return nullptr;
}

// Whether the name belongs to a family with a dispatcher of its own (see DoFunction).
bool inFamily(const std::string& name) {
  const std::size_t n = name.size();
  return (n >= 3 && name.compare(0, 2, "ma") == 0) || (n >= 4 && name.compare(0, 3, "pv_") == 0) ||
         (n >= 5 && (name.compare(0, 4, "cal_") == 0 || name.compare(0, 4, "usr_") == 0));
}

int prefixed(Dispatcher d, int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const std::string name = code[*pc].name;
  const std::uint64_t linesBefore = pravella::consoleLinesWritten();
  if (d(count, code, pc, stack, sp)) return 1;
  // Only a failure that gave no reason of its own is named here: one line says why.
  if (pravella::consoleLinesWritten() == linesBefore)
    showErrMessageToConsole(pravella::cformat("Error occurred on [%s]!\n", name.c_str()));
  return 0;
}

}  // namespace

int DoFunction(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const std::string& name = code[*pc].name;
  const std::size_t n = name.size();
  if (n >= 3 && name.compare(0, 2, "ma") == 0) return prefixed(DoFunctionMA, count, code, pc, stack, sp);
  if (n >= 4 && name.compare(0, 3, "pv_") == 0) return prefixed(DoFunctionPV, count, code, pc, stack, sp);
  if (n >= 5 && name.compare(0, 4, "cal_") == 0)
    return prefixed(DoFunctionPravellaCommand, count, code, pc, stack, sp);
  if (n >= 5 && name.compare(0, 4, "usr_") == 0)
    return prefixed(DoFunctionUserProg, count, code, pc, stack, sp);
  const unsigned char first = n ? static_cast<unsigned char>(name[0]) : 0;
  if (first >= 'A' && first <= 'Z') return kLetters[first - 'A'](count, code, pc, stack, sp) ? 1 : 0;
  if (first >= 'a' && first <= 'z') return kLetters[first - 'a'](count, code, pc, stack, sp) ? 1 : 0;
  showErrMessageToConsole(pravella::cformat("Unknown Function [%s]!\n", name.c_str()));
  error_disp_unknown("Unknown Function!");
  return 0;
}

namespace {

// The entry a record of this name and count runs straight from its letter's table; null for the
// name families and unknown names.
const VkBuiltin* resolveEntry(const std::string& name, int argc) {
  if (name.empty() || inFamily(name)) return nullptr;
  const unsigned char first = static_cast<unsigned char>(name[0]);
  int letter = -1;
  if (first >= 'A' && first <= 'Z') letter = first - 'A';
  if (first >= 'a' && first <= 'z') letter = first - 'a';
  if (letter < 0) return nullptr;
  return findInChain(kTables[letter](), name, argc);
}

}  // namespace

VkCallFn vkResolveFunction(const std::string& name, int argc) {
  const VkBuiltin* b = resolveEntry(name, argc);
  return b ? b->run : nullptr;
}

VkScalarFn vkResolveScalarFunction(const std::string& name, int argc) {
  const VkBuiltin* b = resolveEntry(name, argc);
  return b ? b->scalar : nullptr;
}

int vkRunBuiltinChain(std::span<const VkBuiltin> chain, int count, vk_Code* code, int* pc,
                      CalcStackEntry* stack, int* sp) {
  const vk_Code& rec = code[*pc];
  if (const VkBuiltin* b = findInChain(chain, rec.name, rec.argc)) return b->run(count, code, pc, stack, sp);
  error_disp_unknown("Unknown function.");
  return 0;
}

const std::vector<VkBuiltinTable>& vkBuiltinTables() {
  static const std::vector<VkBuiltinTable> list = [] {
    static constexpr std::string_view kNames[26] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                                    "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                                    "S", "T", "U", "V", "W", "X", "Y", "Z"};
    std::vector<VkBuiltinTable> tables;
    for (int i = 0; i < 26; ++i) tables.push_back({kNames[i], kTables[i]()});
    tables.push_back({"ma", vkBuiltinTableMA()});
    return tables;
  }();
  return list;
}

int vkPopNumber(CalcStackEntry* stack, int* sp, double* value) {
  int type = 0, msize = 0, nsize = 0;
  if (!PopFromStack(stack, sp, vk_ta, &type, &msize, &nsize)) return 0;
  if (type != kValueReal || msize != 1 || nsize != 1) {
    error_disp("Invalid arguments.");
    return 0;
  }
  *value = vk_ta[0];
  return 1;
}

int vkPopString(CalcStackEntry* stack, int* sp, char* dst) {
  int type = 0, msize = 0, nsize = 0;
  if (!PopFromStack(stack, sp, dst, &type, &msize, &nsize)) return 0;
  if (type != kValueString) {
    error_disp("Invalid arguments.");
    return 0;
  }
  return 1;
}
