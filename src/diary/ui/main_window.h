#pragma once
// The diary's main window: the month calendar on the left (month title, year and month steps,
// the 6 x 7 grid of day cells, the moon beside the sun and moon panel, the day's document
// list, the shown document's name) and the memo on the right under its row of memo menu
// buttons. The controllers that fill these widgets find them through the accessors; every
// widget carries the object name the controllers and tests use.

#include <QMainWindow>
#include <array>

#include "diary/ui/get_key_on_table.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;
class CalMatrix;
class mainTextView;

namespace pravella {

class SunMoonPanel;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  static constexpr int kDayCells = 42;
  static constexpr int kMemoMenuButtons = 20;

  explicit MainWindow(QWidget* parent = nullptr);

  QLabel* yearMonthField() const { return yearMonthField_; }
  QToolButton* dayCell(int index) const { return dayCells_.at(index); }
  QButtonGroup* dayCells() const { return dayCellGroup_; }
  CalMatrix* calMatrix() const { return calMatrix_; }
  QLabel* moonImageView() const { return moonImageView_; }
  SunMoonPanel* sunMoonPanel() const { return sunMoonPanel_; }
  QPushButton* lastYearButton() const { return lastYearButton_; }
  QPushButton* decMonthButton() const { return decMonthButton_; }
  QPushButton* todayButton() const { return todayButton_; }
  QPushButton* incMonthButton() const { return incMonthButton_; }
  QPushButton* nextYearButton() const { return nextYearButton_; }
  getKeyOnTable* diaryFileField() const { return diaryFileField_; }
  QLineEdit* editingDiaryFileName() const { return editingDiaryFileName_; }
  // The text put in front of the names of symbolic links made into day folders.
  QLineEdit* symbLinkHeaderField() const { return symbLinkHeaderField_; }
  QButtonGroup* memoMenuButtons() const { return memoMenuGroup_; }
  // The row that holds the memo menu buttons.
  QWidget* buttonMenu() const { return buttonMenu_; }
  mainTextView* documentView() const { return documentView_; }
  QAction* quitAction() const { return quitAction_; }
  // The Edit menu: controllers add their commands to it.
  QMenu* editMenu() const { return editMenu_; }
  QAction* moonAgeAction() const { return moonAgeAction_; }
  QAction* importOldDiaryAction() const { return importOldDiaryAction_; }

 private:
  QWidget* buildCalendarColumn();
  QWidget* buildMemoColumn();
  void buildMenus();

  QLabel* yearMonthField_ = nullptr;
  std::array<QToolButton*, kDayCells> dayCells_{};
  QButtonGroup* dayCellGroup_ = nullptr;
  CalMatrix* calMatrix_ = nullptr;
  QLabel* moonImageView_ = nullptr;
  SunMoonPanel* sunMoonPanel_ = nullptr;
  QPushButton* lastYearButton_ = nullptr;
  QPushButton* decMonthButton_ = nullptr;
  QPushButton* todayButton_ = nullptr;
  QPushButton* incMonthButton_ = nullptr;
  QPushButton* nextYearButton_ = nullptr;
  getKeyOnTable* diaryFileField_ = nullptr;
  QLineEdit* editingDiaryFileName_ = nullptr;
  QLineEdit* symbLinkHeaderField_ = nullptr;
  QWidget* buttonMenu_ = nullptr;
  QButtonGroup* memoMenuGroup_ = nullptr;
  mainTextView* documentView_ = nullptr;
  QAction* quitAction_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QAction* moonAgeAction_ = nullptr;
  QAction* importOldDiaryAction_ = nullptr;
};

}  // namespace pravella
