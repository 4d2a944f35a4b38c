#pragma once
// The parser: token text (one token per line) to code records in postfix order. Control
// statements become jump records with relative distances; module definitions go straight into
// the module table and compile to nothing.

#include <string>
#include <string_view>
#include <vector>

#include "lang/values.h"

// Compiles token text into `code` (emptied first); `count` receives the number of records.
// Returns 1, or 0 after reporting through error_disp.
int kaisekiMaesyori(const std::string& tokens, VkCodeArray& code, int* count);

// Code-array lifecycle. Arrays grow as needed; the limit of kCodeRecords - 1 records per array
// is enforced where records are written ("Code stack overflow").
int HeapCodeMoemory(VkCodeArray& code, int n);
int ClearPtrOfCode(VkCodeArray& code, int n);
int freeCodeData(VkCodeArray& code, int n);

// Writes a record at the end of `code` (count = its size afterwards); 0 with "Code stack
// overflow" when the array is full. Number literals get their value here.
int SetToCode(VkCodeArray& code, int* count, const std::string& name, int kind);
int SetFunctionToCode(VkCodeArray& code, int* count, const std::string& name, int kind, int argc);

// Replaces `name` by the target of its alias; 1 when it did.
int findFuncAlias(std::string& name);

// The recursive-descent compiler. Module definitions (modules.cpp) use it to read tokens and
// compile their body.
class VkParser {
 public:
  explicit VkParser(std::vector<std::string_view> lines) : lines_(std::move(lines)) {}

  int kaiseki(VkCodeArray& code);

  // nextStatement: reads the next token into `token`; false when no line is left or the next
  // line is too long to be a token.
  bool next();
  // next(), or report "Need more Instruction (label)".
  bool need(const char* label);
  // One statement into the current target array.
  int bun();

  std::string token;
  VkCodeArray* out = nullptr;

 private:
  bool emit(const std::string& name, int kind, int argc = 0, int jump = 0);
  bool emitRecord(const vk_Code& record);
  bool append(const VkCodeArray& records);
  void endStatement();
  bool fail(const char* message);

  int statement();
  int orChain();
  int powers();
  int command();
  int block();
  int ifStatement();
  int forStatement();
  int whileStatement();
  int let_bun();
  int expression();
  int expression_A();
  int expression_B();
  int expression_C();
  int term();
  int factor();
  int factor_sub();
  int factorNot();
  int SetNumVariable(bool integer);
  int range(bool integer, bool rows, const std::string& var);
  int call();
  int factorTeisu();

  // Nesting of statements and expressions being compiled; see kMaxNesting.
  bool enter();
  void leave() { --depth_; }

  std::vector<std::string_view> lines_;
  int index_ = 0;
  int depth_ = 0;
};
