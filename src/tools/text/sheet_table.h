#pragma once
// A named table of text cells kept beside a memo: <memo without extension>.tbld/<name>.col
// (the column titles in display order, the row-number column's first) and <name>.dat (the
// cells row by row in display order). Columns keep the number they were made with (1, 2, ...)
// while the user reorders them; a save stores the display order and the next load renumbers.

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/atomic_file.h"

namespace pravella::sheet {

struct Column {
  int id = 0;  // 0: the row-number column; k: the k-th cell of each row in memory
  QString title;
  bool operator==(const Column&) const = default;
};

// The folder of a memo's tables; empty for no memo.
QString tableFolderFor(const QString& document);
// A name from a memo's "<...>": no "/" or NUL, not "." or "..".
bool validName(const QString& name);

class SheetTable {
 public:
  SheetTable() { clear(); }

  // 5 rows of 4 empty data columns titled "1" to "4".
  void clear();
  // Both files must be there and the titles name at least one data column; false leaves the
  // table as it was.
  bool load(const QString& folder, const QString& name);
  WriteResult save(const QString& folder, const QString& name) const;

  int rows() const { return maxrow_; }
  const QList<Column>& columns() const { return columns_; }  // display order
  QString cell(int row, int id) const;
  void setCell(int row, int id, const QString& text);

  // A row of "-----" before `selectedRow`, or at the end when it is -1.
  void addRow(int selectedRow);
  bool deleteRow(int row);
  // A new empty column, at display position `selectedColumn` when one is selected (>= 1).
  void addColumn(int selectedColumn);
  // The row-number column (position 0) is never deleted or retitled.
  bool deleteColumn(int position);
  bool retitle(int position, const QString& title);
  // The columns in a new display order (the ids in that order); the row-number column goes
  // back in front when it was moved.
  void reorder(const QList<int>& ids);

  bool operator==(const SheetTable&) const = default;

 private:
  int index(int row, int id) const { return id + row * maxcolumn_ - 1; }

  int maxrow_ = 0;
  int maxcolumn_ = 0;
  QStringList data_;
  QList<Column> columns_;
};

}  // namespace pravella::sheet
