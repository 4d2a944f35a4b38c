// The application commands that the bridge carries out itself, or with work around the post:
// the web sheet and memo search requests, the diary path, the pictures that travel over the
// clipboard, and the commands whose argument handling is their own.

#include "lang/builtins/bridge_own_commands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <string>
#include <vector>

#include "diary/month_list_requests.h"
#include "editors/text_services.h"
#include "graphics/picture_clipboard.h"
#include "lang/builtins/command_args.h"
#include "lang/builtins/command_bridge.h"
#include "lang/report.h"
#include "lang/stack.h"
#include "lang/variables.h"
#include "net/web/web_sheet_requests.h"
#include "platform/cformat.h"
#include "platform/notification_center.h"

namespace pravella::bridge {

namespace {

// A request to a window that has no observer: the same message an unobserved post gives.
int noWindow(const CalCommand& c) {
  error_disp(cformat("No window receives [%s].", std::string(c.name).c_str()));
  return 0;
}

// Whether a window observes the command's notification. Checked before a picture replaces
// what the user had on the clipboard, so that a command that cannot be carried out leaves it.
bool windowReceives(const CalCommand& c) {
  const std::string name(c.notification());
  if (NotificationCenter::defaultCenter().hasObservers(QString::fromStdString(name))) return true;
  error_disp(cformat("No window receives [%s].", name.c_str()));
  return false;
}

int openWebSheetCommand(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  if (!popRealAnyShape(stack, sp)) return 0;
  return openWebSheet() ? 1 : noWindow(c);
}

int webRequest(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  std::string text;
  if (!popString(stack, sp, text)) return 0;
  bool taken = false;
  switch (c.special) {
    case CalSpecial::WebBrowser:
      taken = DoWebBrowser(text.c_str());
      break;
    case CalSpecial::WikiSearch:
      taken = DoWebBrowserWithWikiSearch(text.c_str());
      break;
    case CalSpecial::SpotlightSearch:
      taken = DoSpotlightSearchOnVK(text.c_str(), 0);
      break;
    case CalSpecial::SpotlightFooSearch:
      taken = DoSpotlightSearchOnVK(text.c_str(), 1);
      break;
    default:
      break;
  }
  return taken ? 1 : noWindow(c);
}

int userDiaryPath(CalcStackEntry* stack, int* sp) {
  double unused = 0.0;
  if (!popNumber(stack, sp, unused)) return 0;
  std::string path;
  getUserDiaryPath(path);
  return PushToStack(stack, sp, path.c_str(), kValueString, static_cast<int>(path.size()), 0);
}

// The observer puts the control's picture on the clipboard; the bridge brings it to the stack.
int getImage(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  std::string name;
  if (!popString(stack, sp, name)) return 0;
  if (!postCommand(c.notification(), name)) return 0;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    error_disp("Can not get currentScrap");
    return 0;
  }
  const QByteArray picture = pictureFromClipboard();
  if (picture.isEmpty()) {
    error_disp("No Picture in ClipBoard");
    return 0;
  }
  if (static_cast<std::size_t>(picture.size()) >= static_cast<std::size_t>(TNumber) * 8) {
    error_disp("Too Big Text");
    return 0;
  }
  return PushToStack(stack, sp, picture.constData(), kValuePicture, static_cast<int>(picture.size()), 0);
}

// A picture for a control: it travels over the clipboard, the control's name in the payload.
int setImage(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  QByteArray picture;
  std::string name;
  if (!popPicture(stack, sp, picture)) return 0;
  if (!popString(stack, sp, name)) return 0;
  if (!windowReceives(c) || !DoCopyPictureToScrap(picture)) return 0;
  return postCommand(c.notification(), name);
}

int saveToSTJ(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  double quality = 0.0;
  std::string file;
  QByteArray picture;
  if (!popNumber(stack, sp, quality)) return 0;
  if (!(quality > 0 && quality <= 1)) return invalidArguments();
  if (!popString(stack, sp, file)) return 0;
  if (!popPicture(stack, sp, picture)) return 0;
  std::string path;
  if (!changeFullPath(file, path)) return 0;
  if (!windowReceives(c) || !DoCopyPictureToScrap(picture)) return 0;
  return postCommand(c.notification(), path + '\t' + fieldReal(quality));
}

// A string goes to `onString` with the text; a number to the command's own name with " ".
int stringOrNumber(const CalCommand& c, CalcStackEntry* stack, int* sp, const char* onString) {
  StringOrNumber arg;
  if (!popStringOrNumber(stack, sp, arg)) return 0;
  if (arg.isString) return postCommand(onString, arg.text);
  return postCommand(c.notification(), " ");
}

int setCalendarView(CalcStackEntry* stack, int* sp) {
  double number = 0.0;
  if (!popNumber(stack, sp, number)) return 0;
  return postCommand(number == 0.0 ? "cal_setCalendarViewBase" : "cal_setCalendarView_01", " ");
}

int noEffect(CalcStackEntry* stack, int* sp) {
  double unused = 0.0;
  return popNumber(stack, sp, unused) ? 1 : 0;
}

int command(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  std::string a, b;
  if (!popString(stack, sp, b)) return 0;
  if (!popString(stack, sp, a)) return 0;
  if (a.empty() || a.size() >= 1024 || b.empty()) return invalidArguments();
  return postCommand(c.notification(), b);
}

int addUserMenuItem2(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  std::string a, b;
  if (!popString(stack, sp, b)) return 0;
  if (!popString(stack, sp, a)) return 0;
  if (a.empty() || b.empty()) return invalidArguments();
  return postCommand(c.notification(), a + '\t' + b);
}

int addUserMenuItem4(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  double k = 0.0;
  std::string a, b, key;
  if (!popNumber(stack, sp, k)) return 0;
  if (!popString(stack, sp, key)) return 0;
  if (!popString(stack, sp, b)) return 0;
  if (!popString(stack, sp, a)) return 0;
  if (a.empty() || b.empty() || key.size() != 1) return invalidArguments();
  return postCommand(c.notification(), a + '\t' + b + '\t' + key + '\t' + fieldLong(k));
}

int setAmModeButtonTitleX(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  std::vector<double> e;
  std::string a, b, d;
  if (!popRow(stack, sp, 5, e)) return 0;
  if (!popString(stack, sp, d)) return 0;
  if (!popString(stack, sp, b)) return 0;
  if (!popString(stack, sp, a)) return 0;
  // The control's name field holds 1,023 bytes.
  if (a.size() > 1023) return invalidArguments();
  std::string payload = a + '\t' + b + '\t' + d;
  payload += '\t' + fieldReal(static_cast<double>(truncToLong(e[0])));
  for (std::size_t i = 1; i < e.size(); ++i) payload += '\t' + fieldReal(e[i]);
  return postCommand(c.notification(), payload);
}

}  // namespace

int runSpecialCommand(const CalCommand& c, CalcStackEntry* stack, int* sp) {
  switch (c.special) {
    case CalSpecial::OpenWebSheet:
      return openWebSheetCommand(c, stack, sp);
    case CalSpecial::WebBrowser:
    case CalSpecial::WikiSearch:
    case CalSpecial::SpotlightSearch:
    case CalSpecial::SpotlightFooSearch:
      return webRequest(c, stack, sp);
    case CalSpecial::UserDiaryPath:
      return userDiaryPath(stack, sp);
    case CalSpecial::GetImage:
      return getImage(c, stack, sp);
    case CalSpecial::SetImage:
      return setImage(c, stack, sp);
    case CalSpecial::SaveToSTJ:
      return saveToSTJ(c, stack, sp);
    case CalSpecial::BuildAmModeObject:
      return stringOrNumber(c, stack, sp, "buildAmModeObjectWithPath");
    case CalSpecial::OpenURL:
      return stringOrNumber(c, stack, sp, "cal_openURL_str");
    case CalSpecial::SetCalendarView:
      return setCalendarView(stack, sp);
    case CalSpecial::NoEffect:
      return noEffect(stack, sp);
    case CalSpecial::Command:
      return command(c, stack, sp);
    case CalSpecial::AddUserMenuItem2:
      return addUserMenuItem2(c, stack, sp);
    case CalSpecial::AddUserMenuItem4:
      return addUserMenuItem4(c, stack, sp);
    case CalSpecial::SetAmModeButtonTitleX:
      return setAmModeButtonTitleX(c, stack, sp);
    case CalSpecial::None:
    case CalSpecial::NoEffectMenu3:
    case CalSpecial::FileCode:
      break;
  }
  return invalidArguments();
}

}  // namespace pravella::bridge
