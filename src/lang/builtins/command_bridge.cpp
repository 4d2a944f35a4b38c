#include "lang/builtins/command_bridge.h"

#include <new>
#include <string>
#include <vector>

#include "lang/builtins/bridge_own_commands.h"
#include "lang/builtins/command_args.h"
#include "lang/builtins/command_table.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "platform/cformat.h"
#include "platform/notification_center.h"

CalcStackEntry* pv_calc = nullptr;
int* pv_sp = nullptr;
unsigned char pv_ErrorCheck = 0;

namespace pravella::bridge {

CommandScope::CommandScope(CalcStackEntry* stack, int* sp)
    : savedCalc_(pv_calc), savedSp_(pv_sp), savedFlag_(pv_ErrorCheck), nested_(depth_ > 0) {
  ++depth_;
  pv_calc = stack;
  pv_sp = sp;
  pv_ErrorCheck = 0;
}

CommandScope::~CommandScope() {
  --depth_;
  // The stack and position go back to what they were: an outer command whose observer ran a
  // nested program must answer on its own stack, not on the finished nested one's. A nested
  // command's failure flag belongs to the nested run; at the top level the flag stays until
  // the next command, for whoever looks at it.
  pv_calc = savedCalc_;
  pv_sp = savedSp_;
  if (nested_) pv_ErrorCheck = savedFlag_;
}

int postCommand(std::string_view name, const std::string& payload) {
  return cal_callNotification(std::string(name).c_str(), payload.c_str());
}

}  // namespace pravella::bridge

namespace {

using namespace pravella;
using namespace pravella::bridge;

// Checks the arguments of a command of one of the common forms and builds its payload.
// Returns 1 with the payload, or 0 after reporting.
int buildPayload(const CalCommand& c, CalcStackEntry* stack, int* sp, std::string& payload) {
  double number = 0.0;
  std::string text, text2;
  std::vector<double> row;
  switch (c.form) {
    case CalForm::Trigger:
      if (!popNumber(stack, sp, number)) return 0;
      payload = " ";
      return 1;
    case CalForm::Choice:
      if (!popNumber(stack, sp, number)) return 0;
      payload = number == 0.0 ? "0" : "1";
      return 1;
    case CalForm::Integer:
      if (!popNumber(stack, sp, number)) return 0;
      payload = fieldLong(number);
      return 1;
    case CalForm::Real:
      if (!popNumber(stack, sp, number)) return 0;
      payload = fieldReal(number);
      return 1;
    case CalForm::Text:
      if (!popString(stack, sp, payload)) return 0;
      return 1;
    case CalForm::TextOrNone:
      if (!popTextOrNone(stack, sp, payload)) return 0;
      return 1;
    case CalForm::Range:
      if (!popRow(stack, sp, 2, row)) return 0;
      // A negative length alone is how programs say "to the end"; only both negative is
      // meaningless.
      if (row[0] < 0 && row[1] < 0) return invalidArguments();
      payload = fieldLong(row[0]) + '\t' + fieldLong(row[1]);
      return 1;
    case CalForm::Vector3:
      if (!popRow(stack, sp, 3, row)) return 0;
      payload = cformat("%g %g %g", row[0], row[1], row[2]);
      return 1;
    case CalForm::TextNumbers:
      if (!popRow(stack, sp, c.param, row)) return 0;
      if (!popString(stack, sp, payload)) return 0;
      for (double v : row) payload += '\t' + fieldReal(v);
      return 1;
    case CalForm::TextText:
      if (!popString(stack, sp, text2)) return 0;
      if (!popString(stack, sp, text)) return 0;
      // Classic file type and creator codes are exactly four bytes.
      if (c.special == CalSpecial::FileCode && text2.size() != 4) return invalidArguments();
      payload = text + '\t' + text2;
      return 1;
    case CalForm::NumberText: {
      if (!popString(stack, sp, text)) return 0;
      if (!popNumber(stack, sp, number)) return 0;
      const bool inRange = number > 0 && (c.strictLimit ? number < c.param : number <= c.param);
      if (!inRange) return invalidArguments();
      payload = fieldLong(number) + '\t' + text;
      return 1;
    }
    case CalForm::Menu3:
      if (!popString(stack, sp, text2)) return 0;
      if (text2.empty()) return invalidArguments();
      if (!popString(stack, sp, text)) return 0;
      if (text.empty()) return invalidArguments();
      if (!popNumber(stack, sp, number)) return 0;
      // Written so that NaN fails too.
      if (!(number > 0 && number <= c.param)) return invalidArguments();
      payload = fieldLong(number) + '\t' + text + '\t' + text2;
      return 1;
    case CalForm::Special:
      break;
  }
  return invalidArguments();
}

bool expectsOneValue(CalAnswer answer) { return answer != CalAnswer::None && answer != CalAnswer::Picture; }

int runCommand(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  if (c.form == CalForm::Special || c.special == CalSpecial::NoEffectMenu3) {
    if (c.special == CalSpecial::NoEffectMenu3) {
      std::string unused;
      return buildPayload(c, stack, sp, unused);
    }
    return runSpecialCommand(c, stack, sp);
  }
  std::string payload;
  if (!buildPayload(c, stack, sp, payload)) return 0;
  const int before = *sp;
  if (!postCommand(c.notification(), payload)) return 0;
  // A question that comes back without its one answer would leave the program's stack one
  // value short, and the next operation would take the wrong value: fail here instead.
  if (expectsOneValue(c.answer) && *sp != before + 1) {
    error_disp(cformat("No answer came back from [%s].", std::string(c.notification()).c_str()));
    return 0;
  }
  return 1;
}

}  // namespace

int DoFunctionPravellaCommand(int /*count*/, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp) {
  CommandScope scope(stack, sp);
  const vk_Code& record = code[*pc];
  const CalCommand* command = findCalCommand(record.name, record.argc);
  if (!command) {
    error_disp_unknown("Unknown function.");
    return 0;
  }
  try {
    return runCommand(*command, stack, sp);
  } catch (const std::bad_alloc&) {
    error_disp("Can not allocateMemory");
    return 0;
  }
}

int cal_callNotification(const char* name, const char* text) {
  NotificationCenter& center = NotificationCenter::defaultCenter();
  const QString qname = QString::fromUtf8(name);
  // Without an observer the post would do nothing and the program would go on as if the
  // window had done its work; say so instead.
  if (!center.hasObservers(qname)) {
    error_disp(cformat("No window receives [%s].", name));
    return 0;
  }
  center.post(qname, QString::fromUtf8(text));
  return pv_ErrorCheck != 1;
}

int vkCallNotificationForAnswer(CalcStackEntry* stack, int* sp, const char* name, const char* text) {
  CommandScope scope(stack, sp);
  return cal_callNotification(name, text);
}

namespace pravella {

namespace {

bool pushAnswer(const void* data, int type, int msize, int nsize) {
  if (!pv_calc || !pv_sp || !PushToStack(pv_calc, pv_sp, data, type, msize, nsize)) {
    pv_ErrorCheck = 1;
    return false;
  }
  return true;
}

}  // namespace

bool answerString(std::string_view utf8) {
  std::string text(utf8.substr(0, utf8.find('\0')));
  return pushAnswer(text.c_str(), kValueString, static_cast<int>(text.size()), 0);
}

bool answerString(const QString& text) { return answerString(text.toUtf8().toStdString()); }

bool answerNumber(double value) { return pushAnswer(&value, kValueReal, 1, 1); }

bool answerNumbers(std::span<const double> row) {
  return pushAnswer(row.data(), kValueReal, 1, static_cast<int>(row.size()));
}

void failCommand() { pv_ErrorCheck = 1; }

QStringList payloadFields(const QString& payload) { return payload.split(QLatin1Char('\t')); }

}  // namespace pravella
