#pragma once
// CalLauncher: the launcher drawer (side view 14). A selector of 20 categories (4 rows of 5),
// the table of the chosen category's items (newest first, each with its icon), a memo per item
// and an editor of the category titles. Files dropped on the table are filed under the chosen
// category; rows dragged within it reorder, and dragged into a memo leave a launcher link. A
// double click or Return opens an item with the desktop's application (a web shortcut in the
// browser); the context menu refiles it under another category.

#include <QDockWidget>
#include <QObject>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <array>
#include <functional>
#include <memory>

#include "tools/bookmarks/launcher_store.h"

class CategorySelector;
class QLineEdit;

namespace pravella {
class DocumentSlot;
class EditJournal;
}
class QMenu;
class QTextEdit;
class QToolButton;

class CalLauncher;

// The item table: double clicks and keys become the launcher's notifications; drops and drags
// go to the controller.
class launcherFiledView : public QTableWidget {
  Q_OBJECT
 public:
  explicit launcherFiledView(CalLauncher* launcher, QWidget* parent = nullptr);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  CalLauncher* launcher_;
};

// Draws an item's 16 x 16 icon 15 pixels in from the left and its name after it (x + 46), or
// the name alone at x + 15.
class IconedCell : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  static constexpr int kMarginX = 15;
  static constexpr int kIconSize = 16;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class CalLauncher : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 14;
  static constexpr const char* kPboardType = "MyCustomLauncherPboardType";

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<int()> toggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<void()> selectCellSelectedDay;
    std::function<void(const char*)> playSound;  // decides whether sounds are on
    std::function<bool(const QString&)> open;    // the desktop's opener
    std::function<bool(const QString&)> reveal;  // the file manager
  };

  explicit CalLauncher(Host host, QObject* parent = nullptr);
  ~CalLauncher() override;

  // Reads the store and titles, makes the memo folder, registers the observers and gives the
  // drawers to the host.
  void awakeFromNib();

  void loadLancherData();
  void saveLauncherData();
  void launcherCategoryAction();
  void selectLauncherCategory(const QString& number);
  void changeCategory(const QString& title);
  void deleteAction();
  // A file or folder moved (from any window): its items follow, with their memos.
  void renamePathName(const QString& oldPath, const QString& newPath);
  void launchFileAtLaunchFileList();
  void showFileOnFinderAction();
  void loadLauncherMemo();
  void saveLauncherMemo();
  void selectFieldAction();
  void editLanuncherCategoryAction();
  void closeLauncherEditCatAction();
  void showLauncherAction();
  void openLauncherAction();
  void closeAction();

  // Drops on the table: paths filed under the chosen category; a row moved onto `row`.
  bool addByDrop(const QStringList& paths);
  bool reorder(int sourceRow, int row);

  QDockWidget* launcherDrawer() const { return drawer_; }
  QDockWidget* launcherEditDrawer() const { return editDrawer_; }
  QTableWidget* launcherField() const;
  QTextEdit* launcherMemoField() const { return memoField_; }
  QToolButton* categoryCell(int tag) const;
  QLineEdit* titleEditCell(int tag) const { return titleEdits_.at(static_cast<std::size_t>(tag)); }
  QMenu* launcherContextMenu() const { return contextMenu_; }
  const pravella::launcher::LauncherStore& store() const { return store_; }
  const QList<pravella::launcher::Item>& viewItems() const { return view_; }
  int nowCategory() const { return nowCategory_; }
  bool memoDidChange() const { return memoDidChange_; }
  QString nowMemoFile() const { return nowMemoFile_; }
  int selectedRow() const;

 private:
  void reloadTable();
  void selectRow(int row);
  void sound(const char* name);
  int selectedCategory() const;
  void applyTitles(const QStringList& titles);
  bool drawerOpen() const;

  Host host_;
  pravella::launcher::LauncherStore store_;
  QList<pravella::launcher::Item> view_;
  QDockWidget* drawer_ = nullptr;
  QDockWidget* editDrawer_ = nullptr;
  launcherFiledView* table_ = nullptr;
  QTextEdit* memoField_ = nullptr;
  CategorySelector* selector_ = nullptr;
  std::array<QLineEdit*, pravella::launcher::kCategories> titleEdits_{};
  QMenu* contextMenu_ = nullptr;
  int nowCategory_ = -1;
  bool memoDidChange_ = false;
  bool loadingMemo_ = false;
  QString nowMemoFile_;
  std::unique_ptr<pravella::DocumentSlot> memoSlot_;  // the item's memo in the registry
  std::unique_ptr<pravella::EditJournal> memoJournal_;  // its unsaved edits, kept against a crash
};
