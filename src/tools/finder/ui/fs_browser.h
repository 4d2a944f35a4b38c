#pragma once
// The finder sheet's file browser: columns from "/" down to the chosen item, three visible at
// a time. Each column lists its folder once, when it is shown, reloaded or clicked (never for
// every row or cell), so a large folder costs one listing; a folder that changes on disk while
// its column is shown (a save, another program) is listed again, with what is chosen in it
// kept. Nothing is listed before the
// browser is first shown or asked for its columns. Links are underlined with an arrow
// on their icon, unreadable entries are greyed and cannot be chosen, and an RTFD package is a
// leaf.

#include <QAbstractListModel>
#include <QIcon>
#include <QScrollArea>
#include <QSet>
#include <QString>
#include <QTimer>

#include <vector>

#include "tools/finder/fs_node_info.h"

class QFileSystemWatcher;
class QHBoxLayout;
class QListView;

// One column's entries (the cell of the classic browser: title, icon, enabled, leaf).
class FSColumnModel : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit FSColumnModel(QString folder, QObject* parent = nullptr);
  const QString& folder() const { return folder_; }
  // Lists the folder again.
  void reload();
  const pravella::FSEntry& entry(int row) const { return entries_[std::size_t(row)]; }
  int rowOf(const QString& name) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QString folder_;
  std::vector<pravella::FSEntry> entries_;
};

// The icon of an entry at 10 by 10: the desktop's icon of its kind, "FSIconImage-Default"
// where it has none, with "FSIconImage-LinkArrow" drawn over it for a link.
QIcon fsIconImage(bool isDirectory, bool isLink);

class FSBrowser : public QScrollArea {
  Q_OBJECT
 public:
  static constexpr int kMaxVisibleColumns = 3;

  explicit FSBrowser(QWidget* parent = nullptr);
  // Where the browser stands when it first lists its columns, unless told a path before.
  void setStartPath(const QString& path) { startPath_ = path; }

  // The chosen item's path: the deepest selection, or the last column's folder.
  QString path() const;
  // Shows the columns down to `path`, choosing each component that is listed; false when a
  // component is not found (the columns stop at its folder).
  bool setPath(const QString& path);
  // Lists column 0 again and drops the others.
  void loadColumnZero();
  // "/" for column 0, else the folder the column lists.
  QString pathToColumn(int column) const;
  int columnCount() const;
  FSColumnModel* columnModel(int column) const;
  QListView* columnView(int column) const;
  // As a click on a row: chooses it, opens its column when it is a folder, emits singleClicked.
  void clickRow(int column, int row);

 signals:
  void singleClicked();
  void doubleClicked();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Column {
    FSColumnModel* model = nullptr;
    QListView* view = nullptr;
  };
  // Lists column 0 (and goes to the start path when `toStart`) the first time it is needed.
  void ensureColumns(bool toStart) const;
  void addColumn(const QString& folder);
  void dropColumnsAfter(int column);
  void selectRow(int column, int row);
  void chooseRow(int column, int row);
  void layoutColumns();
  int columnOf(const QListView* view) const;
  // Lists again the columns whose folders changed on disk, keeping the chosen rows.
  void relistChangedColumns();

  QWidget* strip_ = nullptr;
  QFileSystemWatcher* watcher_ = nullptr;
  // The changes of one save come as several: the columns are listed again once they settle.
  QTimer relist_;
  QSet<QString> changedFolders_;
  QHBoxLayout* layout_ = nullptr;
  std::vector<Column> columns_;
  QString startPath_;
  bool choosing_ = false;
};
