#pragma once
// CalDictionary: the text-dictionary drawer (side view 20). The search word (a combo box of the
// words searched, newest first), the hit table ("group", "dictionary", "Word"), the body of the
// chosen hit, its location, back and forward through the hits shown, the "use internet" switch
// (a word with no hits goes to the web sheet) and a progress bar over the index files. Like
// every side view it opens only while SheetCanOpen is set.

#include <QDockWidget>
#include <QObject>
#include <QTableWidget>

#include <functional>

#include "tools/dictionaries/text_dictionary.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;

// The hit table: Return or Enter shows the row, up and down step through the hits.
class dicTableView : public QTableWidget {
  Q_OBJECT
 public:
  using QTableWidget::QTableWidget;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class CalDictionary : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 20;

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<int()> toggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<void(const char*)> playSound;     // decides whether sounds are on
    std::function<QString()> mainMemoSelection;     // the main memo's selected text
    std::function<void(const QByteArray&)> launchURL;  // webLaunchURL, Shift-JIS bytes
    std::function<bool()> keyWordSearch;            // internetWordSearchStatus == 1
    // Views whose selection can be searched in the memo database from here (may be null).
    QTextEdit* bookMarkTextView = nullptr;   // the bookmark drawer's memo
    QTextEdit* monthSheetTextView = nullptr;  // the month sheet's row memo view
  };

  explicit CalDictionary(Host host, QObject* parent = nullptr);
  ~CalDictionary() override;

  // Lists the index files, registers the observers and gives the drawer to the host.
  void awakeFromNib();

  void goSearchAction();
  void selectItemAction();
  void prevItemAction();
  void nextItemAction();
  void openDicSheetAction();
  void closeDicSheetAction();
  void toggleDicSheetAction();
  void searchSelectedItemAction();
  // Opens the drawer and searches `word` when it has at least 2 characters.
  void dictionarySearch(const QString& word);
  // Post "findAllMemoDatabase" with a non-empty selection: the given one, the bookmark memo's
  // or the month sheet's.
  void searchAllMemoDataBaseAction(const QString& selection);
  void searchAllMemoDataBaseActionOnBookMarkSheet();
  void searchAllMemoDataBaseActionOnMonthSheet();
  void internetSearchAction();
  void internetSearch(const QString& text);
  void dicFindListTableUp();
  void dicFindListTableDown();

  QDockWidget* dicDrawer() const { return drawer_; }
  QComboBox* wordField() const { return wordField_; }
  dicTableView* findTable() const { return table_; }
  QTextEdit* honbunTextView() const { return honbun_; }
  QLineEdit* filePathAndLocation() const { return location_; }
  QLabel* hitCountField() const { return hitCount_; }
  QPushButton* prevButton() const { return prev_; }
  QPushButton* nextButton() const { return next_; }
  QCheckBox* useInternet() const { return useInternet_; }
  QProgressBar* progressBar() const { return progress_; }
  const QList<pravella::textdic::Hit>& hits() const { return hits_; }
  const QStringList& dicFileArray() const { return dicFiles_; }
  const pravella::textdic::HitHistory& rireki() const { return rireki_; }
  QStringList historyArray() const { return words_.newestFirst(); }

 private:
  void showRirekiHonbun(const QString& path, int line);
  void adjustRireki();
  void selectRow(int row);
  void addHistory(const QString& word);
  void sound(const char* name);
  bool drawerOpen() const;
  // Shows the drawer as the one side view; false (nothing done) while side views cannot open.
  bool openDrawer();
  void searchWord(const QString& word);

  Host host_;
  QList<pravella::textdic::Hit> hits_;
  QStringList dicFiles_;
  pravella::textdic::WordList words_;
  pravella::textdic::HitHistory rireki_;
  QDockWidget* drawer_ = nullptr;
  QComboBox* wordField_ = nullptr;
  dicTableView* table_ = nullptr;
  QTextEdit* honbun_ = nullptr;
  QLineEdit* location_ = nullptr;
  QLabel* hitCount_ = nullptr;
  QPushButton* prev_ = nullptr;
  QPushButton* next_ = nullptr;
  QCheckBox* useInternet_ = nullptr;
  QProgressBar* progress_ = nullptr;
};
