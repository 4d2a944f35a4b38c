#pragma once
// The application commands: every "cal_" built-in as one row of one table (name, argument
// count, argument form, the notification it posts, and what a "get" command's observer leaves
// on the running stack). The bridge (command_bridge.h) looks a call up here by its exact name
// and argument count; the manual browser and the tests list the table.

#include <span>
#include <string_view>

namespace pravella {

// How a command's arguments are checked and turned into the payload text. "Number" always
// means a 1 x 1 real; argument fields of several arguments are joined by one TAB.
enum class CalForm : unsigned char {
  Trigger,      // one number, value ignored; payload " "
  Choice,       // one number; payload "0" for 0, else "1"
  Integer,      // one number; payload "%ld" (truncated toward zero)
  Real,         // one number; payload "%g"
  Text,         // one string; payload the string
  TextOrNone,   // a string, or any value whose first stored byte is 0 (the empty text)
  Range,        // a 1 x 2 real (location, length), refused when both are negative; "%ld\t%ld"
  Vector3,      // a 1 x 3 real; "%g %g %g"
  TextNumbers,  // a string, then a 1 x `param` real; the string, then TAB "%g" per number
  TextText,     // two strings; "%s\t%s"
  NumberText,   // a number in 0 < n <= `param` (< with `strictLimit`), a string; "%ld\t%s"
  Menu3,        // a number k in 0 < k <= `param`, two non-empty strings; "%ld\t%s\t%s"
  Special,      // checked and carried out by the bridge itself (see CalSpecial)
};

// What the observer of a "get" command pushes onto the running stack.
enum class CalAnswer : unsigned char {
  None,
  String,
  Number,
  Row2,  // one row of 2 numbers
  Row3,
  Row4,
  Picture,  // pushed by the bridge from the clipboard the observer filled
};

// Commands the bridge carries out itself, or with extra work around the post.
enum class CalSpecial : unsigned char {
  None,
  OpenWebSheet,           // one real of any shape: open the web browser sheet
  WebBrowser,             // a string: load it as an address in the web sheet
  WikiSearch,             // a string: encyclopedia search in the web sheet
  SpotlightSearch,        // a string: the month list's search of all memos (state 0)
  SpotlightFooSearch,     // the same with state 1
  UserDiaryPath,          // a number: push the diary folder's path
  GetImage,               // a control name: post, then push the picture left on the clipboard
  SetImage,               // a control name and a picture: picture to the clipboard, post the name
  SaveToSTJ,              // picture, file name, quality: picture to the clipboard, post path and q
  BuildAmModeObject,      // a string (a panel definition's path) or a number
  OpenURL,                // a string or a number
  SetCalendarView,        // a number: 0 and not 0 post two different notifications
  NoEffect,               // a number, checked; nothing further
  NoEffectMenu3,          // the menu3 checks; nothing further
  Command,                // two strings; the second is posted
  AddUserMenuItem2,       // two non-empty strings
  AddUserMenuItem4,       // two non-empty strings, a one-byte string, a number
  SetAmModeButtonTitleX,  // three strings and a 1 x 5 real
  FileCode,               // TextText whose second string is a four-byte code
};

struct CalCommand {
  std::string_view name;
  int argc = 1;
  CalForm form = CalForm::Trigger;
  std::string_view posts;  // the notification; empty: the command's own name
  CalAnswer answer = CalAnswer::None;
  CalSpecial special = CalSpecial::None;
  int param = 0;  // row length (TextNumbers), upper limit (NumberText, Menu3)
  bool strictLimit = false;

  std::string_view notification() const { return posts.empty() ? name : posts; }
};

// Every application command, in the order of the observing windows.
std::span<const CalCommand> calCommandTable();

// The entry whose name and argument count both match exactly; null when there is none (a
// known name called with another count has no entry either).
const CalCommand* findCalCommand(std::string_view name, int argc);

}  // namespace pravella
