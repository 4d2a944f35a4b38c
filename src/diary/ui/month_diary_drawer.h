#pragma once
// The month diary drawer beside the calendar: the search field with its history, the search
// button, the three scope buttons (this month, this and the previous month, all memos), the
// switches for the manual and for name search, the 13 category buttons, the list of (day,
// document) rows with its hit count, the bar of long work and the name being looked at; under
// the list, in a splitter, the row memo view that shows the selected row's document, with its
// switches (shown, highlight the search words, changed) and its commands. The controller
// (Pravella) fills it; every widget carries the object name tests use.

#include <QDockWidget>
#include <array>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTableWidget;
class QTextEdit;
class getKeyOnMonthTable;

namespace pravella {

class MonthDiaryDrawer : public QDockWidget {
  Q_OBJECT
 public:
  static constexpr int kCategoryCells = 13;

  explicit MonthDiaryDrawer(QWidget* parent = nullptr);

  QComboBox* searchTextField() const { return searchTextField_; }
  QPushButton* searchButton() const { return searchButton_; }
  QRadioButton* oneMonthButton() const { return oneMonthButton_; }
  QRadioButton* twoMonthButton() const { return twoMonthButton_; }
  QRadioButton* allMemoButton() const { return allMemoButton_; }
  QCheckBox* manualSWbutton() const { return manualSWbutton_; }
  QCheckBox* searchFileNamebutton() const { return searchFileNamebutton_; }
  QButtonGroup* searchCategoryButton() const { return categories_; }
  getKeyOnMonthTable* monthDiaryField() const { return monthDiaryField_; }
  QLabel* numOfFilesField() const { return numOfFilesField_; }
  QProgressBar* searchProcessIndicator() const { return searchProcessIndicator_; }
  QProgressBar* spinningIndicator() const { return spinningIndicator_; }
  QLabel* nowSearchFileNameField() const { return nowSearchFileNameField_; }

  // ---- the row memo view
  QSplitter* subTextSplit() const { return subTextSplit_; }
  QTextEdit* subTextView() const { return subTextView_; }
  QCheckBox* subViewSW() const { return subViewSW_; }
  QCheckBox* durtyButton() const { return durtyButton_; }
  QCheckBox* kensakuHyoujiCheckButton() const { return kensakuHyoujiCheckButton_; }
  // The search document's bar.
  QProgressBar* progressBar() const { return progressBar_; }
  // The commands under the view, by object name: "makeSearchDocument", "saveDocAction",
  // "searchInternetAction", "searchDicAction", "toPalmBelowAction",
  // "pasteFromSelectedDocumentAction", and "searchAllMemoDataBaseActionOnMonthSheet" (the
  // view's selection in the memo database; the text dictionary's controller answers it).
  QPushButton* commandButton(const char* name) const;

 private:
  QComboBox* searchTextField_ = nullptr;
  QPushButton* searchButton_ = nullptr;
  QRadioButton* oneMonthButton_ = nullptr;
  QRadioButton* twoMonthButton_ = nullptr;
  QRadioButton* allMemoButton_ = nullptr;
  QCheckBox* manualSWbutton_ = nullptr;
  QCheckBox* searchFileNamebutton_ = nullptr;
  QButtonGroup* categories_ = nullptr;
  getKeyOnMonthTable* monthDiaryField_ = nullptr;
  QLabel* numOfFilesField_ = nullptr;
  QProgressBar* searchProcessIndicator_ = nullptr;
  QProgressBar* spinningIndicator_ = nullptr;
  QLabel* nowSearchFileNameField_ = nullptr;
  QSplitter* subTextSplit_ = nullptr;
  QTextEdit* subTextView_ = nullptr;
  QCheckBox* subViewSW_ = nullptr;
  QCheckBox* durtyButton_ = nullptr;
  QCheckBox* kensakuHyoujiCheckButton_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
};

}  // namespace pravella
