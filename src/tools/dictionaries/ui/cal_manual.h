#pragma once
// CalManual: the manual browser (side view 17). Six category cells, the list of the chosen
// category's documents ("manual"), the document itself, an edit switch, a filter field, a
// progress indicator and back and forward through each category's own history. The memo's
// function look-ups ("optionSearchManual") open a function's page; a changed document is written
// back in its own format before another is shown.

#include <QDockWidget>
#include <QObject>
#include <QTableWidget>

#include <array>
#include <functional>

#include "tools/dictionaries/manual_library.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QToolButton;

// The document list: keys find a title by its first letters (a pause of more than a second
// starts anew); Return opens the document elsewhere, up and down step through the list.
class getKeyOnManualTable : public QTableWidget {
  Q_OBJECT
 public:
  explicit getKeyOnManualTable(QWidget* parent = nullptr);
  ~getKeyOnManualTable() override;
  void clearManualKeyFindString() { findString_.clear(); }
  QString findString() const { return findString_.text(); }
  // Milliseconds for the pause test; a steady clock unless a test sets another.
  void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  pravella::manual::KeyFindString findString_;
  std::function<qint64()> clock_;
};

class CalManual : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 17;

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<int()> toggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<void()> selectCellSelectedDay;
    std::function<void(const char*)> playSound;      // decides whether sounds are on
    std::function<bool(const QString&)> open;        // the desktop's opener
    std::function<void(QTextEdit*)> registerTextView;  // the search window's text views
  };

  explicit CalManual(Host host, QObject* parent = nullptr);
  ~CalManual() override;

  // Registers the observers and gives the drawer to the host; the list fills on first opening.
  void awakeFromNib();

  void openManualAction();
  void openManualActionOpen();
  void closeManualSheetAction();
  void selectCategoryAction();
  void selectManualAction();
  void beforeAction();
  void nextAction();
  void editSwitchAction();
  void editState(const QString& state);
  void setFindString(const QString& filter);
  void optionSearchManual(const QString& name);
  void searchManual(const QString& typed);
  void manualListUp();
  void manualListDown();
  void manualEditOpen();
  void pasteDateAction();
  void pasteDateTimeAction();
  // Writes the shown document when it changed; false (with "Basso" and a console line) when
  // that failed, and the document stays marked as changed.
  bool saveChangedDocument();

  void selectCategory(int category);
  int category() const;
  QDockWidget* manualDrawer() const { return drawer_; }
  getKeyOnManualTable* manualFileListField() const { return list_; }
  QTextEdit* manualDocField() const { return doc_; }
  QCheckBox* editSwitch() const { return editSwitch_; }
  QLineEdit* findStringField() const { return findString_; }
  QPushButton* beforeButton() const { return before_; }
  QPushButton* nextButton() const { return next_; }
  QProgressBar* searchProcessIndicator() const { return progress_; }
  const QStringList& manualList() const { return manualList_; }
  const pravella::manual::History& rireki(int category) const { return rireki_.at(std::size_t(category)); }
  QString nowDisplayedDocPath() const { return nowPath_; }
  bool dirty() const { return dirty_; }

 private:
  void getManualFilesList();
  void reloadTable();
  void readDocument(const QString& path);
  void dispManual();
  void selectManualTitle(const QString& path);
  void adjustRireki();
  void stepHistory(int delta);
  void selectRow(int row);
  void pasteStamp(bool withTime);
  void sound(const char* name);
  bool drawerOpen() const;
  QString selectedPath() const;

  Host host_;
  QDockWidget* drawer_ = nullptr;
  QButtonGroup* categorySW_ = nullptr;
  std::array<QToolButton*, pravella::manual::kCategories> cells_{};
  getKeyOnManualTable* list_ = nullptr;
  QTextEdit* doc_ = nullptr;
  QCheckBox* editSwitch_ = nullptr;
  QLineEdit* findString_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* before_ = nullptr;
  QPushButton* next_ = nullptr;
  QStringList manualList_;
  std::array<pravella::manual::History, pravella::manual::kCategories> rireki_{};
  QString nowPath_;
  bool dirty_ = false;
  bool loading_ = false;
};
