#pragma once
// What the desk tools need of the calendar controller and the main window, filled once by the
// application (src/app/desk_tools.cpp), so that a tool depends on these functions and not on
// the controller's class. Tests fill only what their tool uses.

#include <QDate>
#include <QString>

#include <functional>

class QDockWidget;
class QMainWindow;
class QMenu;
class QTextEdit;

namespace pravella {

struct DeskToolHost {
  // Side views: at most one is open. A tool asks to close them all, opens its own and records
  // its number; closeAllToggleView also hides every dock given to addSideView.
  std::function<void()> closeAllToggleView;
  std::function<int(int)> setToggleStatus;  // answers the previous number
  std::function<int()> toggleStatus;
  std::function<void(QDockWidget*)> addSideView;

  // The shown document and the selected day.
  std::function<bool()> save;  // false: the shown document could not be saved
  std::function<QString()> nowDisplayedDocument;
  std::function<QString()> nowDisplayedFileOnMemoSheet;
  std::function<QDate()> selectedDay;
  std::function<void(const QDate&)> setSelectedDay;
  std::function<void()> showDiaryFiles;
  std::function<void()> selectCellSelectedDay;
  std::function<void()> beforeDayToPlain;
  std::function<void()> refreshCalendar;
  std::function<void(int)> selectDayAction2;
  std::function<void(const QString&)> selectDiaryFileFromNameAction;
  std::function<void(const QString&)> addDocumentToRireki;

  // Feedback sounds ("Tink", "Basso", ...), played only while sounds are on.
  std::function<void(const char*)> playSound;

  QMainWindow* mainWindow = nullptr;
  QTextEdit* documentView = nullptr;   // the main memo
  QTextEdit* memoSheetView = nullptr;  // the memo sheet's text
  QMenu* toolsMenu = nullptr;          // the tools' menu items go here
};

}  // namespace pravella
