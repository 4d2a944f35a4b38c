#pragma once
// Look-ups from the main memo: a word double-clicked with Ctrl (Command) is looked up in the
// function manual's name list (for help, or with Shift for insertion) and, when the manual has
// nothing, in the memo database. Hits come up as a menu at the mouse; more than 50 go to the
// month list ("resultFromTextViewSearch"). The same database search runs on
// "findAllMemoDatabase_X", and "loadMemoDatabase" reloads the database.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;
class QMenu;
class QProgressBar;
class QTextEdit;

class MemoLookups : public QObject {
  Q_OBJECT
 public:
  // Hits up to this many are offered as a menu; more go to the month list.
  static constexpr int kMenuHits = 50;

  MemoLookups(QTextEdit* view, QProgressBar* progressBar, QLabel* searchHitCountField,
              QObject* parent = nullptr);
  ~MemoLookups() override;

  // Registers the observers and loads the database.
  void awakeFromNib();

  void loadMemoDatabase();
  // Searches the database for `find`; 1 when hits were shown or passed on, 0 otherwise.
  int findMemoDatabase(const QPoint& globalPos, const QString& find);
  // The same, always passing the hits to the month list.
  int findMemoDatabaseToMonthSheet_X(const QString& find);
  void showMemoFileOnMemoSheet(int tag);
  // Manual look-up for insertion; 1 when the name list could be read.
  int searchFunctionName(const QPoint& globalPos, const QString& find);
  // Manual look-up for help, falling back to the database; 1 when the name list could be read.
  int optionSearchFunctionName(const QPoint& globalPos, const QString& find);
  void insertFunction(const QString& title);
  void dispManualFunction(const QString& title);
  void clearManualFunctionMenu();

  QMenu* manualMenu() const { return manualMenu_; }
  const QStringList& hitMemo() const { return hitMemo_; }
  const QString& NowFindString() const { return NowFindString_; }

  // ---- seams for tests
  void setAlertPanel(std::function<void(const QString& title, const QString& message)> panel) {
    alertPanel_ = std::move(panel);
  }
  void setSoundPlayer(std::function<void(const char*)> play) { playSound_ = std::move(play); }
  // Shows a filled menu at a screen point (a pop-up that does not wait).
  void setMenuPresenter(std::function<void(QMenu*, const QPoint&)> present) {
    presentMenu_ = std::move(present);
  }

 private:
  // The common search: hits in hitMemo_, last found first; false when refused (too short).
  bool searchDatabase(const QString& find, bool fromNotification);
  void fillManualMenu(const QStringList& lines, bool forInsertion);
  void alert(const QString& title, const QString& message);
  void sound(const char* name);

  QPointer<QTextEdit> view_;
  QPointer<QProgressBar> progressBar_;
  QPointer<QLabel> searchHitCountField_;
  QMenu* manualMenu_ = nullptr;
  QStringList hitMemo_;
  QString NowFindString_;
  std::function<void(const QString&, const QString&)> alertPanel_;
  std::function<void(const char*)> playSound_;
  std::function<void(QMenu*, const QPoint&)> presentMenu_;
};
