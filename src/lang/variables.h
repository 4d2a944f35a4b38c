#pragma once
// Named values: the variable table, scoped by the module-call level (a variable is visible
// only at the level where it was made), the variable records of a running program, the two
// listings of the table, and the resolution of file names against the working folder.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "lang/values.h"

// The first record (table order) in use or reserved whose level is vk_level and whose name
// is `name`; 1 and its index, else 0.
int findVariable(const std::string& name, int* index);

// Reserves the first free record (state 2, no value yet) at vk_level; "Variable table
// overflow." when all are taken. Callers look with findVariable first.
int setNewVariable(const std::string& name, int kind, int* index);

// Stores a value into a fresh or reserved record at vk_level (module arguments, built-ins).
// `data` points at doubles (kind 0), integers (kind 4), picture bytes (kind 2) or a
// zero-terminated string (kind 1).
int PushToVariableTable(int index, const std::string& name, int kind, const void* data, int msize, int nsize);

// The same three by interned name (vkInternName), for callers that bind many variables.
int vkFindVariableId(int nameId);
int vkNewVariableId(const std::string& name, int nameId, int kind, int* index);
int vkStoreVariable(int index, const std::string& name, int nameId, int kind, const void* data, int msize,
                    int nsize);

// The record of `nameId` at vk_level (reserved first when there is none) takes a real number:
// the binding of a module argument. 0 after "Variable table overflow.".
int vkBindNumber(const std::string& name, int nameId, double value);

// Whether at least n records are free, so that binding n new names cannot overflow the table.
bool vkFreeRecordsAtLeast(int n);

int deleteHighLevelVariable(int level);
int deleteAllVariable();

// The two listings (built-ins "listVariableTable" and "showVariableTable").
int listVariableTable(std::string& text);
int showVariableTable(std::string& text);

// The value type a variable kind holds (0 -> 3, 1 -> 5, 2 -> 20, 4 -> 30; else 0).
int vkTypeOfKind(int kind);

// Variable records of a running program (kinds 4, 6, 31 and 21). When the next record is "=",
// the record assigns the value on top of the stack and steps over the "="; otherwise it pushes
// the variable's value. Return 1, or 0 after reporting.
int DoNumVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoStrVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoIntVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoGraphVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// The assignments alone: the record at *pc takes the value on top of the stack, which is
// dropped, and *pc steps over the "=" record that follows.
int DoLetNumVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoLetStrVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoLetIntVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);
int DoLetGraphVariable(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// Changes whenever a variable record is made, emptied, renamed, moved to another level or given
// a value of another kind or shape, so that what the executor found out about a record at one
// epoch and level holds as long as both are unchanged.
extern uint64_t vkVariableEpoch;

// A module call's own scope level for the epoch: vkEnterLevel before the call raises the level
// gives the call an epoch of its own; vkLeaveLevel, once the call's level is gone and vk_level
// is the caller's again, gives the caller back its epoch when no record at its level or below
// changed meanwhile, so that what the caller's records found before the call still holds.
struct VkLevelMark {
  uint64_t epoch;
  int lowestTouched;
};
VkLevelMark vkEnterLevel();
void vkLeaveLevel(const VkLevelMark& mark);

// The variable a code record names at the current level, found through the slot cached in
// the record; -1 when there is none.
int vkLookupVariable(vk_Code& record);

// Opens a file by a name relative to current_fullPath (a name beginning with "/" is used as
// it stands); the full name goes to NowLoadSaveName. Null when the open fails or the joined
// name is longer than a path buffer holds ("Too long path name.").
std::FILE* vk_fopen(std::string_view path, const char* mode);

// The same join into `out`; false (with "Too long path name.") when it would not fit `limit`
// bytes with its terminator.
bool changeFullPath(std::string_view path, std::string& out, std::size_t limit = kPathBytes);
