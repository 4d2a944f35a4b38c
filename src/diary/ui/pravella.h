#pragma once
// The controller of the month diary drawer (one instance, Pravella_X). It fills the list three
// ways: by walking the day folders of the selected month (or of it and the month before), by a
// memo search over every memo's text or name (the scanner of diary/memo_scanner.h, on a thread
// of its own), and from the hits of a memo-database search. It keeps the search history, the
// category buttons' filter, and drives the shared progress bar, which is the drawer's.

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "diary/memo_scanner.h"
#include "diary/month_list.h"
#include "diary/ui/get_key_on_month_table.h"
#include "platform/atomic_file.h"

class Calcndar;
class QMimeData;
class QTextEdit;

namespace pravella {
class DocumentSlot;
class EditJournal;
class MainWindow;
class MonthDiaryDrawer;
}

class Pravella : public QObject, public MonthTableDelegate {
  Q_OBJECT
 public:
  // The side view number of the month diary drawer.
  static constexpr int kToggleStatus = 3;

  Pravella(Calcndar* calcndar, pravella::MainWindow* window, QObject* parent = nullptr);
  ~Pravella() override;

  // Builds the drawer, registers the observers and becomes Pravella_X.
  void awakeFromNib();

  // ---- actions
  // `posted`: the text a view that is not the memo asks to search for; else the focused memo's
  // selection.
  void showMonthDiaryAction(const QString& posted = QString());
  void DoSearchMemoInSearchSheet(const QString& text);
  void openMonthSheet();
  void closeMonthSheet();
  void goSearchAction();
  void searchThisMonthAction();
  void goAllSearchAction();
  void oneMonthAction();
  void twoMonthAction();
  void findAllMemoAction();
  void goSearchAction_X();
  void goSearchAction_beforeMonth();
  void startSearch(const QStringList& scopes, const QString& text);
  void stopQuery();
  void DoSpotlightSearch(const QString& text, bool state);
  void categoryAction(int tag);
  void resultFromTextViewSearch(const QString& text, const QStringList& paths);
  void goSearchWithString(const QString& text);
  void findMemoDatabaseToMonthSheet(const QString& text);
  void cal_setSearchCellTitle(const QString& payload);
  void setFindStringForMonthList(const QString& text);
  QString getFindStringForMonthList() const;
  QString getMonthList() const;
  void addStringToSearchList(const QString& text);
  void showHitMemoNumber();
  // Selects the row of the document at `path` (none when it is not listed).
  void selectDocumentListOnMonthTable(const QString& path);
  // Selects the first row of this day text and file name and scrolls it into view.
  void selectDocumentListOnMonthTableWithString(const QString& day, const QString& fileName);

  // ---- the table (pravella_table.cpp)
  // Display mode 0 to 3: 1 and 3 colour the text (future days red), 2 and 3 the rows' background.
  void changeTableFontForeColor(const QString& mode);
  void toggleTableFontForeColor();
  int changeTableViewFontColor() const { return changeTableViewFontColor_; }
  // A header click: sorts the list by that column (again: the other way), keeping the selection.
  void didClickTableColumn(int column);
  void monthTableListUp() override;
  void monthTableListDown() override;
  void openMainViewSwtich(bool on) override { openMainViewStatus_ = on; }
  QMimeData* dragDataForRow(int row) const override;

  // ---- the row memo view (pravella_row_memo.cpp)
  // Shows the selected row's document in the row memo view, or in the main memo.
  void selectMonthDiaryAction() override;
  void subTextViewAction();
  // Writes the row memo view when it holds changes; false when that write failed (the changed
  // mark stays and the user is told).
  bool saveDocAction();
  // Writes the row memo view to `path`, following a chain of symbolic links to its end (the
  // user chooses what to keep when the file changed since the view read it).
  bool saveWithSymbolicLink(const QString& path);
  void textDidChange();
  void toggleDurtyButton();
  // Date stamps at the caret; refused (said in the status line) while no document is shown.
  void pasteDateAction();
  void pasteDateTimeAction();
  // Marks the search words of `text` in `view`, one colour per word.
  void findByDocSelectedString(const QString& text, QTextEdit* view);
  void makeSearchDocument();
  void searchInternetAction();
  void searchDicAction();
  void toPalmBelowAction();
  void pasteFromSelectedDocumentAction();
  void setTmpBackGroundColorStatus(bool on) { tmpBackGroundColorStatus_ = on; }
  QString nowDisplayedDocPath() const { return nowDisplayedDocPath_; }
  QTextEdit* subTextView() const;

  // ---- state
  const pravella::MonthList& tableArray() const { return tableArray_; }
  const QStringList& searchList() const { return searchList_; }
  bool searchIsRunning() const { return searchIsRunning_; }
  bool queryIsRunning() const;
  int nowSearchMode() const { return nowSearchMode_; }
  pravella::MonthDiaryDrawer* drawer() const { return drawer_; }
  // The shared progress bar's range and value as programs set them.
  double processIndicatorValue() const { return indicatorValue_; }
  double processIndicatorMaximum() const { return indicatorMax_; }

  // ---- seams, as Calcndar's
  using AlertPanel =
      std::function<int(const QString& title, const QString& message, const QStringList& buttons)>;
  void setAlertPanel(AlertPanel panel) { alertPanel_ = std::move(panel); }
  // Plays a feedback sound; sound() calls it only while pvSoundStatus is on.
  void setSoundPlayer(std::function<void(const char*)> play) { playSound_ = std::move(play); }
  // The tick count (1/60 s) that times the search document's bar.
  void setTickClock(std::function<quint64()> clock) { tickClock_ = std::move(clock); }
  // Opens a text in the browser as webLaunchURL does (while no web sheet observes addresses).
  void setUrlLauncher(std::function<void(const QString&)> launch) { launchURL_ = std::move(launch); }
  // The time of the date stamps.
  void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
  // Opens a file with the desktop's application for it (attachments and file links of the row
  // memo view).
  void setOpener(std::function<bool(const QString& path)> opener) { opener_ = std::move(opener); }
  // Opens the attachment at `position` of the row memo view, a file inside the shown package;
  // false when there is none there or its file does not exist.
  bool openAttachmentAt(int position);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void registerObservers();
  void openDrawer();
  bool drawerIsOpen() const;
  void searchWithTextView(QTextEdit* view, const QString& selected);
  QTextEdit* focusedTextView() const;
  QString searchText() const;
  void setSearchText(const QString& text);
  void setScopeButtons(bool one, bool two, bool all);
  bool oneMonth() const;
  bool twoMonth() const;
  bool allMemo() const;
  // The main memo's selection becomes the search text; the selection collapses to its start.
  void takeMainMemoSelection();
  void reloadTable();
  void finishListing();
  void nowSearchingAlert();
  void sound(const char* name);
  void walkMonth(int year, int month);
  void updateData(const pravella::MemoSearchBatch& batch);
  void queryDone();
  void showProcessIndicator(const QString& payload);
  void applyPendingSelection();
  void colourRow(int row);
  void selectRowAndShow(int row);
  bool readIntoSubTextView(const QString& path);
  // The shown document read again (another view saved it), caret and scroll kept.
  void reloadSubTextView();
  pravella::WriteResult writeRowMemo(const QString& path);
  void showInMainMemo(const pravella::MonthListEntry& entry, int year, int month, int day);
  void wireRowMemoView();
  // True, with "Basso" and the reason in the status line, while the row memo view shows no
  // document it could write to (no row yet, or the search document).
  bool refuseTypingWithoutDocument();
  // The shown document went to the Trash by another view: nothing writes it again, and its
  // unsaved edits go to the recovery folder.
  void letGoOfTrashedDocument();

  Calcndar* calcndar_;
  pravella::MainWindow* window_;
  pravella::MonthDiaryDrawer* drawer_ = nullptr;
  std::unique_ptr<pravella::MemoScanner> query_;

  pravella::MonthList tableArray_;
  QStringList searchList_;
  pravella::MonthList tmpRows_;  // tmp_dayArray / tmp_diaryArray: the last memo-database result
  bool searchIsRunning_ = false;
  int nowSearchMode_ = 1;
  int spotlightStatus_ = 1;
  QString pendingSelection_;  // the shown document, selected once the search lists it
  double indicatorMin_ = 0, indicatorMax_ = 1, indicatorValue_ = 0;

  int changeTableViewFontColor_ = 0;
  int sortColumn_ = -1;
  bool sortAscending_ = true;
  bool openMainViewStatus_ = false;
  bool tmpBackGroundColorStatus_ = false;
  bool loadingSubText_ = false;  // the row memo view's content is being replaced, not edited
  QString nowDisplayedDocPath_;  // null until a row was shown; "" for the search document
  std::unique_ptr<pravella::DocumentSlot> rowSlot_;  // the shown document in the registry
  std::unique_ptr<pravella::EditJournal> rowJournal_;  // its unsaved edits, kept against a crash

  AlertPanel alertPanel_;
  std::function<void(const char*)> playSound_;
  std::function<quint64()> tickClock_;
  std::function<void(const QString&)> launchURL_;
  std::function<QDateTime()> clock_;
  std::function<bool(const QString&)> opener_;
  QList<int> savedSplitSizes_;  // orgMonthViewRect / orgSubTextViewRect: the split before hiding
};

// The single month list controller; set by awakeFromNib.
extern Pravella* Pravella_X;
