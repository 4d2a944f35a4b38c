#pragma once
// The controller of the month diary drawer (one instance, Pravella_X). It fills the list three
// ways: by walking the day folders of the selected month (or of it and the month before), by a
// memo search over every memo's text or name (the scanner of diary/memo_scanner.h, on a thread
// of its own), and from the hits of a memo-database search. It keeps the search history, the
// category buttons' filter, and drives the shared progress bar, which is the drawer's.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "diary/memo_scanner.h"
#include "diary/month_list.h"

class Calcndar;
class QTextEdit;

namespace pravella {
class MainWindow;
class MonthDiaryDrawer;
}

class Pravella : public QObject {
  Q_OBJECT
 public:
  // The side view number of the month diary drawer.
  static constexpr int kToggleStatus = 3;

  Pravella(Calcndar* calcndar, pravella::MainWindow* window, QObject* parent = nullptr);
  ~Pravella() override;

  // Builds the drawer, registers the observers and becomes Pravella_X.
  void awakeFromNib();

  // ---- actions
  void showMonthDiaryAction();
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

  AlertPanel alertPanel_;
  std::function<void(const char*)> playSound_;
};

// The single month list controller; set by awakeFromNib.
extern Pravella* Pravella_X;
