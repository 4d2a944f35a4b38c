#pragma once
// The calendar controller of the main window, also the application's delegate: it builds the
// diary's folder tree and reads the user's files at start (calcndar_startup.cpp), runs the
// month grid of day cells and the day folders (calcndar_grid.cpp), lists the selected day's
// documents (calcndar_documents.cpp), and saves what must survive a quit.

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <QVariant>
#include <array>
#include <functional>

#include "diary/ui/get_key_on_table.h"

namespace pravella {
class MainWindow;
}

class Calcndar : public QObject, public DiaryFileTableDelegate {
  Q_OBJECT
 public:
  // The grid's cells 0-36 hold days; 37-41 are fixed buttons.
  static constexpr int kLastDayCell = 36;

  explicit Calcndar(pravella::MainWindow* window, QObject* parent = nullptr);
  ~Calcndar() override;

  // ---- start-up and shutdown (calcndar_startup.cpp)
  // The folder tree, the defaults, the user's lists and files, today's month, the observers.
  void awakeFromNib();
  // The user's modules, the emptied work folder, the colour names, the window frame.
  void applicationDidFinishLaunching();
  // Saves what must survive; false cancels the quit.
  bool applicationShouldTerminate();
  // The close button of the main window: false keeps the window.
  bool windowShouldClose();
  // Writes the window frame file.
  void windowWillClose();
  void setMainWindowSizeAndPosition();
  bool loadFuncAlias();
  // The menu's Quit: ends the application when applicationShouldTerminate agrees.
  void quitAction();

  // ---- the month grid (calcndar_grid.cpp)
  QDate selectedDay() const { return selectedDay_; }
  void setSelectedDay(const QDate& day);
  void refreshCalendar();
  bool makeSelectedDayFolder(const QDate& day);
  void selectDayAction(int tag);
  void selectDayAction2(int day);
  void beforeDayToPlain();
  void selectCellSelectedDay();
  void calendarIncDay() override;
  void calendarDecDay() override;
  void incMonthAction();
  void decMonthAction();
  void nextYearAction();
  void lastYearAction();
  void todayAction();
  void changeMonthAction();
  int compSelectedDate() const;
  int compSelectedDocumentDate(const QString& path) const;
  void setDocBackGroundColor(int comparison);
  void setMoonImageView();
  void toggleDispMoonAgeStatus();
  void toggleMoonAge();
  void changeCalMoonAge(const QString& value);
  QVariantList getMoonAgeStatus() const;
  int startOffset() const { return startOffset_; }
  int moonDispStatus() const { return moonDispStatus_; }
  int moonAgeCalculationNumber() const { return moonAgeCalculationNumber_; }

  // ---- the selected day's documents (calcndar_documents.cpp)
  void showDiaryFiles();
  void getDiaryFilesList(const QString& folder);
  void setDateToDiaryFilesTableHeader(const QString& text);
  void showSelectedDiaryFile(int row);
  bool save();
  bool saveAction() { return save(); }
  void addDocumentToRireki(const QString& path);
  void closeAllToggleView();
  void selectDiaryWithOption(bool option) override;
  void selectDiaryFileAction() override;
  void fileListTableUp() override;
  void fileListTableDown() override;
  void deleteFileAction() override;
  const QStringList& diaryFiles() const { return diaryFiles_; }
  QString nowDisplayedDocument() const { return nowDisplayedDocument_; }
  bool selectDiaryWithOptionStatus() const { return selectDiaryWithOptionStatus_; }

  // ---- state read by other controllers
  const QStringList& recentMemo() const { return recentMemo_; }
  const QString& rememberString() const { return rememberString_; }
  const std::array<double, 5>& sideViewWidths() const { return sideViewWidths_; }
  // The memo sheet's text, kept in Preferences/tempMemo.rtfd across launches.
  QTextDocument* memoSheetDocument() const { return memoSheetDocument_; }

  // ---- seams: the clock, the alert panels and the end of the process, replaced by tests
  void setTodaySource(std::function<QDate()> source) { todaySource_ = std::move(source); }
  QDate today() const { return todaySource_(); }
  // Shows an alert and answers the index of the chosen button.
  using AlertPanel =
      std::function<int(const QString& title, const QString& message, const QStringList& buttons)>;
  void setAlertPanel(AlertPanel panel) { alertPanel_ = std::move(panel); }
  void setTerminator(std::function<void()> terminator) { terminator_ = std::move(terminator); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // start-up steps (calcndar_startup.cpp)
  void registerObservers();
  void loadMemoSheetDocument();
  bool saveMemoSheetDocument();
  void loadModuleFromModulesFolder();
  void primaryPreferencesBackupProcess();
  bool requestTerminate(bool fromCloseEvent);
  int alert(const QString& title, const QString& message, const QStringList& buttons);

  // grid helpers (calcndar_grid.cpp)
  void setCellFont(int tag, bool bold);
  int cellOfDay(int day) const { return day + startOffset_ - 1; }
  void goToDay(const QDate& day);

  pravella::MainWindow* window_;

  QDate selectedDay_;
  int startOffset_ = 0;
  QStringList diaryFiles_;
  QString nowDisplayedDocument_;
  QString nowDisplayedFileOnMemoSheet_;
  QStringList recentMemo_;
  QString recentMemoRejectString_;
  QString rememberString_;
  std::array<QString, 20> menuScriptFileName_{};
  int toggleStatus_ = 0;
  int beforeSheet_ = 0;
  int saveButtonNumber_ = 2;
  int mihensyuButtonNumber_ = 8;
  int beforeButtonNumber_ = 3;
  int afterButtonNumber_ = 4;
  int moonDispStatus_ = 0;
  int moonAgeCalculationNumber_ = 0;
  int changeTableViewFontColor_ = 0;
  int clickNumberOnDiaryFileTable_ = 0;
  bool selectDiaryWithOptionStatus_ = false;
  bool tmpBackGroundColorStatus_ = false;
  std::array<double, 5> sideViewWidths_{500, 500, 500, 500, 500};
  QTextDocument* memoSheetDocument_ = nullptr;
  bool memoSheetFileUnreadable_ = false;

  bool terminating_ = false;
  std::function<QDate()> todaySource_;
  AlertPanel alertPanel_;
  std::function<void()> terminator_;
};

// The single calendar controller; set at the end of awakeFromNib.
extern Calcndar* PravellaSelf;
