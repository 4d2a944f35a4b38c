#include "lang/modules.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "lang/executor.h"
#include "lang/parser.h"
#include "lang/report.h"
#include "lang/run_state.h"
#include "lang/scalar_loop.h"
#include "lang/scalar_run.h"
#include "lang/stack.h"
#include "lang/variables.h"
#include "platform/cformat.h"
#include "platform/console_log.h"

namespace {

// name -> slot, so that every call record does not compare 500 names; kept in step with the
// table by the functions below, the only ones that name or empty a slot.
std::unordered_map<std::string, int>& slotByName() {
  static std::unordered_map<std::string, int> map;
  return map;
}

int moduleDepth = 0;

// Bodies of modules deleted or redefined while a call was running: a running body must not be
// freed under its run, and a call holds no reference of its own (that would cost two atomic
// counts on every call). They go when the outermost call returns.
std::vector<std::shared_ptr<VkCodeArray>> retired;

inline std::vector<std::shared_ptr<VkCodeArray>>& retiredBodies() { return retired; }

void retire(std::shared_ptr<VkCodeArray>& code) {
  if (code && moduleDepth > 0) retiredBodies().push_back(std::move(code));
  code.reset();
}

}  // namespace

unsigned vkModuleEpoch = 1;

// The body of a module that vkCallModuleInline can call: the expression's run, and for each of
// its operands the argument it reads (-1 for a number).
struct VkInlineModule {
  std::shared_ptr<const VkScalarRun> run;
  int8_t argOf[VkScalarRun::kMaxRecords] = {};
  int argc = 0;
  int names = 0;  // distinct argument names: the records a call binds
};

namespace {

std::shared_ptr<const VkInlineModule> compileInline(const UserModuleSlot& slot) {
  if (!slot.code || slot.code->empty() || slot.argc < 1) return nullptr;
  for (int a = 0; a < slot.argc; ++a)
    if (slot.argTypes[a] != kValueReal) return nullptr;
  VkCodeArray& body = *slot.code;
  auto run = vkCompileScalarRun(body.data(), static_cast<int>(body.size()), 0);
  if (!run || run->store >= 0 || !run->returnAfter) return nullptr;
  auto m = std::make_shared<VkInlineModule>();
  for (int k = 0; k < run->operandCount; ++k) {
    m->argOf[k] = -1;
    if (run->operandRecord[k] < 0) continue;
    const std::string& name = body[run->operandRecord[k]].name;
    // Of two arguments of one name the first is bound last, so its value is the one read.
    for (int a = 0; a < slot.argc && m->argOf[k] < 0; ++a)
      if (slot.argNames[a] == name) m->argOf[k] = static_cast<int8_t>(a);
    // Any other name is no argument: reading it fails, and that is the long way's to report.
    if (m->argOf[k] < 0) return nullptr;
  }
  for (int a = 0; a < slot.argc; ++a) {
    bool first = true;
    for (int b = 0; b < a; ++b)
      if (slot.argNames[b] == slot.argNames[a]) first = false;
    if (first) ++m->names;
  }
  m->argc = slot.argc;
  m->run = std::move(run);
  return m;
}

unsigned returnCheckedEpoch = 0;
bool returnHidden = false;

const VkInlineModule* inlineModule(int index) {
  if (index < 0 || index >= static_cast<int>(UFNtable.size())) return nullptr;
  UserModuleSlot& slot = UFNtable[index];
  if (slot.inlineState == 0) {
    slot.inlineBody = compileInline(slot);
    slot.inlineState = slot.inlineBody ? 1 : 2;
  }
  if (slot.inlineState != 1) return nullptr;
  if (returnCheckedEpoch != vkModuleEpoch) {
    returnHidden = findModule("return", nullptr) != 0;
    returnCheckedEpoch = vkModuleEpoch;
  }
  if (returnHidden || moduleDepth >= kMaxModuleDepth) return nullptr;
  // The long way binds the arguments first: with the table full it fails there.
  if (!vkFreeRecordsAtLeast(slot.inlineBody->names)) return nullptr;
  return slot.inlineBody.get();
}

bool inlineValue(const VkInlineModule& m, const double* args, double* out) {
  double operands[VkScalarRun::kMaxRecords];
  for (int k = 0; k < m.run->operandCount; ++k) operands[k] = m.argOf[k] < 0 ? 0.0 : args[m.argOf[k]];
  return vkScalarRunValue(*m.run, operands, out);
}

}  // namespace

int vkInlineModuleArgs(int index) {
  const VkInlineModule* m = inlineModule(index);
  return m ? m->argc : -1;
}

bool vkInlineModuleValue(int index, const double* args, double* out) {
  return inlineValue(*UFNtable[index].inlineBody, args, out);
}

int vkModuleDepth() { return moduleDepth; }

const VkScalarLoop* vkCompactModuleBody(int index) {
  if (index < 0 || index >= static_cast<int>(UFNtable.size())) return nullptr;
  UserModuleSlot& slot = UFNtable[index];
  // A module defined or deleted since may change what a call in the body reaches.
  if (slot.compactState == 1 && slot.compactBody->epoch != vkModuleEpoch) slot.compactState = 0;
  if (slot.compactState == 0) {
    slot.compactState = 3;
    std::shared_ptr<const VkScalarLoop> body = vkCompileModuleBody(index);
    // The slot may have been emptied meanwhile only by a definition, which compiling never runs.
    slot.compactBody = std::move(body);
    slot.compactState = slot.compactBody ? 1 : 2;
  }
  return slot.compactState == 1 ? slot.compactBody.get() : nullptr;
}

int vkCompactModuleArgs(int index) {
  if (index < 0 || index >= static_cast<int>(UFNtable.size())) return -1;
  if (UFNtable[index].compactState == 3) return UFNtable[index].argc;
  const VkScalarLoop* body = vkCompactModuleBody(index);
  return body ? body->argc : -1;
}

int vkCallModuleCompact(int index, CalcStackEntry* stack, int* sp) {
  // While the button is down the long way runs, with the break tests of the body's "return".
  if (vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0) return -1;
  const VkScalarLoop* body = vkCompactModuleBody(index);
  if (!body || *sp < body->argc) return -1;
  double args[kModuleArguments];
  const CalcStackEntry* first = stack + (*sp - body->argc);
  for (int a = 0; a < body->argc; ++a) {
    const CalcStackEntry& e = first[a];
    if (e.type != kValueReal || e.msize != 1 || e.nsize != 1) return -1;
    args[a] = e.data.cdoubles()[0];
  }
  double value;
  const int got = vkRunModuleBody(*body, args, &value);
  if (got < 0) return -1;
  *sp -= body->argc;
  if (got == 1) {
    CalcStackEntry& out = stack[(*sp)++];
    out.type = kValueReal;
    out.msize = out.nsize = 1;
    out.data.setScalar(value);
  }
  return 1;
}

int vkCallModuleInline(int index, CalcStackEntry* stack, int* sp) {
  if (vkButtonDownSinceMs.load(std::memory_order_relaxed) != 0) return -1;
  const VkInlineModule* m = inlineModule(index);
  if (!m || *sp < m->argc) return -1;
  double args[kModuleArguments];
  const CalcStackEntry* first = stack + (*sp - m->argc);
  for (int a = 0; a < m->argc; ++a) {
    const CalcStackEntry& e = first[a];
    if (e.type != kValueReal || e.msize != 1 || e.nsize != 1) return -1;
    args[a] = e.data.cdoubles()[0];
  }
  double value;
  if (!inlineValue(*m, args, &value)) return -1;
  *sp -= m->argc;
  CalcStackEntry& out = stack[(*sp)++];
  out.type = kValueReal;
  out.msize = out.nsize = 1;
  out.data.setScalar(value);
  return 1;
}

int initUFNtable() {
  for (UserModuleSlot& slot : UFNtable) retire(slot.code);
  UFNtable.clear();
  UFNtable.resize(kModuleSlots);
  slotByName().clear();
  ++vkModuleEpoch;
  return 1;
}

int findModule(const std::string& name, int* index) {
  if (name.empty()) return 0;
  const auto& map = slotByName();
  auto it = map.find(name);
  if (it == map.end()) return 0;
  if (it->second >= static_cast<int>(UFNtable.size()) || UFNtable[it->second].name != name) return 0;
  if (index) *index = it->second;
  return 1;
}

int DoDeleteModule(int index) {
  if (index < 0 || index >= static_cast<int>(UFNtable.size())) return 1;
  UserModuleSlot& slot = UFNtable[index];
  auto& map = slotByName();
  auto it = map.find(slot.name);
  if (it != map.end() && it->second == index) map.erase(it);
  ++vkModuleEpoch;
  slot.name.clear();
  slot.argc = 0;
  slot.inlineBody.reset();
  slot.inlineState = 0;
  slot.compactBody.reset();
  slot.compactState = 0;
  for (std::string& a : slot.argNames) a.clear();
  for (int& t : slot.argTypes) t = 0;
  // A running body is retired, not freed, so deleting a module from inside itself cannot pull
  // the code from under the run.
  retire(slot.code);
  slot.codeCount = 0;
  return 1;
}

int DoDeleteModuleAll() {
  for (int i = 0; i < static_cast<int>(UFNtable.size()); ++i) DoDeleteModule(i);
  slotByName().clear();
  return 1;
}

int LetModule(VkParser& parser) {
  if (UFNtable.size() != static_cast<std::size_t>(kModuleSlots)) initUFNtable();
  auto needMore = [] {
    error_disp("Need more arguments.");
    return 0;
  };
  if (!parser.next()) return needMore();
  const std::string& head = parser.token;
  const std::string name = head.empty() ? std::string() : head.substr(0, head.size() - 1);
  showErrMessageToConsole(pravella::cformat("Loading Module [%s]\n", name.c_str()));
  if (head.size() < 2 || head.back() != '(') {
    error_disp("Invalid module structure.");
    return 0;
  }
  if (name.size() > 254) {
    error_disp("Too long name.");
    return 0;
  }

  int index = -1;
  if (!findModule(name, &index)) {
    for (int i = 0; i < static_cast<int>(UFNtable.size()); ++i) {
      if (UFNtable[i].name.empty()) {
        index = i;
        break;
      }
    }
  }
  if (index < 0) {
    error_disp("User Function table overflow.");
    return 0;
  }
  DoDeleteModule(index);
  UserModuleSlot& slot = UFNtable[index];

  auto failEmpty = [index](const char* message) {
    if (message) error_disp(message);
    DoDeleteModule(index);
    return 0;
  };
  int argc = 0;
  std::string argNames[kModuleArguments];
  int argTypes[kModuleArguments] = {};
  for (;;) {
    if (!parser.next()) return failEmpty("Need more arguments.");
    int type = 0;
    if (!isVariable(parser.token, &type)) return failEmpty("Invalid arguments.");
    if (argc == kModuleArguments) return failEmpty("Too many arguments.");
    argNames[argc] = parser.token;
    argTypes[argc] = type;
    ++argc;
    if (!parser.next()) return failEmpty("Need more arguments.");
    if (parser.token[0] == ')') break;
    if (parser.token[0] != ',') return failEmpty("Invalid arguments.");
  }
  // From here the module is found, also by a call inside its own body.
  slot.name = name;
  slot.argc = argc;
  for (int i = 0; i < argc; ++i) {
    slot.argNames[i] = argNames[i];
    slot.argTypes[i] = argTypes[i];
    slot.argIds[i] = vkInternName(argNames[i]);
  }
  slotByName()[name] = index;
  ++vkModuleEpoch;

  if (!parser.next()) return failEmpty("Need more arguments.");
  auto body = std::make_shared<VkCodeArray>();
  VkCodeArray* program = parser.out;
  parser.out = body.get();
  const int ok = parser.bun();
  parser.out = program;
  if (!ok) return failEmpty(nullptr);
  slot.codeCount = static_cast<int>(body->size());
  slot.code = std::move(body);
  return 1;
}

int DoUsrFunction(vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  int index = 0;
  if (!findModule(code[*pc].name, &index)) {
    error_disp("Unknown Usr function.");
    return 0;
  }
  return vkCallModule(index, stack, sp);
}

int vkCallModule(int index, CalcStackEntry* stack, int* sp) {
  if (moduleDepth >= kMaxModuleDepth) {
    error_disp("Too deep module call.");
    return 0;
  }
  // The body may delete or redefine its own module: it is then retired, not freed, until the
  // outermost call returns. The slot itself is read only while the arguments are bound.
  const UserModuleSlot& slot = UFNtable[index];
  VkCodeArray* const body = slot.code.get();

  ++vk_level;
  for (int a = slot.argc - 1; a >= 0; --a) {
    const int type = slot.argTypes[a];
    if (type == kValueReal && *sp > 0) {
      // A number, the usual argument, is bound in one step.
      const CalcStackEntry& value = stack[*sp - 1];
      if (value.type == kValueReal && value.msize == 1 && value.nsize == 1) {
        if (!vkBindNumber(slot.argNames[a], slot.argIds[a], value.data.cdoubles()[0])) return 0;
        --*sp;
        continue;
      }
    }
    const int kind = type == kValueString    ? kVarString
                     : type == kValuePicture ? kVarPicture
                     : type == kValueInt     ? kVarInt
                                             : kVarReal;
    int var = vkFindVariableId(slot.argIds[a]);
    if (var < 0 && !vkNewVariableId(slot.argNames[a], slot.argIds[a], kind, &var)) return 0;
    if (*sp <= 0) {
      error_disp("Stack (calc)");
      return 0;
    }
    const CalcStackEntry& value = stack[*sp - 1];
    if (value.type != type) {
      error_disp("Argument type  mismatch.");
      return 0;
    }
    if (!vkStoreVariable(var, slot.argNames[a], slot.argIds[a], kind, value.data.data(), value.msize,
                         value.nsize))
      return 0;
    --*sp;
  }
  if (body && !body->empty()) {
    ++moduleDepth;
    // Whatever the body gives, the caller goes on: an error inside it is reported and ends
    // only the body.
    Keisan(static_cast<int>(body->size()), body->data(), stack, sp);
    --moduleDepth;
    if (moduleDepth == 0 && !retiredBodies().empty()) retiredBodies().clear();
  }
  return 1;
}

int DoFunctionPV(int /*count*/, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  const vk_Code& rec = code[*pc];
  const bool dataDirectory = rec.name == "pv_dataDirectory";
  const bool displayMode = rec.name == "pv_displayMode";
  if ((!dataDirectory && !displayMode) || rec.argc != 1) {
    error_disp_unknown("Unknown function.");
    return 0;
  }
  int type = 0, msize = 0, nsize = 0;
  if (!PopFromStack(stack, sp, vk_ta, &type, &msize, &nsize)) return 0;
  if (type != kValueReal || msize != 1 || nsize != 1) {
    error_disp("Invalid arguments.");
    return 0;
  }
  if (dataDirectory) {
    return PushToStack(stack, sp, vkDataPathString.c_str(), kValueString,
                       static_cast<int>(vkDataPathString.size()), 0);
  }
  pv_displayModeStatus = vkTruncToInt(vk_ta[0]);
  return 1;
}
