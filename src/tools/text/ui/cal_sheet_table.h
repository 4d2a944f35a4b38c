#pragma once
// CalSheetTable: the table drawer (side view 15). The calendar asks for it with the name a memo
// holds between "<" and ">" at the caret; the drawer shows that table of the shown memo (a row
// number column first, then the data columns, whose titles are edited in a field), keeps edits
// in memory until Save, and is saved when it closes (its Close button, the drawer's close
// button, or the calendar closing its side views). Once closed it writes nothing more. It
// follows its memo to a new name or place, and closes when its tables go to the Trash with their
// memo: nothing is ever written for a memo that is gone, and unsaved edits go to the recovery
// folder, as the memo views' do.

#include <QDockWidget>
#include <QObject>

#include <functional>

#include "tools/text/sheet_table.h"

class QLabel;
class QLineEdit;
class QTableWidget;

class CalSheetTable : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 15;

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<QString()> nowDisplayedDocument;
    std::function<void(const char*)> playSound;
  };

  explicit CalSheetTable(Host host, QObject* parent = nullptr);
  ~CalSheetTable() override;

  void awakeFromNib();

  void sheetOpenAction(const QString& name);
  void saveAction();
  void revertAction();
  void sheetCloseAction();
  void addRowAction();
  void deleteRowAction();
  void addColumnAction();
  void deleteColumnAction();
  void changeColumnTitleAction();

  QDockWidget* sheetTableDrawer() const { return drawer_; }
  QTableWidget* sheetTableView() const { return view_; }
  QLineEdit* columnNameField() const { return columnNameField_; }
  const pravella::sheet::SheetTable& table() const { return table_; }
  QString sheetName() const { return sheetName_; }

 private:
  void reload();
  void forget();                                           // no table open any more
  void memoMoved(const QString& from, const QString& to);  // a document or folder got a new path
  void memoTrashed();                                      // something went to the Trash
  bool folderHasMemo() const;
  bool saveTable();  // false when the table could not be written (said on the console)
  void sound(const char* name);
  int selectedColumnPosition() const;  // display position, -1 without a selected column
  int selectedRow() const;

  Host host_;
  pravella::sheet::SheetTable table_;
  pravella::sheet::SheetTable saved_;  // as last loaded or saved: the table differs when edited
  QString sheetName_;
  QString folder_;
  QDockWidget* drawer_ = nullptr;
  QTableWidget* view_ = nullptr;
  QLabel* tableName_ = nullptr;
  QLineEdit* columnNameField_ = nullptr;
  bool reloading_ = false;
};
