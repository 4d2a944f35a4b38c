#pragma once
// The application command bridge: how a running program drives the windows. A "cal_" built-in
// is checked against its row of the command table (command_table.h), its arguments become one
// payload text, and a notification named after the command is posted on the default
// notification centre with that text. Delivery is synchronous, also from the worker thread a
// program runs on: the observing window controller has finished, and any answer is on the
// program's stack, when the post returns.
//
// The observer's side of the protocol: a "get" command is answered by pushing exactly one
// value onto the running stack (the answer helpers below do it through pv_calc and pv_sp); an
// observer that cannot do its work sets pv_ErrorCheck to 1 and pushes nothing, which makes
// the command fail. A command that no window observes fails with a message instead of
// pretending to have been carried out.

#include <QString>
#include <QStringList>

#include <span>
#include <string_view>

#include "lang/values.h"

// The stack and stack position of the run that is inside an application command, valid while
// that command's notification is being delivered, and the failure flag (0 none, 1 an observer
// failed). The bridge clears the flag when a command starts; only observers set it.
extern CalcStackEntry* pv_calc;
extern int* pv_sp;
extern unsigned char pv_ErrorCheck;

// Runs the application command named by the record at *pc (the frame of DoFunction).
// Returns 1, or 0 after reporting ("Unknown function." for a name or argument count without
// entry, "Invalid arguments." for a wrong argument, the message of an unobserved post); an
// observer's failure returns 0 with the observer's own message, if any.
int DoFunctionPravellaCommand(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp);

// Posts `name` with the payload text `text` (both UTF-8) and returns 1 unless an observer set
// pv_ErrorCheck to 1. When nothing observes the name it reports "No window receives [name]."
// and returns 0: the work the caller asked for was not done. It does not clear the flag, and
// a caller that expects an answer sets pv_calc and pv_sp first.
int cal_callNotification(const char* name, const char* text);

// For built-ins outside the bridge that ask a window for an answer (a file chooser, say): sets
// pv_calc and pv_sp to the given stack, clears pv_ErrorCheck and posts as above. The observer's
// answer is then on top of that stack. Returns what cal_callNotification returns.
int vkCallNotificationForAnswer(CalcStackEntry* stack, int* sp, const char* name, const char* text);

namespace pravella {

// Answers for observers: each pushes one value onto the running stack (pv_calc, pv_sp) and
// returns true; when there is no command in progress or the push fails it sets pv_ErrorCheck
// to 1 and returns false.
bool answerString(std::string_view utf8);  // type 5; the text up to its first NUL byte
bool answerString(const QString& text);
inline bool answerString(const char* utf8) { return answerString(std::string_view(utf8)); }
bool answerNumber(double value);
bool answerNumbers(std::span<const double> row);  // one row of numbers (type 3, 1 x n)

// Marks the command in progress as failed.
void failCommand();

// The payload of a command's fields split at TAB, as the observers of several-field payloads
// read it.
QStringList payloadFields(const QString& payload);

}  // namespace pravella
