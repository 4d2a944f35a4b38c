#pragma once
// A letter's built-ins as one table in the order of precedence: the first entry whose name
// and argument count both match runs. The same name may stand several times with different
// counts (each its own built-in); kAnyArgc accepts every count.

#include <span>
#include <string_view>
#include <vector>

#include "lang/values.h"

using VkBuiltinFn = VkCallFn;

constexpr int kAnyArgc = -1;

// The scalar form of a built-in that applies F to every element of a real matrix.
template <double (*F)(double)>
bool vkScalarOf(double x, double* out) {
  *out = F(x);
  return true;
}

struct VkBuiltin {
  std::string_view name;
  int argc;
  VkBuiltinFn run;
  // The same built-in on a real number, where it has such a form: compiled scalar code calls it
  // directly.
  VkScalarFn scalar = nullptr;
};

// Runs the first matching entry; "Unknown function." when none matches.
int vkRunBuiltinChain(std::span<const VkBuiltin> chain, int count, vk_Code* code, int* pc,
                      CalcStackEntry* stack, int* sp);

// Pops one argument (through vk_ta) and checks that it is a 1 by 1 real;
// "Invalid arguments." otherwise. The value is stored in *value.
int vkPopNumber(CalcStackEntry* stack, int* sp, double* value);
// Pops one string argument into `dst`; "Invalid arguments." when it is not a string.
int vkPopString(CalcStackEntry* stack, int* sp, char* dst);

// Every letter's table and the "ma" family's, so that tools and tests can go through all the
// built-ins (the dispatchers keep their own order of precedence).
struct VkBuiltinTable {
  std::string_view family;  // the letter, or "ma"
  std::span<const VkBuiltin> entries;
};
const std::vector<VkBuiltinTable>& vkBuiltinTables();
