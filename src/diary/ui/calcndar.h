#pragma once
// The calendar controller of the main window, also the application's delegate: it builds the
// diary's folder tree and reads the user's files at start (calcndar_startup.cpp), runs the
// month grid of day cells and the day folders (calcndar_grid.cpp), lists the selected day's
// documents (calcndar_documents.cpp), and saves what must survive a quit.

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <QTimer>
#include <QVariant>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "diary/document_history.h"
#include "diary/one_shot_timer.h"
#include "diary/ui/get_key_on_table.h"

class CalOption;
class QDockWidget;
class QColor;
class QImage;
class QLabel;
class QMenu;
class QMimeData;
class QTextEdit;

namespace pravella {
struct RecoveredEdit;
class DocumentSlot;
class EditJournal;
class MainWindow;
class MemoSheetDrawer;
class PictureDrawer;
struct DocumentSave;
struct RecoveredEdit;
}  // namespace pravella

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
  // The side views are made after the first frame: until applicationDidFinishLaunching, a
  // shown document that opens in one (a picture or movie document, a medical image) waits for
  // it instead of going to the desktop's opener.
  void sideViewsComeLater() { sideViewsComeLater_ = true; }
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
  // The end no one is asked about (a signal, the session's end): a running program is asked
  // to stop and what it queued for the memo is dropped, any panel is cancelled, every edited
  // view is saved at once as Quit saves it (a new memo whose name is taken goes beside it
  // instead of into the save panel; an edit that cannot be written goes to a recovery folder),
  // and the application ends, after at most kRunStopWaitMs for a run that does not stop.
  void terminateUnattended();
  // The recovery folder's edits, offered one by one after the start (open, move, later): those
  // that were there when it started (`edits`), or those there now. Copies this process keeps of
  // its own views meanwhile are never offered back to it.
  void offerRecoveredEdits();
  void offerRecoveredEdits(const QList<pravella::RecoveredEdit>& edits);
  // The application is ending with no one to answer a panel or an alert.
  bool endingUnattended() const { return endingUnattended_; }
  // That end left behind a run that does not answer the break (its memo was saved as it
  // stood): the process ends without waiting for it.
  bool runLeftGoing() const { return endingUnattended_ && !runsStopped_; }
  // The shown memo as the console names it when the end could not save it.
  QString memoNameAtEnd() const;

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
  // The document shown when a day is selected (start-up, a click on a day, the keys, the
  // month and year buttons, Today): the first of the day's that this application shows
  // itself, else a new memo. Another program starts only on a click on its document.
  void showFirstDiaryFile();
  void selectDiaryFileFromNameAction(const QString& name);
  void selectDiaryFileNameFromNameAction(const QString& name);
  void openDocumentOnMemoForNumberSelect(int row);
  void openWebarchiveOnWebBrowserFromName(const QString& path);
  void newDocument();
  void newFileAction();
  void openTemplate();
  void deleteDocumentView();
  // Saves the shown memo; false when it is not saved (the edited mark stays, the user is told).
  bool save();
  // The save of imported old documents: no save panel.
  bool save_2();
  bool saveAction() { return save(); }
  void saveDocAction();
  bool saveWithSymbolicLink(const QString& path);
  void saveTitleAction();
  void checkFileName();
  void textDidChange();
  void adjustSaveDurtyButton();
  void noDurtyAction();
  void selectDiaryWithOption(bool option) override;
  void selectDiaryFileAction() override;
  void fileListTableUp() override;
  void fileListTableDown() override;
  void deleteFileAction() override;
  // The delete question's answer: 2 is "Delete".
  void alertSheetDidDismissForDelete(int answer, const QString& path);
  bool deleteFileToTrash(const QString& path);
  // A row's name edited in the table.
  void renameDiaryFileRow(int row, const QString& typed);
  QMimeData* dragDataForRow(int row) const override;
  // Links the files into the selected day's folder and lists the day again.
  void filesDropped(const QStringList& paths) override;
  void changeTableFontForeColor(int mode);
  void toggleTableFontForeColor();
  int tableFontColorMode() const { return changeTableViewFontColor_; }
  void setClickNumberOnDiaryFileTable(int n) { clickNumberOnDiaryFileTable_ = n; }
  const QStringList& diaryFiles() const { return diaryFiles_; }
  QString nowDisplayedDocument() const { return nowDisplayedDocument_; }
  QString nowDisplayedFileOnMemoSheet() const { return nowDisplayedFileOnMemoSheet_; }
  bool selectDiaryWithOptionStatus() const { return selectDiaryWithOptionStatus_; }
  bool autoSaveStatus() const { return autoSaveTimer_ && autoSaveTimer_->isActive(); }

  // ---- links in the main memo (calcndar_links.cpp)
  // The flags of the memo's last double click, set before the link checks run.
  void doubleClickOnTextView(bool on) { doubleClickOnTextView_ = on; }
  void doubleClickOnTextViewWithShiftKey(bool on) { doubleClickWithShift_ = on; }
  void doubleClickOnTextViewWithOptiontKey(bool on) { doubleClickWithOption_ = on; }
  void doubleClickOnTextViewWithCommandKey(bool on) { doubleClickWithCommand_ = on; }
  // Follows the bracketed link ("[target]" on one line) around the main memo's caret: a
  // document of the diary, a file, or a heading of the memo (else a memo search for it).
  // False when the caret stands in no bracket pair or the document cannot be shown.
  bool checkDocumentLink();
  // Opens the plain web address ("http://" or "ftp://" up to the next blank) around the caret.
  bool checkURL();
  // A clicked link value of the memo: a program ("!vk" and code), a dictionary entry, a file or
  // a web page. Always true.
  bool textViewClickedOnLink(const QString& value);
  // Moves the calendar to `day` and opens the document at `path` of it in the main memo. The
  // shown memo is saved first, in its own day; when it cannot be, the day stays and this is
  // false.
  bool goToDocumentOfDay(const QString& path, const QDate& day);

  // ---- making links (calcndar_link_making.cpp), on the focused memo's selection
  // The selection becomes a program link (red) to the clipboard's text, an encyclopedia or a
  // web search link (orange) for the selected words.
  void programLinkDocumentAction();
  void wikiLinkDocumentAction();
  void nullLinkDocumentAction();
  // Asks for a document: the selection becomes a link to it, or with no selection its
  // bracketed link text goes in at the caret.
  void linkDocumentAction();
  void didEndSelectLinkDocument(int returnCode, const QString& path);
  // A symbolic link to the shown document (the end of its chain) in today's folder, named
  // with the header field's text, the name and its day: "Tink" when made, else "Basso".
  void symbolicLinkCurrentDisplayedDocumentToTodayFolder();
  // Ask for a file, a picture folder or a movie folder and link it into the selected day.
  void symbolicLinkAction();
  void symbolicLinkToGraphAction();
  void symbolicLinkToMovieAction();
  void didEndGetDirectorySheetAndSetSymbolicLink(int returnCode, const QString& path, const QString& context);
  // The end of the path's chain of symbolic links; empty for a chain that loops.
  QString orijinalFilePath(const QString& path) const;

  // ---- history, recent memos, remembered string (calcndar_history.cpp)
  void addDocumentToRireki(const QString& path);
  void deleteDocumentToRireki(const QString& path);
  void clearHistoryAction();
  void beforeDocumentAction();
  void afterDocumentAction();
  void openRirekiDocument();
  void adjustRirekiButton();
  void makeRecentMemo(const QString& path);
  void addRecentMemoToMenu();
  void recentMemoMenuAction(int tag);
  void setRecentMemoRejectString(const QString& reject);
  void DoSetRememberString(const QString& text);
  void DoInsertRememberString();
  void DoRemember();
  void setDocJumpInDoc();
  void clearDocJumpInDoc();
  const pravella::DocumentHistory& history() const { return rireki_; }
  QMenu* recentMemoMenu() const { return recentMemoMenu_; }
  QMenu* recentMemoMenu2() const { return recentMemoMenu2_; }

  // ---- side views, memo menu buttons, memo commands (calcndar_side_views.cpp)
  int setToggleStatus(int status);
  // A tool's dock that closeAllToggleView hides with the calendar's own side views.
  void addSideView(QDockWidget* view);
  int toggleStatus() const { return toggleStatus_; }
  int beforeSheet() const { return beforeSheet_; }
  void closeAllToggleView();
  // The open side views that keep a text of their own (the launcher and bookmark memos, the
  // table sheet, the memo sheet, the row memo view, the finder) write it. False when the memo
  // sheet could not be written.
  bool saveSideViewTexts();
  void openBeforeSheet();
  void openMemoView();
  void openMemoViewOpen();
  // Saves the memo sheet, then shows the file there (recorded in the sheet's own history).
  void openDocumentOnMemo(const QString& path);
  // The date (and time) stamp into the focused memo: the main memo through
  // "pasteDateInMainDoc" / "pasteDateTimeInMainDoct", the memo sheet directly.
  void pasteDateAction();
  void pasteDateTimeAction();
  // A tool's text view that takes the stamps while it has the focus.
  void addDateStampView(QWidget* view, std::function<void(bool withTime)> paste);
  // The finder sheet's text: while it has the focus, Save, New, Delete and the stamps go to the
  // sheet as its notifications.
  void setFinderTextView(QWidget* view) { finderTextView_ = view; }
  // Re-indents the focused memo from its marks ("Basso" when no memo has the focus).
  void autoIndent();
  // The main memo shows temporary highlights that its next edit removes.
  void setTmpBackGroundColorStatus(bool on) { tmpBackGroundColorStatus_ = on; }
  void memoMenuButtonsAction(int tag);
  void executeCommandScript(const QString& name);
  int calcDocLines() const;
  void showNumOfTextSize();
  void textViewDidChangeSelection();
  QLabel* numOfTextSizeField() const { return numOfTextSizeField_; }
  QLabel* numOfSelectedTextSizeField() const { return numOfSelectedTextSizeField_; }
  bool checkSheetTable();
  void dispDocumentView();
  pravella::MemoSheetDrawer* memoSheet() const { return memoSheet_; }
  pravella::PictureDrawer* pictureDrawer() const { return pictureDrawer_; }
  const std::array<QString, 20>& menuScriptFileName() const { return menuScriptFileName_; }

  // ---- state read by other controllers
  const QStringList& recentMemo() const { return recentMemo_.paths(); }
  const QString& rememberString() const { return rememberString_; }
  // The widths of the five side views the window frame file keeps, in its order.
  std::array<double, 5> sideViewWidths() const;
  static constexpr std::array<const char*, 5> kFrameFileSideViews = {
      "toggleMemo", "monthDiaryView", "webNSDrawer", "manualDrawer", "eDicDrawer"};
  // The memo sheet's text; which file it belongs to is the memo options controller's to say.
  QTextDocument* memoSheetDocument() const { return memoSheetDocument_; }
  // The memo options controller (it registers itself when made, before awakeFromNib).
  void setCalendarOption(CalOption* option) { calendarOption_ = option; }
  CalOption* calendarOption() const { return calendarOption_; }

  // ---- seams: the clock, the alert panels and the end of the process, replaced by tests
  void setTodaySource(std::function<QDate()> source) { todaySource_ = std::move(source); }
  QDate today() const { return todaySource_(); }
  // Shows an alert and answers the index of the chosen button.
  using AlertPanel =
      std::function<int(const QString& title, const QString& message, const QStringList& buttons)>;
  void setAlertPanel(AlertPanel panel) { alertPanel_ = std::move(panel); }
  void setTerminator(std::function<void()> terminator) { terminator_ = std::move(terminator); }
  // The time a memo saved without a name is named after.
  void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
  void setAutoSaveTimer(std::unique_ptr<pravella::OneShotTimer> timer);
  // Plays a feedback sound ("Tink", "Basso", "Pop", "Purr"); only while pvSoundStatus is on.
  void setSoundPlayer(std::function<void(const char*)> play) { playSound_ = std::move(play); }
  // Starts a program that opens a file with the desktop's application for it.
  using Opener = std::function<bool(const QString& program, const QStringList& args, const QString& folder)>;
  void setOpener(Opener opener) { opener_ = std::move(opener); }
  // The save panel of a new memo: the chosen path, or empty when cancelled.
  using SavePanel = std::function<QString(const QString& title, const QString& folder, const QString& name)>;
  void setSavePanel(SavePanel panel) { savePanel_ = std::move(panel); }
  // The open panel of the link commands: the chosen path, or empty when cancelled.
  using OpenPanel = std::function<QString(const QString& title, const QString& folder, bool folders)>;
  void setOpenPanel(OpenPanel panel) { openPanel_ = std::move(panel); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The window's size and place on a fresh home: its whole frame inside the available area.
  void placeFirstFrame();
  // start-up steps (calcndar_startup.cpp)
  void registerObservers();
  void loadMemoSheetDocument();
  bool saveMemoSheetDocument();
  void loadModuleFromModulesFolder();
  void primaryPreferencesBackupProcess();
  bool requestTerminate(bool fromCloseEvent);
  // `safe`: the index of the button that changes nothing, which Escape and closing give (-1:
  // the one titled "Cancel", else the first).
  int alert(const QString& title, const QString& message, const QStringList& buttons, int safe = -1);

  // grid helpers (calcndar_grid.cpp)
  void setCellFont(int tag, bool bold);
  int cellOfDay(int day) const { return day + startOffset_ - 1; }
  void goToDay(const QDate& day);

  // document helpers (calcndar_documents.cpp)
  bool saveDocument(bool withPanel);
  // The save panel for a new document in `folder`, proposing `proposed`: the chosen path with
  // ".rtfd", asking before it names a document that is there (its replacement goes to the
  // Trash); empty when the user cancels.
  QString chooseNewDocumentPath(const QString& folder, const QString& proposed);
  // A new memo whose folder cannot be made, saved where no one watches: its text goes to the
  // recovery folder instead. Always false (the memo was not saved where it belongs).
  bool keepMemoInRecovery(const QString& intended);
  void moveRecoveredEdit(const pravella::RecoveredEdit& edit);
  bool finishSave(const QString& savedPath, bool fromPanel);
  // Writes the memo (through the document registry); a failure is told in an alert.
  pravella::DocumentSave writeMemo(const QString& path);
  // The shown document read again: another view saved it while the memo held no edits.
  void reloadShownDocument();
  // The memo now shows another day's document while the day shows no memo document: it
  // becomes the day's new memo instead.
  void leaveOtherDaysDocument();
  // The saves of applicationShouldTerminate; `ask` false asks nothing and goes on past failures.
  bool saveEverything(bool ask);
  QString dayFolder() const;
  int selectedRow() const;
  void sound(const char* name);
  void openWithDesktop(const QString& folder, const QString& fileName);
  void colourTableRows();
  void openImage(const QString& path);
  void showPictureView(const QImage& image);
  bool moveDocument(const QString& oldPath, const QString& newPath);
  // The name on disk of the row's document, once it bears the name it is listed with; nullopt,
  // with the reason in the status line, when it cannot take that name.
  std::optional<QString> claimRowName(int row) const;
  // The shown document was moved or renamed elsewhere (the finder): the memo is saved there.
  void followMovedDocument(const QString& path);
  // The shown document went to the Trash elsewhere: the memo keeps its text, unsaved.
  void keepTrashedDocumentAsMemo();
  // Takes back the status line keepTrashedDocumentAsMemo wrote, while it still shows it.
  void clearTrashedNotice();
  // Another view moved or trashed documents: the day's list shows what is there now.
  void refreshDiaryFilesAfterMove();
  QTextEdit* memoSheetField() const;
  // link helpers (calcndar_links.cpp)
  bool moveCalendarToDocument(const QString& path, const QDate& day);
  void launchURL(const QString& text);
  // link making helpers (calcndar_link_making.cpp)
  void buildLinksMenu();
  void registerLinkObservers();
  void makeSelectionLink(const QString& value, const QColor& colour, bool needsValue);
  void chooseSymbolicLinkTarget(const QString& title, bool folders, const QString& context);
  QTextEdit* firstResponderTextView() const;
  // history helpers (calcndar_history.cpp)
  void openDocumentOfPath(const QString& path);
  void changeHistory(const std::function<void()>& change);
  void stepHistory(int step);
  void stepBack();
  void stepForward();
  int shownHistoryPosition() const;
  void openHistoryEntry(int position, int selectionStart);
  // side views (calcndar_side_views.cpp)
  void registerDocumentObservers();
  void buildSideViews();
  // The View menu's memo sheet; the Edit menu's table at the caret and remembered string.
  void buildMemoMenuItems();
  QTextEdit* focusedTextView() const;
  // A command that cannot do what it names says why in the status line, with "Basso".
  void refuse(const QString& why);

  pravella::MainWindow* window_;

  QDate selectedDay_;
  int startOffset_ = 0;
  QStringList diaryFiles_;
  QString nowDisplayedDocument_;
  QString nowDisplayedFileOnMemoSheet_;
  pravella::RecentMemoList recentMemo_;
  pravella::DocumentHistory rireki_;
  QStringList docJumpInDoc_;
  QMenu* recentMemoMenu_ = nullptr;
  QMenu* recentMemoMenu2_ = nullptr;
  pravella::MemoSheetDrawer* memoSheet_ = nullptr;
  pravella::PictureDrawer* pictureDrawer_ = nullptr;
  std::vector<QPointer<QDockWidget>> toolSideViews_;
  std::vector<std::pair<QPointer<QWidget>, std::function<void(bool)>>> dateStampViews_;
  QPointer<QWidget> finderTextView_;
  // Posts `name` when the finder text has the focus; true when it did.
  bool redirectToFinder(const char* name);
  QTimer indexRefresh_;  // the outline's rebuild a second after an edit
  QLabel* numOfTextSizeField_ = nullptr;
  QLabel* numOfSelectedTextSizeField_ = nullptr;
  std::unique_ptr<pravella::OneShotTimer> autoSaveTimer_;
  std::unique_ptr<pravella::DocumentSlot> memoSlot_;    // the main memo's file in the registry
  std::unique_ptr<pravella::EditJournal> memoJournal_;  // the memo's unsaved edits, kept against a crash
  std::function<QDateTime()> clock_;
  std::function<void(const char*)> playSound_;
  Opener opener_;
  SavePanel savePanel_;
  OpenPanel openPanel_;
  bool loadingMemo_ = false;
  bool sideViewsComeLater_ = false;
  // The shown document's side view, opened once the side views are there.
  std::function<void()> openWhenLaunched_;
  bool steppingHistory_ = false;
  std::deque<int> pendingHistorySteps_;
  int clickedColumn_ = -1;
  QString lastWriteError_;
  QString rememberString_;
  std::array<QString, 20> menuScriptFileName_{};
  int toggleStatus_ = 0;
  QString trashedNotice_;  // the status line of a shown document gone to the Trash
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
  bool doubleClickOnTextView_ = false;
  bool doubleClickWithShift_ = false;
  bool doubleClickWithOption_ = false;
  bool doubleClickWithCommand_ = false;
  QTextDocument* memoSheetDocument_ = nullptr;
  CalOption* calendarOption_ = nullptr;

  bool terminating_ = false;
  bool endingUnattended_ = false;              // a signal or the session ends: no panel may open
  bool savingAtEnd_ = false;                   // the end's saves have begun
  bool runsStopped_ = false;                   // the end found no run going, or its runs stopped
  static constexpr int kRunStopWaitMs = 2000;  // how long the end waits for a run to stop
  std::function<QDate()> todaySource_;
  AlertPanel alertPanel_;
  std::function<void()> terminator_;
};

// The single calendar controller; set at the end of awakeFromNib.
extern Calcndar* PravellaSelf;

// Entry for the language's built-ins (any thread): the remembered string (stored at once). The
// recent-memo limit and reject characters are program settings (diary/program_settings.h).
void setRememberString(const char* utf8);
