#include "lang/parser.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "lang/modules.h"
#include "lang/report.h"
#include "lang/text_services.h"
#include "platform/cformat.h"

namespace {

// A token line holds at most 255 characters: longer lines cannot be tokens.
constexpr std::size_t kMaxTokenLine = 255;
// Variable names with their suffix and call names before "(" hold at most 254 bytes.
constexpr std::size_t kMaxName = 254;

// Statements and expressions nest by recursion on the thread that compiles; deeper nesting
// than this is refused ("Too deep nesting.") long before that thread's stack could run out.
constexpr int kMaxNesting = 1000;

inline bool isPunct(unsigned char c) { return c < 0x80 && std::ispunct(c); }
inline bool isAlpha(unsigned char c) { return c < 0x80 && std::isalpha(c); }
inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Statement words: a token that begins with one of them takes neither a suffix nor a call
// parenthesis (so "format(" is not a call). "*", "/", "+" and "-" of the original table are
// never met here, since punctuation is returned before the table is looked at.
constexpr const char* kCtrl[] = {"for", "while", "repeat", "if", "else", "call", "module"};

bool beginsWithStatementWord(const std::string& t) {
  for (const char* w : kCtrl) {
    if (t.compare(0, std::strlen(w), w) == 0) return true;
  }
  return false;
}

inline bool isCommand(const std::string& t) { return t.compare(0, 5, "break") == 0; }

inline bool isRelation(const std::string& t) {
  return t == ">" || t == ">=" || t == "<>" || t == "==" || t == "<=" || t == "<";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Code arrays.

int HeapCodeMoemory(VkCodeArray& code, int /*n*/) {
  code.clear();
  return 1;
}

int ClearPtrOfCode(VkCodeArray& code, int /*n*/) {
  code.clear();
  return 1;
}

int freeCodeData(VkCodeArray& code, int /*n*/) {
  VkCodeArray().swap(code);
  return 1;
}

int SetFunctionToCode(VkCodeArray& code, int* count, const std::string& name, int kind, int argc) {
  // At most kCodeRecords - 1 records: the count after a write may not reach the limit.
  if (static_cast<int>(code.size()) >= kCodeRecords - 1) {
    error_disp("Code stack overflow");
    return 0;
  }
  vk_Code& rec = code.emplace_back();
  rec.kind = kind;
  rec.argc = argc;
  rec.name = name;
  // Number literals are converted once here; the text stays in the name.
  if (kind == kCodeNumber) rec.number = std::atof(name.c_str());
  if (count) *count = static_cast<int>(code.size());
  return 1;
}

int SetToCode(VkCodeArray& code, int* count, const std::string& name, int kind) {
  return SetFunctionToCode(code, count, name, kind, 0);
}

int findFuncAlias(std::string& name) {
  const int n = static_cast<int>(fncAliasTable.size());
  for (int i = 0; i < n && i < kAliasEntries; ++i) {
    const AliasEntry& e = fncAliasTable[i];
    if (e.alias.empty()) break;
    if (e.alias == name) {
      name = e.target;
      return 1;
    }
  }
  return 0;
}

// ---------------------------------------------------------------------------------------
// Reading tokens.

bool VkParser::next() {
  const int n = static_cast<int>(lines_.size());
  while (index_ < n && lines_[index_].empty()) ++index_;
  if (index_ >= n || lines_[index_].size() > kMaxTokenLine) return false;
  token.assign(lines_[index_]);
  const unsigned char first = static_cast<unsigned char>(token[0]);
  if (isPunct(first) || beginsWithStatementWord(token)) {
    ++index_;
    return true;
  }
  if (index_ + 1 < n) {
    const std::string_view following = lines_[index_ + 1];
    if (following == "$" || following == "#" || following == "%") {
      token += following;
      index_ += 2;
      return true;
    }
    if (following == "(" && token.size() >= 2) {
      findFuncAlias(token);
      token += '(';
      index_ += 2;
      return true;
    }
  }
  ++index_;
  return true;
}

bool VkParser::need(const char* label) {
  if (next()) return true;
  error_disp(pravella::cformat("Need more Instruction (%s)", label));
  return false;
}

bool VkParser::enter() {
  if (depth_ >= kMaxNesting) {
    error_disp("Too deep nesting.");
    return false;
  }
  ++depth_;
  return true;
}

bool VkParser::fail(const char* message) {
  error_disp(message);
  return false;
}

// After a command, block or expression statement: the text may end here. A line too long to
// be a token does not end it; the statement rule then meets the old token again and fails.
void VkParser::endStatement() {
  if (!next() && index_ >= static_cast<int>(lines_.size())) index_ = static_cast<int>(lines_.size()) + 1;
}

bool VkParser::emit(const std::string& name, int kind, int argc, int jump) {
  if (!SetFunctionToCode(*out, nullptr, name, kind, argc)) return false;
  out->back().jump = jump;
  return true;
}

bool VkParser::emitRecord(const vk_Code& record) {
  if (static_cast<int>(out->size()) >= kCodeRecords - 1) return fail("Code stack overflow");
  out->push_back(record);
  return true;
}

bool VkParser::append(const VkCodeArray& records) {
  for (const vk_Code& r : records)
    if (!emitRecord(r)) return false;
  return true;
}

// ---------------------------------------------------------------------------------------
// Statements.

int VkParser::kaiseki(VkCodeArray& code) {
  out = &code;
  index_ = 0;
  breakLevel = 0;
  if (!need("kaiseki")) return 0;
  while (index_ <= static_cast<int>(lines_.size())) {
    if (!bun()) return 0;
  }
  return 1;
}

int VkParser::bun() {
  if (!enter()) return 0;
  const int ok = statement();
  leave();
  return ok;
}

int VkParser::statement() {
  if (isCommand(token)) return command();
  if (token == "{") return block();
  if (token == "if") return ifStatement();
  if (token == "for") return forStatement();
  if (token == "while") return whileStatement();
  if (token == "module") return LetModule(*this);
  if (!let_bun()) return 0;
  if (token != ";") return fail("missing ';' or need more arguments");
  if (!emit(";", kCodeOperator)) return 0;
  endStatement();
  return 1;
}

int VkParser::command() {
  auto emitCommand = [this] {
    return token == "break" ? emit(pravella::cformat("break-%02d", breakLevel), kCodeCommand)
                            : emit(token, kCodeCommand);
  };
  if (!emitCommand() || !need("bun_01")) return 0;
  while (token != ";") {
    if (isCommand(token)) {
      if (!emit(token, kCodeCommand) || !need("bun_02")) return 0;
    } else if (!expression()) {
      return 0;
    }
  }
  if (!emit(";", kCodeOperator)) return 0;
  endStatement();
  return 1;
}

int VkParser::block() {
  if (!need("bun_03")) return 0;
  do {
    if (!bun()) return 0;
  } while (token != "}");
  endStatement();
  return 1;
}

int VkParser::ifStatement() {
  if (!need("LetIf_01")) return 0;
  if (token != "(") return fail("missing '('");
  if (!need("LetIf_02") || !expression()) return 0;
  if (token != ")") return fail("missing ')'");
  if (!need("LetIf_03")) return 0;
  const int ifAt = static_cast<int>(out->size());
  if (!emit("if", kCodeControl) || !bun()) return 0;
  if (token == "else") {
    const int gotoAt = static_cast<int>(out->size());
    if (!emit("goto", kCodeControl)) return 0;
    (*out)[ifAt].jump = gotoAt - ifAt + 1;
    if (!need("LetIf_04") || !bun()) return 0;
    (*out)[gotoAt].jump = static_cast<int>(out->size()) - gotoAt;
  } else {
    (*out)[ifAt].jump = static_cast<int>(out->size()) - ifAt;
  }
  return 1;
}

int VkParser::forStatement() {
  ++breakLevel;
  VkCodeArray step;
  if (!need("LetFor_01")) return 0;
  if (token != "(") return fail("missing '('");
  if (!need("LetFor_02") || !let_bun()) return 0;
  if (token != ";") return fail("missing ';'");
  if (!need("LetFor_03")) return 0;
  const int top = static_cast<int>(out->size());
  if (!expression()) return 0;
  if (token != ";") return fail("missing ';'");
  if (!need("LetFor_04")) return 0;
  const int ifAt = static_cast<int>(out->size());
  if (!emit("if", kCodeControl)) return 0;
  VkCodeArray* program = out;
  out = &step;
  const int stepOk = let_bun();
  out = program;
  if (!stepOk) return 0;
  if (token != ")") return fail("missing ')'");
  if (!need("LetFor_05") || !bun() || !append(step)) return 0;
  const int endAt = static_cast<int>(out->size());
  if (!emit(pravella::cformat("gotoX-%02d", breakLevel), kCodeControl, 0, top - endAt)) return 0;
  (*out)[ifAt].jump = static_cast<int>(out->size()) - ifAt;
  --breakLevel;
  return 1;
}

int VkParser::whileStatement() {
  ++breakLevel;
  const int top = static_cast<int>(out->size());
  if (!need("LetWhile_01")) return 0;
  if (token != "(") return fail("missing '('");
  if (!need("LetWhile_02") || !expression()) return 0;
  if (token != ")") return fail("missing ')'");
  if (!need("LetWhile_03")) return 0;
  const int ifAt = static_cast<int>(out->size());
  if (!emit("if", kCodeControl) || !bun()) return 0;
  const int endAt = static_cast<int>(out->size());
  if (!emit(pravella::cformat("gotoX-%02d", breakLevel), kCodeControl, 0, top - endAt)) return 0;
  (*out)[ifAt].jump = static_cast<int>(out->size()) - ifAt;
  --breakLevel;
  return 1;
}

// An expression statement or an assignment: the left side is compiled aside, since for an
// assignment its code (the variable record) must follow the right side's.
int VkParser::let_bun() {
  VkCodeArray left;
  VkCodeArray* program = out;
  out = &left;
  const int ok = expression();
  out = program;
  if (!ok) return 0;
  if (token != "=") return append(left) ? 1 : 0;
  if (!need("let_bun_01") || !expression() || !append(left)) return 0;
  return emit("=", kCodeOperator) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// Expressions.

int VkParser::expression() {
  if (!enter()) return 0;
  const int ok = orChain();
  leave();
  return ok;
}

int VkParser::orChain() {
  if (!expression_A()) return 0;
  while (token == "or" || token == "orF") {
    const std::string op = token;
    if (!need("expression_01") || !expression_A() || !emit(op, kCodeLogical)) return 0;
  }
  return 1;
}

int VkParser::expression_A() {
  if (!expression_B()) return 0;
  while (token == "and" || token == "andF") {
    const std::string op = token;
    if (!need("expression_A") || !expression_B() || !emit(op, kCodeLogical)) return 0;
  }
  return 1;
}

int VkParser::expression_B() {
  if (!expression_C()) return 0;
  while (isRelation(token)) {
    const std::string op = token;
    if (!need("expression_B") || !expression_C() || !emit(op, kCodeRelation)) return 0;
  }
  return 1;
}

int VkParser::expression_C() {
  const bool sign = token == "-" || token == "+";
  if (sign) {
    // A leading sign multiplies the first term only: -2^2 is -(2^2).
    if (!emit(token == "-" ? "-1" : "1", kCodeNumber) || !need("expression_C_01")) return 0;
  }
  if (!term()) return 0;
  if (sign && !emit("*", kCodeOperator)) return 0;
  bool first = true;
  while (token == "+" || token == "-") {
    const std::string op = token;
    const char* label = sign ? "expression_C_02" : first ? "expression_C_03" : "expression_C_04";
    first = false;
    if (!need(label) || !term() || !emit(op, kCodeOperator)) return 0;
  }
  return 1;
}

int VkParser::term() {
  if (!factor()) return 0;
  while (!token.empty() && std::strchr("*/x%", token[0]) != nullptr) {
    const std::string op = token;
    if (!need("term") || !factor() || !emit(op, kCodeOperator)) return 0;
  }
  return 1;
}

int VkParser::factor() {
  if (!enter()) return 0;
  const int ok = powers();
  leave();
  return ok;
}

int VkParser::powers() {
  if (!factor_sub()) return 0;
  while (!token.empty() && token[0] == '^') {
    if (!need("factor_01") || !factor() || !emit("^", kCodeOperator)) return 0;
  }
  while (!token.empty() && token[0] == '\'') {
    if (!emit("'", kCodeOperator) || !need("factor_02")) return 0;
  }
  while (!token.empty() && token[0] == '!') {
    if (!emit("!", kCodeOperator) || !need("factor_03")) return 0;
  }
  if (token == "++" || token == "--") {
    if (out->empty() || out->back().kind != kCodeNumVariable) return fail("Need numerical variable");
    const vk_Code var = out->back();
    if (!emit("1", kCodeNumber) || !emit(token == "++" ? "+" : "-", kCodeOperator) || !emitRecord(var) ||
        !emit("=", kCodeOperator) || !need("factor_04"))
      return 0;
  }
  return 1;
}

int VkParser::factorNot() {
  const std::string op = token;
  if (!enter()) return 0;
  const int ok = need("factorNot") && factor_sub() && emit(op, kCodeLogical);
  leave();
  return ok;
}

int VkParser::factor_sub() {
  if (token == "not" || token == "notF") return factorNot();
  if (token.empty()) return fail("Undefined instructions");
  const unsigned char first = static_cast<unsigned char>(token[0]);
  const char last = token.back();
  const bool named = token.size() >= 2;
  if (isDigit(first)) {
    std::string text = token;
    if (token.size() >= 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X'))
      text = pravella::cformat("%g", HexToDec(std::string_view(token).substr(2)));
    if (!emit(text, kCodeNumber)) return 0;
    return need("SetNumValue") ? 1 : 0;
  }
  if (first == '"') {
    std::string text;
    const std::string_view inner =
        token.size() >= 2 ? std::string_view(token).substr(1, token.size() - 2) : std::string_view();
    if (!swapTextString(inner, "\\:", "\n", text)) text.assign(inner);
    if (!emit("", kCodeString)) return 0;
    out->back().data = std::move(text);
    out->back().hasData = true;
    return need("SetStrValue") ? 1 : 0;
  }
  if (named && (last == '$' || last == '#')) {
    if (token.size() > kMaxName) return fail("Too long name.");
    if (!emit(token, last == '$' ? kCodeStrVariable : kCodeGraphVariable)) return 0;
    return need(last == '$' ? "SetStrVariable" : "SetGraphVariable") ? 1 : 0;
  }
  if (named && last == '%') return SetNumVariable(true);
  if (named && last == '(') return call();
  if (isCommand(token)) {
    const std::string name = token == "break" ? pravella::cformat("break-%02d", breakLevel) : token;
    if (!emit(name, kCodeCommand)) return 0;
    return need("SetCommand") ? 1 : 0;
  }
  if (isAlpha(first) || first == '_' || first >= 0x80) return SetNumVariable(false);
  if (token == "(") {
    if (!need("factorKakko_01") || !expression()) return 0;
    if (token != ")") return fail("missing ')'");
    return need("factorKakko_02") ? 1 : 0;
  }
  if (token == "|") return factorTeisu();
  return fail("Undefined instructions");
}

// A numeric or integer variable, with an optional index [rows, columns].
int VkParser::SetNumVariable(bool integer) {
  if (token.size() > kMaxName) return fail("Too long name.");
  const std::string var = token;
  const int kind = integer ? kCodeIntVariable : kCodeNumVariable;
  const char* l = integer ? "SetIntVariable_0" : "SetNumVariable_0";
  auto label = [l](int k) { return std::string(l) + static_cast<char>('0' + k); };
  if (!need(label(1).c_str())) return 0;
  if (token.empty() || token[0] != '[') return emit(var, kind) ? 1 : 0;
  if (!need(label(2).c_str()) || !range(integer, true, var)) return 0;
  if (token != ",") return fail("Invalid structure");
  if (!need(label(5).c_str()) || !range(integer, false, var)) return 0;
  if (token != "]") return fail("missing ']'");
  if (!emit("@", kCodeOperator) || !emit(var, kind)) return 0;
  return need(label(8).c_str()) ? 1 : 0;
}

// One index range: "#" (all: from 1 to msize or nsize of the variable), an expression, or an
// expression, the vertical bar and a second expression. A single expression gets 0 as its
// upper bound, which the element operator reads as "the same as the lower".
int VkParser::range(bool integer, bool rows, const std::string& var) {
  const char* l = integer ? "SetIntVariable_0" : "SetNumVariable_0";
  auto label = [l](int k) { return std::string(l) + static_cast<char>('0' + k); };
  if (!token.empty() && token[0] == '#') {
    if (!emit("1", kCodeNumber) || !emit(var, integer ? kCodeIntVariable : kCodeNumVariable) ||
        !emit(rows ? "msize" : "nsize", kCodeFunction, 1))
      return 0;
    return need(label(rows ? 3 : 6).c_str()) ? 1 : 0;
  }
  if (!expression()) return 0;
  if (token == "|") {
    if (!need(label(rows ? 4 : 7).c_str()) || !expression()) return 0;
    return 1;
  }
  return emit("0", kCodeNumber) ? 1 : 0;
}

int VkParser::call() {
  const std::string name = token.substr(0, token.size() - 1);
  if (name.size() > kMaxName) return fail("Too long name.");
  if (!need("SetFunction_01")) return 0;
  int argc = 0;
  for (;;) {
    if (!expression()) return 0;
    ++argc;
    if (token == ",") {
      if (!need("SetFunction_02")) return 0;
      continue;
    }
    if (token == ")") break;
    return fail("Illegal use of arguments");
  }
  int slot = 0;
  if (!emit(name, findModule(name, &slot) ? kCodeModule : kCodeFunction, argc)) return 0;
  return need("SetFunction_03") ? 1 : 0;
}

int VkParser::factorTeisu() {
  int rows = 0;
  int elements = 0;
  do {
    if (!need("factorTeisu_01")) return 0;
    for (;;) {
      if (!expression()) return 0;
      ++elements;
      if (token == ",") {
        if (!need("factorTeisu_02")) return 0;
        continue;
      }
      if (token == "|") break;
      return fail("missing '|'");
    }
    ++rows;
    if (!need("factorTeisu_03")) return 0;
  } while (token == "|");
  if (elements % rows != 0) return fail("Invalid Teisu format");
  return emit("|", kCodeOperator, elements / rows, rows) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------

int kaisekiMaesyori(const std::string& tokens, VkCodeArray& code, int* count) {
  std::vector<std::string_view> lines;
  const std::string_view text(tokens);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    // The line table has room for kCodeRecords lines; a longer text is refused, not cut.
    if (lines.size() > static_cast<std::size_t>(kCodeRecords)) {
      error_disp("Too many instructions.");
      return 0;
    }
  }
  code.clear();
  VkParser parser(std::move(lines));
  const int ok = parser.kaiseki(code);
  if (count) *count = static_cast<int>(code.size());
  return ok;
}
