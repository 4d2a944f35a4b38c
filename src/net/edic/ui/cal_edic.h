#pragma once
// CalEDic: the dictionary drawer beside the calendar. The user picks a book (or "All
// Dictionary"), searches a word forward or backward, picks a headword and reads its body as
// styled text with glyphs, figures and pictures; links in the body lead to other bodies, back
// and forward and a history menu step through what was read, headwords drag into memos as
// link texts. Programs open it with a word ("cal_openEDicSheet"), other tools ask it to look
// a word up ("dictionarySearch"), memo links show their entry ("edicLinkFromMainMemo").

#include <QDockWidget>
#include <QObject>
#include <QPointer>
#include <QTableWidget>
#include <QTextBrowser>

#include <functional>
#include <vector>

#include "net/edic/dictionary_history.h"
#include "net/edic/search_driver.h"

class QComboBox;
class QMenu;
class QTextEdit;
class QToolButton;
class QPushButton;
class CalEDic;

// The headword table: the arrow keys move the selection and show the row's body; a dragged
// row carries its drag text.
class getKeyOnEDicTable : public QTableWidget {
  Q_OBJECT
 public:
  getKeyOnEDicTable(CalEDic* controller, QWidget* parent = nullptr);
  QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override;
  QStringList mimeTypes() const override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CalEDic* CalEDicControl;
};

// The body view: links are followed by the controller; a double click searches the word.
class eDicTextView : public QTextBrowser {
  Q_OBJECT
 public:
  eDicTextView(CalEDic* controller, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  CalEDic* CalEDicControl;
};

class CalEDic : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 24;
  static constexpr const char* kAllDictionary = "All Dictionary";

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<void(const char*)> playSound;  // decides whether sounds are on
    QTextEdit* mainDocument = nullptr;           // the main memo, source of the selected word
    QWidget* dialogParent = nullptr;
  };

  explicit CalEDic(Host host, QObject* parent = nullptr);
  ~CalEDic() override;

  // Reads the folder setting and the catalogs, fills the pop-up and registers the observers.
  void awakeFromNib();

  void openSheet();
  void openSheetAction();                       // the main memo's selection is searched
  void openSheetAction_X(const QString& word);  // "cal_openEDicSheet"
  void dictionarySearch(const QString& word);   // "dictionarySearch"
  void edicLinkFromMainMemo(const QString& target);
  void closeSheetAction();
  void searchForward();
  void searchBackward();
  void changeDicAction() { searchForward(); }
  void selectMidashiAction();
  void rirekiForwardAction();
  void rirekiBackwardAction();
  void kensakurirekiMenuAction(int index);
  void clearKensakuRirekiMenu();
  void eDicSearchOnEDicHonbun();
  void GoogleSearchOnEDicHonbun();
  void WikiSearchOnEDicHonbun();
  void setEdicDirectoryAction();
  void tableUpSelection();
  void tableDownSelection();
  void nowDoubleClickStatus(int status) { doubleClickStatus = static_cast<unsigned char>(status & 0xFF); }
  // Shows a body; with `history` the body enters the history.
  void clickLinkAction(const pravella::edic::BodyEntry& entry, bool history);
  // A link clicked in the body: 3 or 4 fields, anything else is ignored.
  void textViewClickedOnLink(const QString& target);
  // Refills the book pop-up from the reader's table.
  void fillDicMenu();

  QDockWidget* eDicDrawer() const { return eDicDrawer_; }
  QComboBox* selectDicPopupButton() const { return selectDicPopupButton_; }
  QComboBox* searchStringField() const { return searchStringField_; }
  getKeyOnEDicTable* midashiTable() const { return midashiTable_; }
  QTextBrowser* honbunTextView() const { return honbunTextView_; }
  QMenu* kensakurirekiMenu() const { return kensakurirekiMenu_; }
  QToolButton* backButton() const { return backButton_; }
  const std::vector<pravella::edic::SearchRow>& midashi() const { return midashi_; }
  const pravella::edic::DictionaryHistory& history() const { return kensakuRireki_; }
  const pravella::edic::SearchWordList& searchItemList() const { return searchItemList_; }
  // The entry of a table row (rows may be sorted).
  pravella::edic::BodyEntry entryOfRow(int row) const;

 private:
  void search(pravella::edic::SearchDirection direction);
  void reloadTable();
  void showBody(const pravella::edic::BodyEntry& entry);
  void searchWord(const QString& word);
  void selectionChangedInBody();
  void repairKensakuRirekiMenu();
  void updateButtons();
  void sound(const char* name);

  Host host_;
  QPointer<QDockWidget> eDicDrawer_;
  QComboBox* selectDicPopupButton_ = nullptr;
  QComboBox* searchStringField_ = nullptr;
  getKeyOnEDicTable* midashiTable_ = nullptr;
  eDicTextView* honbunTextView_ = nullptr;
  QMenu* kensakurirekiMenu_ = nullptr;
  QToolButton* backButton_ = nullptr;
  QToolButton* forwardButton_ = nullptr;
  std::vector<pravella::edic::SearchRow> midashi_;
  pravella::edic::DictionaryHistory kensakuRireki_;
  pravella::edic::SearchWordList searchItemList_;
  unsigned char doubleClickStatus = 0;
};

// The controller, once made (null before).
extern CalEDic* CalEDic_X;
// The title of the book whose body is on show.
extern QString nowDictionaryName;
