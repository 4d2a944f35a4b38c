#pragma once
// CalIndex: the outline drawer of the main memo. Its table lists the heading lines (or every
// line) with their levels; selecting rows selects whole sections and jumps there, optionally
// tinting them; dragging a row moves its section, Alt+D duplicates it. The calendar asks for a
// rebuild ("showIndexAction") after it shows or deletes a document and a second after an edit;
// programs open and close it and set its colours through cal_ commands.

#include <QDockWidget>
#include <QObject>
#include <QPointer>
#include <QTableWidget>

#include <functional>
#include <vector>

#include "tools/text/outline_index.h"

class QCheckBox;
class QLineEdit;
class QTextEdit;

namespace pravella {
class IndexTable;
}

class CalIndex : public QObject {
  Q_OBJECT
 public:
  static constexpr int kToggleNumber = 8;
  static constexpr const char* kPboardType = "MyCustomIndexPboardType";

  struct Host {
    std::function<void()> closeAllToggleView;
    std::function<int(int)> setToggleStatus;
    std::function<int()> toggleStatus;
    std::function<void(QDockWidget*)> addSideView;
    std::function<void()> selectCellSelectedDay;
    std::function<void(const char*)> playSound;  // decides whether sounds are on
  };

  CalIndex(QTextEdit* documentField, Host host, QObject* parent = nullptr);
  ~CalIndex() override;

  // Reads the index characters (writing the file when there is none) and registers the
  // observers; gives the drawer to the host.
  void awakeFromNib();

  void showIndexAction();    // all lines or headings, as the switch says
  void showIndexAction_B();  // headings
  void allLineAction();
  void reIndexAction();      // a quiet rebuild of the headings
  void jumpToIndexAction();
  void selectIndexTable();
  void duplicateIndex();
  void editIndexCharAction();
  void closeIndexAction();
  void closeIndexSheet();
  void indexListUp();
  void indexListDown();
  void changeTableFontForeColor(long mode);
  void toggleTableFontForeColor();
  // A drop of a dragged row above row `row` (rowCount for the end); false when refused.
  bool acceptDrop(const QMimeData* data, int row);

  QDockWidget* docIndexDrawer() const { return drawer_; }
  QTableWidget* docIndexField() const;
  QLineEdit* indexCharField() const { return indexCharField_; }
  QCheckBox* allLineSwitch() const { return allLineSwitch_; }
  QCheckBox* emphasisSwitch() const { return emphasisSwitch_; }
  const std::vector<pravella::outline::Row>& rows() const { return rows_; }
  int tableFontColorMode() const { return changeTableViewFontColor_; }

 private:
  void build(bool allLines, bool quiet);
  void reloadTable();
  void selectRow(int row);
  void sound(const char* name);
  void posted(const char* name);

  QPointer<QTextEdit> documentField_;
  Host host_;
  QPointer<QDockWidget> drawer_;  // the main window owns it once it is a side view
  pravella::IndexTable* table_ = nullptr;
  QLineEdit* indexCharField_ = nullptr;
  QCheckBox* allLineSwitch_ = nullptr;
  QCheckBox* emphasisSwitch_ = nullptr;
  QString indexCharString_;
  std::vector<pravella::outline::Row> rows_;
  int changeTableViewFontColor_ = 0;
  bool selecting_ = false;
};

namespace pravella {

// The drawer's table: its keys and the drag of a row.
class IndexTable : public QTableWidget {
  Q_OBJECT
 public:
  explicit IndexTable(CalIndex* controller, QWidget* parent = nullptr);
  QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override;
  QStringList mimeTypes() const override;

 protected:
  bool dropMimeData(int row, int column, const QMimeData* data, Qt::DropAction action) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // The row a drop at `at` (viewport coordinates) goes above; rowCount below the last row.
  int dropRow(const QPoint& at) const;

  CalIndex* controller_;
};

}  // namespace pravella
