#pragma once
// CalBookMark: the bookmark drawer (side view 10). Bookmarks of day documents at a selection,
// in 20 categories (0 shows all); a row chosen by click or arrow key reopens its document at
// the bookmarked selection, or previews it below the table while the preview switch is on.
// Rows reorder by dragging, drag into memos as links, and documents dragged from the day's list
// are bookmarked. Each category has a memo below the table and a title edited in a second dock.

#include <QDockWidget>
#include <QObject>
#include <QTableWidget>

#include <array>
#include <memory>

#include "tools/bookmarks/bookmark_store.h"
#include "tools/ui/desk_tool_host.h"

namespace pravella {
class DocumentSlot;
class EditJournal;
}

class CalBookMark;
class CategorySelector;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTextEdit;

// The bookmark table: arrows and Shift+Backspace become the drawer's notifications; drags go
// to the controller.
class getKeyOnBMTable : public QTableWidget {
  Q_OBJECT
 public:
  explicit getKeyOnBMTable(CalBookMark* owner, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // A click on the row already selected changes no selection, so it opens the bookmark itself.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void startDrag(Qt::DropActions actions) override;

 private:
  CalBookMark* owner_;
  int pressedSelectedRow_ = -1;  // the selected row the button went down on, else -1
};

class CalBookMark : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 10;
  static constexpr const char* kPboardType = "MyCustomBookMarkPboardType";

  explicit CalBookMark(const pravella::DeskToolHost& host, QObject* parent = nullptr);
  ~CalBookMark() override;

  void awakeFromNib();

  void loadBookMarkData();
  void saveBookMarkData();
  void categoryAction();
  void addBookMarkAction();
  void addBookMarkFromDiaryFileAction(const QString& path);
  void deleteBookMarkAction();
  void renameBookMarkPathName(const QString& oldPath, const QString& newPath);
  void selectDocumentListOnBMTable(const QString& path);
  // Opens the selected bookmark. A new selection leaves the shown document as it is; the
  // user's click on its row (`clicked`) goes to the marked selection in it all the same.
  void openSelectedDocument(bool clicked = false);
  void loadBookMarkMemo();
  void saveBookMarkMemo();
  bool moveRow(int source, int row);

  void openBookMarkAction();
  void openBookMarkActionOpen();
  void closeBookMarkAction();
  void toDoBookMarkAction();
  void changeTableFontForeColor(const QString& mode);
  void toggleTableFontForeColor();
  void bookMarkListUp();
  void bookMarkListDown();
  void changeDispModeAction();
  void editCategoryAction();
  void editBookMarkCloseAction();
  void searchInternetAction();
  void searchDicAction();

  QDockWidget* bookMarkDrawer() const { return drawer_; }
  QDockWidget* editBookMarkTitleDrawer() const { return editDrawer_; }
  QTableWidget* bookMarkField() const;
  QTextEdit* bookMarkMemoField() const { return memoField_; }
  QPushButton* memoDatabaseButton() const { return memoDatabaseButton_; }
  QCheckBox* subViewSW() const { return previewSwitch_; }
  CategorySelector* categoryFieldButton() const { return selector_; }
  QLineEdit* titleEditCell(int tag) const { return titleEdits_.at(static_cast<std::size_t>(tag)); }
  const pravella::bookmarks::BookmarkStore& store() const { return store_; }
  const QList<pravella::bookmarks::Bookmark>& viewItems() const { return view_; }
  int selectedRow() const;
  int tableColorMode() const { return colorMode_; }
  bool bookMarkMemoDidChange() const { return memoDidChange_; }
  QDate selectedDay() const;

 private:
  void reloadTable();
  void selectRow(int row);
  void sound(const char* name);
  void postSelectDisplayed();
  bool drawerOpen() const;

  pravella::DeskToolHost host_;
  pravella::bookmarks::BookmarkStore store_;
  QList<pravella::bookmarks::Bookmark> view_;
  QDockWidget* drawer_ = nullptr;
  QDockWidget* editDrawer_ = nullptr;
  getKeyOnBMTable* table_ = nullptr;
  QTextEdit* memoField_ = nullptr;
  QPushButton* memoDatabaseButton_ = nullptr;
  QCheckBox* previewSwitch_ = nullptr;
  CategorySelector* selector_ = nullptr;
  std::array<QLineEdit*, pravella::bookmarks::kCategories> titleEdits_{};
  int nowCategory_ = -1;
  bool memoDidChange_ = false;
  bool loadingMemo_ = false;
  std::unique_ptr<pravella::DocumentSlot> memoSlot_;  // the category's memo in the registry
  std::unique_ptr<pravella::EditJournal> memoJournal_;  // its unsaved edits, kept against a crash
  bool selecting_ = false;
  int colorMode_ = 0;
};
