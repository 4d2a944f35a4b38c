#pragma once
// The desk tools of the main window: made once at start-up, after the calendar controller,
// with the host through which they reach it, their items going into the Tools menu. Each later
// tool adds its controller here.

#include <memory>

class QMenu;

#include "tools/ui/desk_tool_host.h"

class CalChangeWindow;
class CalDocSearch;
class CalFinder;
class CalDictionary;
class CalManual;
class CalEDic;
class CalFTP;
class CalBookMark;
class CalIndex;
class CalendarSetParam;
class CalSheetTable;
class CalLauncher;
class CalMail;
class CalNetwork;
class CalPictView;
class CalMovieView;
class CalChangePictSize;
class CalSelectImage;
class CalToDo;
class CalPreference;
class CalWebView;
class Calcndar;

namespace pravella {

class MainWindow;

class DeskTools {
 public:
  DeskTools(MainWindow& window, Calcndar& calendar, QMenu* toolsMenu);
  ~DeskTools();
  const DeskToolHost& host() const { return host_; }
  CalDocSearch* docSearch() const { return docSearch_.get(); }
  CalEDic* dictionary() const { return dictionary_.get(); }
  CalManual* manual() const { return manual_.get(); }
  CalNetwork* internet() const { return internet_.get(); }
  CalBookMark* bookmarks() const { return bookmarks_.get(); }
  CalWebView* web() const { return web_.get(); }
  CalFinder* finder() const { return finder_.get(); }
  CalFTP* ftp() const { return ftp_.get(); }

 private:
  void openTerminalAtSelectedDay(MainWindow& window);

  DeskToolHost host_;
  std::unique_ptr<CalDocSearch> docSearch_;
  std::unique_ptr<CalChangeWindow> layouts_;
  std::unique_ptr<CalIndex> outline_;
  std::unique_ptr<CalPreference> modules_;
  std::unique_ptr<CalBookMark> bookmarks_;
  std::unique_ptr<CalendarSetParam> handheld_;
  std::unique_ptr<CalSheetTable> tables_;
  std::unique_ptr<CalLauncher> launcher_;
  std::unique_ptr<CalToDo> toDo_;
  std::unique_ptr<CalEDic> dictionary_;
  std::unique_ptr<CalDictionary> textDictionary_;
  std::unique_ptr<CalManual> manual_;
  std::unique_ptr<CalNetwork> internet_;
  std::unique_ptr<CalMail> mail_;
  std::unique_ptr<CalPictView> pictures_;
  std::unique_ptr<CalMovieView> movies_;
  std::unique_ptr<CalChangePictSize> pictSize_;
  std::unique_ptr<CalSelectImage> selectImage_;
  std::unique_ptr<CalWebView> web_;
  std::unique_ptr<CalFinder> finder_;
  std::unique_ptr<CalFTP> ftp_;
};

}  // namespace pravella
